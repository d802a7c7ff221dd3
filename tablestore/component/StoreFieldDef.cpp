#include "tablestore/component/StoreFieldDef.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/TextCase.h"

namespace wispel {

void TStoreFieldDefs::Add(std::string name, TStoreFieldType type, int size, bool required) {
    TStoreFieldDef def;
    def.Name = std::move(name);
    def.DataType = type;
    def.Size = size;
    def.Required = required;
    defs_.push_back(std::move(def));
}

const TStoreFieldDef& TStoreFieldDefs::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(formatMessage("List index out of bounds (%d)", {index}));
    return defs_[static_cast<std::size_t>(index)];
}

const TStoreFieldDef* TStoreFieldDefs::Find(std::string_view name) const {
    for (const TStoreFieldDef& def : defs_)
        if (sameText(def.Name, name)) return &def;
    return nullptr;
}

}  // namespace wispel
