// TStoreTable: choosing the current index by name or by its key fields, and adding and
// deleting indexes. indexDefinitionOf turns a component's index definition into the
// engine's, for CreateTable and AddIndex alike.

#include "core/TextCase.h"
#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/engine/DataCursor.h"

namespace wispel {

namespace {

std::vector<std::string> splitFields(const std::string& fields) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= fields.size();) {
        const std::size_t end = std::min(fields.find(';', start), fields.size());
        names.push_back(fields.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

}  // namespace

TIndexDefinition indexDefinitionOf(const TStoreIndexDef& def, const TStoreFieldDefs& fields,
                                   const std::string& tableName) {
    TIndexDefinition index;
    index.Name = def.Primary ? "" : def.Name;
    index.Unique = def.Unique || def.Primary;
    index.CaseInsensitive = def.CaseInsensitive;
    const std::vector<std::string> descending = def.DescFields.empty()
                                                    ? std::vector<std::string>{}
                                                    : splitFields(def.DescFields);
    for (const std::string& name : splitFields(def.Fields)) {
        int number = 0;
        for (int i = 0; i < fields.Count(); ++i)
            if (sameText(fields.Items(i).Name, name)) number = i + 1;
        if (number == 0) raiseEngineError(storecode::kInvalidField, tableName, name);
        index.FieldNumbers.push_back(static_cast<std::uint16_t>(number));
        bool down = def.Descending;
        for (const std::string& d : descending) down = down || sameText(d, name);
        index.Descending.push_back(down);
    }
    return index;
}

void TStoreTable::SetIndexFieldNames(std::string fields) {
    if (!Active()) {
        indexFieldNames_ = std::move(fields);
        if (!indexFieldNames_.empty()) indexName_.clear();
        return;
    }
    checkBrowse();
    const std::string oldFields = std::exchange(indexFieldNames_, std::move(fields));
    const std::string oldName = indexName_;
    if (!indexFieldNames_.empty()) indexName_.clear();
    try {
        applyIndexName();
    } catch (...) {
        indexFieldNames_ = oldFields;
        indexName_ = oldName;
        throw;
    }
    moveToFirstRow();
}

void TStoreTable::applyIndexName() {
    int slot = -1;
    TTableIndexes& indexes = cursor_->table().indexes();
    if (!indexFieldNames_.empty()) {
        std::vector<std::uint16_t> numbers;
        for (const std::string& name : splitFields(indexFieldNames_)) {
            int number = 0;
            for (const ColumnDescriptor& column : cursor_->table().columns())
                if (sameText(column.name, name)) number = column.fieldNumber;
            numbers.push_back(static_cast<std::uint16_t>(number));
        }
        slot = indexes.slotForFields(numbers);
        if (slot < 0) raiseEngineError(storecode::kInvalidIndexName, tableName_, indexFieldNames_);
    } else {
        checkEngine(indexes.slotOf(indexName_, slot), tableName_, indexName_);
    }
    checkEngine(cursor_->setOrder(slot), cursor_->table().name());
}

void TStoreTable::AddIndex(const std::string& name, const std::string& fields,
                           TStoreIndexOptions options, const std::string& descFields) {
    checkBrowse();
    TStoreIndexDef def{name, fields, options.ixPrimary, options.ixUnique,
                       options.ixDescending, options.ixCaseInsensitive, descFields};
    const TIndexDefinition index = indexDefinitionOf(def, fieldDefs_, tableName_);
    TDataTable& table = cursor_->table();
    checkEngine(table.addIndex(index), table.name(), name);
    applyIndexName();
    repositionAfterChange();
}

std::vector<TStoreTableIndexInfo> TStoreTable::IndexInfo() const {
    checkActive();
    std::vector<TStoreTableIndexInfo> infos;
    const TTableIndexes& indexes = cursor_->table().indexes();
    const auto& columns = cursor_->table().columns();
    for (int slot = 0; slot < 31; ++slot) {
        if (indexes.layout(slot) == nullptr) continue;
        const TIndexSlot& definition = indexes.header().Slots[slot];
        TStoreTableIndexInfo info;
        info.Name = definition.Name;
        info.Unique = definition.Unique;
        info.CaseInsensitive = definition.CaseInsensitive != 0;
        for (int i = 0; i < definition.ColumnCount; ++i) {
            const std::uint16_t number = definition.FieldNumbers[i];
            const std::string name = number >= 1 && number <= columns.size() ? columns[number - 1].name : "?";
            info.Fields += (i == 0 ? "" : ";") + name;
            if (definition.descending(i)) info.DescFields += (info.DescFields.empty() ? "" : ";") + name;
        }
        infos.push_back(std::move(info));
    }
    return infos;
}

void TStoreTable::DeleteIndex(const std::string& name) {
    checkBrowse();
    TDataTable& table = cursor_->table();
    checkEngine(table.deleteIndex(name), table.name(), name);
    // The secondary indexes after the deleted one moved down a slot.
    if (sameText(indexName_, name)) indexName_.clear();
    try {
        applyIndexName();
    } catch (const Exception&) {
        indexName_.clear();
        indexFieldNames_.clear();
        applyIndexName();
    }
    moveToFirstRow();
}

}  // namespace wispel
