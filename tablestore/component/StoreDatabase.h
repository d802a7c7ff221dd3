#pragma once
// Databases: a named directory that holds tables. A table never needs one of its own: on
// open its session finds the database whose DatabaseName equals the table's (without
// regard to case), or creates a temporary one.
//
// Directory resolution when connecting:
//   - a DatabaseName that contains "/" is itself the directory;
//   - "MEMORY" (any case) is the in-memory directory (no disk files);
//   - else Directory, or when that is empty the session's default directory (the process's
//     current directory when the session became active).
// The text is trimmed and gets a trailing "/". Directories are told apart by their
// canonical path (realpath), so two databases that name one directory share its open
// tables.
//
// Ownership: a database created by the program belongs to its owner component and must be
// closed (no table open on it) before it is destroyed; a temporary database belongs to its
// session and frees itself when its last table closes and KeepConnection is false.

#include <string>
#include <string_view>

#include "core/Component.h"
#include "core/Event.h"

namespace wispel {

class TStoreSession;
class TDataDirectory;

class TStoreDatabase : public TComponent {
public:
    explicit TStoreDatabase(TComponent* owner = nullptr);
    ~TStoreDatabase() override;

    const std::string& DatabaseName() const noexcept { return databaseName_; }
    // "Cannot perform this operation on an open database." while connected.
    void SetDatabaseName(std::string name);
    const std::string& Directory() const noexcept { return directory_; }
    void SetDirectory(std::string directory);  // same rule
    const std::string& SessionName() const noexcept { return sessionName_; }
    void SetSessionName(std::string name);  // same rule

    bool Connected() const noexcept { return engine_ != nullptr; }
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    bool KeepConnection = true;
    bool HandleShared = false;
    TEvent<TStoreDatabase*> BeforeConnect;

    bool Temporary() const noexcept { return temporary_; }
    // The session named by SessionName (the default one when empty).
    TStoreSession& Session() const;
    // After connecting: the resolved directory with a trailing "/", or "MEMORY".
    const std::string& ResolvedDirectory() const noexcept { return resolved_; }
    bool InMemory() const noexcept { return inMemory_; }
    // Number of open tables that use this database.
    int DataSetCount() const noexcept { return users_; }
    TDataDirectory& EngineDirectory();  // connects when needed

private:
    friend class TStoreSession;
    friend class TStoreTable;
    void addUser() noexcept { ++users_; }
    void removeUser();  // may free a temporary database
    void resolveDirectory();

    std::string databaseName_;
    std::string directory_;
    std::string sessionName_;
    std::string resolved_;
    bool inMemory_ = false;
    bool temporary_ = false;
    int users_ = 0;
    TStoreSession* session_ = nullptr;     // not owned; the session it registered with
    TDataDirectory* engine_ = nullptr;     // owned by the engine session
};

}  // namespace wispel
