#include "tablestore/component/FilterBinding.h"

#include "tablestore/component/ComponentErrors.h"

namespace wispel {

std::unique_ptr<TFilter> compileTableFilter(const std::string& text, const TDataTable& table,
                                            const TStoreFilterOptions& options,
                                            const std::string& tableName) {
    std::unique_ptr<TFilter> made;
    std::string message;
    const TFilterLocale locale{table.languageID(), table.sortID()};
    const TFilterOptions filterOptions{options.foCaseInsensitive, options.foNoPartialCompare};
    StoreResult r = TFilter::create(text, table.columns(), table.recordSize(), locale,
                                    filterOptions, made, message);
    if (r != storecode::kOk) {
        StoreErrorNames names;
        names.table = tableName;
        names.detail = message;
        throw EStoreEngineError(r, names);
    }
    return made;
}

}  // namespace wispel
