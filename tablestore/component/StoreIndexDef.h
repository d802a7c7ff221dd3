#pragma once
// Index definitions of a table to be created: the primary index with key columns, or
// secondary indexes. A table created without any gets a primary index without key columns,
// so its rows are kept in record-slot order.
//
// Plain values: a definition list owns its definitions and may be copied.

#include <string>
#include <vector>

namespace wispel {

// Index options: ixDescending makes every key column descend, DescFields only those named.
struct TStoreIndexOptions {
    bool ixPrimary = false;
    bool ixUnique = false;
    bool ixDescending = false;
    bool ixCaseInsensitive = false;
};

struct TStoreIndexDef {
    std::string Name;    // empty for the primary index
    std::string Fields;  // key columns by name, separated by ";"
    bool Primary = false;
    bool Unique = false;
    bool Descending = false;
    bool CaseInsensitive = false;
    std::string DescFields;  // key columns that descend, separated by ";"
};

class TStoreIndexDefs {
public:
    void Add(std::string name, std::string fields, bool primary = false, bool unique = false) {
        defs_.push_back({std::move(name), std::move(fields), primary, unique, false, false, {}});
    }
    void Add(std::string name, std::string fields, TStoreIndexOptions options,
             std::string descFields = {}) {
        defs_.push_back({std::move(name), std::move(fields), options.ixPrimary, options.ixUnique,
                         options.ixDescending, options.ixCaseInsensitive, std::move(descFields)});
    }
    void Clear() noexcept { defs_.clear(); }
    int Count() const noexcept { return static_cast<int>(defs_.size()); }
    std::vector<TStoreIndexDef>::const_iterator begin() const { return defs_.begin(); }
    std::vector<TStoreIndexDef>::const_iterator end() const { return defs_.end(); }

private:
    std::vector<TStoreIndexDef> defs_;
};

}  // namespace wispel
