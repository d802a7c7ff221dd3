#include "app/FieldAtRest.h"

#include "tablestore/component/StoreTable.h"

namespace wispel {

void TFieldAtRest::RefreshFromTable() {
    const TStoreField* f = field();
    if (!f) {
        text_.clear();
        return;
    }
    switch (f->DataSet().State()) {
        case TStoreDataSetState::dsBrowse:
            text_ = f->TextValue();
            break;
        case TStoreDataSetState::dsInsert:
            text_.clear();
            break;
        default:  // an edit keeps the text its row had at rest
            break;
    }
}

}  // namespace wispel
