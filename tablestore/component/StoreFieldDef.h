#pragma once
// Field definitions: the schema of a table as the dataset sees it. A table component keeps
// a list of them; `TStoreTable::CreateTable` makes a table from that list, and opening a
// table rebuilds the list from the columns stored in the file.
//
// Plain values: a definition list owns its definitions and may be copied.

#include <string>
#include <string_view>
#include <vector>

namespace wispel {

// The dataset's field types. Each maps to an engine type code and subtype stored in the
// data file (see tablestore/component/FieldTypeMap.h for the mapping both ways).
enum class TStoreFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftGuid,
};

struct TStoreFieldDef {
    std::string Name;
    TStoreFieldType DataType = TStoreFieldType::ftUnknown;
    int Size = 0;           // characters for text, bytes for byte strings, decimals for BCD
    bool Required = false;  // a row without a value in this field cannot be posted
    int Precision = 0;      // BCD only (20 when read from a table)
};

class TStoreFieldDefs {
public:
    void Add(std::string name, TStoreFieldType type, int size = 0, bool required = false);
    void Clear() noexcept { defs_.clear(); }
    int Count() const noexcept { return static_cast<int>(defs_.size()); }
    const TStoreFieldDef& Items(int index) const;  // EListError when out of range
    // The definition of that name (compared without regard to case), or null.
    const TStoreFieldDef* Find(std::string_view name) const;

    std::vector<TStoreFieldDef>::const_iterator begin() const { return defs_.begin(); }
    std::vector<TStoreFieldDef>::const_iterator end() const { return defs_.end(); }

private:
    std::vector<TStoreFieldDef> defs_;
};

}  // namespace wispel
