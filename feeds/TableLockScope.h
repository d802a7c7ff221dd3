#pragma once
// Holds a lock of a table from construction to destruction: the write lock, so that what
// runs in between is one change to every other process; or a read lock, so that a long read
// sees one state of the table and pays for the lock once. The table must outlive the scope.

#include "tablestore/component/StoreTable.h"

namespace wispel {

class TTableLockScope {
public:
    explicit TTableLockScope(TStoreTable& table,
                             TStoreLockType type = TStoreLockType::ltWriteLock)
        : table_(table), type_(type) {
        table_.LockTable(type_);
    }
    ~TTableLockScope() {
        // A lock that cannot be handed back is gone with the process at the latest; the
        // operation's own outcome is what its caller hears.
        try {
            table_.UnlockTable(type_);
        } catch (...) {
        }
    }
    TTableLockScope(const TTableLockScope&) = delete;
    TTableLockScope& operator=(const TTableLockScope&) = delete;

private:
    TStoreTable& table_;
    TStoreLockType type_;
};

}  // namespace wispel
