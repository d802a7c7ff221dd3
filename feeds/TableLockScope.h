#pragma once
// Holds a lock of a table from construction to destruction: the write lock, so that what
// runs in between is one change to every other process; or a read lock, so that a long read
// sees one state of the table and pays for the lock once. The table must outlive the scope.
//
// Under the write lock the table store writes part of each change (its indexes) when the
// lock is handed back: a change that must be reported whole ends with Release(), which
// throws what that write met; the destructor, reached on an error already thrown, says
// nothing more.

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
        if (released_) return;
        // A lock that cannot be handed back is gone with the process at the latest; the
        // operation's own outcome is what its caller hears.
        try {
            table_.UnlockTable(type_);
        } catch (...) {
        }
    }
    // Hands the lock back now; the table store's error, if any, is thrown (the lock is gone
    // either way).
    void Release() {
        released_ = true;
        table_.UnlockTable(type_);
    }
    TTableLockScope(const TTableLockScope&) = delete;
    TTableLockScope& operator=(const TTableLockScope&) = delete;

private:
    TStoreTable& table_;
    TStoreLockType type_;
    bool released_ = false;
};

}  // namespace wispel
