#pragma once
// Sessions: the table store's per-process context. One global session named "Default"
// exists from the first call of DefaultSession() on and lives until the process ends;
// tables and databases with an empty SessionName use it.
//
// Ownership: every session is listed in the process-wide TStoreSessionList (a session adds
// itself when constructed and leaves when destroyed); a session owns its temporary
// databases and, while active, its engine session (directories, open tables). A session
// must outlive the databases and tables that use it. Sessions cannot be copied.
//
// The list and every session's activation are guarded by one re-entrant lock, so a
// setting changed from another thread reaches the engine session whole.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/Component.h"
#include "core/Event.h"

namespace wispel {

class TStoreDatabase;
class TStoreSession;
class TDataSession;
class StoreFileSystem;

using TStoreStartupEvent = TEvent<TStoreSession*>;
// Asked for a password when a table is enciphered: the handler calls AddPassword and sets
// `retry` to true to have the open try again.
using TStorePasswordEvent = TEvent<TStoreSession*, bool&>;

class TStoreSession : public TComponent {
public:
    explicit TStoreSession(TComponent* owner = nullptr);
    ~TStoreSession() override;

    const std::string& SessionName() const noexcept { return sessionName_; }
    // "Cannot perform this operation on an active session." while active;
    // "Session name %s already exists." when another session has it.
    void SetSessionName(std::string name);

    bool Active() const noexcept { return engine_ != nullptr; }
    // Becoming active runs OnStartup, activates the default session first, creates the
    // engine session ("Session name is missing." for an empty name) and copies the
    // settings into it. Becoming inactive closes and frees the databases of the session.
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    bool AutoSessionName = false;
    bool KeepConnections = true;
    std::string PrivateDir;

    std::uint8_t LockRetryCount() const noexcept { return lockRetryCount_; }
    void SetLockRetryCount(std::uint8_t count);
    std::uint16_t LockWaitTime() const noexcept { return lockWaitTime_; }  // milliseconds
    void SetLockWaitTime(std::uint16_t milliseconds);
    bool StrictChangeDetection() const noexcept { return strictChangeDetection_; }
    void SetStrictChangeDetection(bool strict);
    bool ForceBufferFlush() const noexcept { return forceBufferFlush_; }
    void SetForceBufferFlush(bool force);
    std::uint16_t LanguageID() const noexcept { return languageID_; }
    void SetLanguageID(std::uint16_t id);
    std::uint16_t SortID() const noexcept { return sortID_; }
    void SetSortID(std::uint16_t id);
    static std::string EngineVersion() { return "2.08"; }
    // The file system under the session's tables on disk for tables opened from now on;
    // null (the default) is the real disk. Not owned.
    StoreFileSystem* DiskFileSystem() const noexcept { return diskFiles_; }
    void SetDiskFileSystem(StoreFileSystem* files);

    TStoreStartupEvent OnStartup;
    TStorePasswordEvent OnPassword;
    // Adds a password to the list the engine tries on enciphered tables.
    void AddPassword(std::string password);

    // Databases of this session (temporary ones included).
    int DatabaseCount() const noexcept { return static_cast<int>(databases_.size()); }
    TStoreDatabase* Databases(int index) const;  // EListError when out of range
    // The database of that name (without regard to case), or null.
    TStoreDatabase* FindDatabase(std::string_view name) const;
    // The database of that name, a temporary one created and connected when there is none;
    // the caller counts as one of its users until CloseDatabase.
    TStoreDatabase& OpenDatabase(std::string_view name);
    void CloseDatabase(TStoreDatabase& database);

    // The process's current directory when the session became active, with a trailing "/".
    const std::string& DefaultDirectory() const noexcept { return defaultDirectory_; }
    // The engine session; activates the session when needed.
    TDataSession& EngineSession();

private:
    friend class TStoreDatabase;
    friend TStoreSession& DefaultSession();
    void addDatabase(TStoreDatabase* database);
    void removeDatabase(TStoreDatabase* database);
    void copySettingsToEngine();

    std::string sessionName_;
    std::uint8_t lockRetryCount_ = 15;
    std::uint16_t lockWaitTime_ = 100;
    bool strictChangeDetection_ = false;
    bool forceBufferFlush_ = false;
    std::uint16_t languageID_ = 0;
    std::uint16_t sortID_ = 0;
    StoreFileSystem* diskFiles_ = nullptr;
    std::string defaultDirectory_;
    std::vector<std::string> passwords_;
    std::vector<TStoreDatabase*> databases_;  // not owned, except the temporary ones
    std::unique_ptr<TDataSession> engine_;
};

// The process-wide list of sessions.
class TStoreSessionList {
public:
    static TStoreSessionList& Instance();

    // The session of that name (without regard to case); an empty name is the default one.
    TStoreSession* FindSession(std::string_view name);
    int Count();
    TStoreSession* Sessions(int index);  // EListError when out of range
    // The re-entrant lock guarding the list and every session's activation.
    std::recursive_mutex& Lock() noexcept { return lock_; }

private:
    friend class TStoreSession;
    void add(TStoreSession* session);
    void remove(TStoreSession* session);

    std::recursive_mutex lock_;
    std::vector<TStoreSession*> sessions_;  // not owned; the first is the default session
};

// The global session "Default", created by the first call.
TStoreSession& DefaultSession();

}  // namespace wispel
