#include "tablestore/component/StoreDataLink.h"

#include "tablestore/component/StoreTable.h"

namespace wispel {

TStoreDataLink::~TStoreDataLink() { SetDataSet(nullptr); }

void TStoreDataLink::SetDataSet(TStoreTable* table) {
    if (table == table_) return;
    if (table_ != nullptr) table_->detachLink(this);
    table_ = table;
    if (table_ != nullptr) table_->attachLink(this);
}

}  // namespace wispel
