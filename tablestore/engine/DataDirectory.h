#pragma once
// A directory of one engine session: the tables open in it, shared by every cursor that
// names the same table. Keyed by its canonical path (ending in "/") or "MEMORY" for the
// in-memory directory.
//
// Ownership: owned by its engine session; owns its open table objects, each freed when its
// last cursor closes it.

#include <memory>
#include <string>
#include <vector>

#include "tablestore/errors/StoreStatus.h"
#include "tablestore/files/StoreFile.h"

namespace wispel {

class TDataSession;
class TDataTable;

struct TTableOpenOptions {
    bool exclusive = false;
    bool readOnly = false;
    bool inMemory = false;
};

class TDataDirectory {
public:
    TDataDirectory(TDataSession& session, std::string key, bool inMemory);
    ~TDataDirectory();
    TDataDirectory(const TDataDirectory&) = delete;
    TDataDirectory& operator=(const TDataDirectory&) = delete;

    TDataSession& session() const noexcept { return session_; }
    const std::string& key() const noexcept { return key_; }
    bool inMemory() const noexcept { return inMemory_; }
    StoreFileSystem& fileSystem() const;
    // The full path of a file of this directory ("MEMORY/" names in-memory files).
    std::string filePath(const std::string& name) const;

    // The shared table object of `name` (trimmed, compared without regard to case): an
    // open one gains a user (11013 when it or this opening is exclusive), else it is
    // opened. `table` is valid until releaseTable; a failure leaves no table object and
    // names what it is about (a file's full path, else the table).
    StoreStatus openTable(const std::string& name, const TTableOpenOptions& options,
                          TDataTable*& table);
    void releaseTable(TDataTable* table);
    int tableCount() const noexcept { return static_cast<int>(tables_.size()); }

    void addUser() noexcept { ++users_; }
    int removeUser() noexcept { return --users_; }

private:
    TDataSession& session_;
    std::string key_;
    bool inMemory_;
    int users_ = 0;
    std::vector<std::unique_ptr<TDataTable>> tables_;
};

}  // namespace wispel
