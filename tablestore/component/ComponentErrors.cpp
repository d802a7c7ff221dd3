#include "tablestore/component/ComponentErrors.h"

#include "core/Format.h"

namespace wispel {

void raiseDatabaseError(const char* pattern, const std::string& name) {
    throw EDatabaseError(formatMessage(pattern, {name}));
}

void raiseEngineError(StoreResult code, const std::string& name, const std::string& field) {
    StoreErrorNames names;
    names.table = name;
    names.object = field;
    throw EStoreEngineError(code, names);
}

void raiseEngineError(const StoreStatus& status, const std::string& table,
                      const std::string& field) {
    raiseEngineError(status.code(), status.name().empty() ? table : status.name(),
                     status.field().empty() ? field : status.field());
}

}  // namespace wispel
