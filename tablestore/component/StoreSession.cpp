#include "tablestore/component/StoreSession.h"

#include <algorithm>

#include "core/Exception.h"
#include "core/Format.h"
#include "core/TextCase.h"
#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreDatabase.h"
#include "tablestore/engine/DataSession.h"

namespace wispel {

namespace {

// Set while the default session itself is being made, so that it does not ask for itself.
bool makingDefault = false;

}  // namespace

TStoreSession& DefaultSession() {
    // Never freed: tables of the whole run may use it up to the process's end.
    static TStoreSession* session = [] {
        makingDefault = true;
        auto* made = new TStoreSession();
        made->sessionName_ = "Default";
        makingDefault = false;
        return made;
    }();
    return *session;
}

TStoreSessionList& TStoreSessionList::Instance() {
    // Never freed, like the default session: sessions destroyed at exit still leave it.
    static TStoreSessionList* list = new TStoreSessionList;
    return *list;
}

void TStoreSessionList::add(TStoreSession* session) {
    std::lock_guard guard(lock_);
    sessions_.push_back(session);
}

void TStoreSessionList::remove(TStoreSession* session) {
    std::lock_guard guard(lock_);
    sessions_.erase(std::remove(sessions_.begin(), sessions_.end(), session), sessions_.end());
}

TStoreSession* TStoreSessionList::FindSession(std::string_view name) {
    if (name.empty()) return &DefaultSession();
    std::lock_guard guard(lock_);
    for (TStoreSession* session : sessions_)
        if (sameText(session->SessionName(), name)) return session;
    return nullptr;
}

int TStoreSessionList::Count() {
    std::lock_guard guard(lock_);
    return static_cast<int>(sessions_.size());
}

TStoreSession* TStoreSessionList::Sessions(int index) {
    std::lock_guard guard(lock_);
    if (index < 0 || index >= static_cast<int>(sessions_.size()))
        throw EListError(formatMessage("List index out of bounds (%d)", {index}));
    return sessions_[static_cast<std::size_t>(index)];
}

TStoreSession::TStoreSession(TComponent* owner) : TComponent(owner) {
    if (!makingDefault) DefaultSession();
    TStoreSessionList::Instance().add(this);
}

TStoreSession::~TStoreSession() {
    SetActive(false);
    TStoreSessionList::Instance().remove(this);
}

void TStoreSession::SetSessionName(std::string name) {
    std::lock_guard guard(TStoreSessionList::Instance().Lock());
    if (Active()) raiseDatabaseError(componenttext::kActiveSession);
    TStoreSession* other = TStoreSessionList::Instance().FindSession(name);
    if (!name.empty() && other != nullptr && other != this)
        raiseDatabaseError(componenttext::kSessionNameExists, name);
    sessionName_ = std::move(name);
}

void TStoreSession::SetActive(bool active) {
    std::lock_guard guard(TStoreSessionList::Instance().Lock());
    if (active == Active()) return;
    if (active) {
        if (OnStartup) OnStartup(this);
        if (sessionName_.empty()) raiseDatabaseError(componenttext::kSessionNameMissing);
        if (this != &DefaultSession()) DefaultSession().SetActive(true);
        engine_ = std::make_unique<TDataSession>();
        defaultDirectory_ = engine_->defaultDirectory();
        copySettingsToEngine();
        return;
    }
    // Databases let go of their engine directories before the engine session goes.
    for (TStoreDatabase* database : std::vector<TStoreDatabase*>(databases_))
        database->SetConnected(false);
    for (TStoreDatabase* database : std::vector<TStoreDatabase*>(databases_))
        if (database->Temporary()) delete database;
    engine_.reset();
}

void TStoreSession::copySettingsToEngine() {
    std::lock_guard guard(TStoreSessionList::Instance().Lock());
    if (!engine_) return;
    TEngineSettings& s = engine_->settings;
    s.lockRetryCount = lockRetryCount_;
    s.lockWaitTime = lockWaitTime_;
    s.strictChangeDetection = strictChangeDetection_;
    s.forceBufferFlush = forceBufferFlush_;
    s.languageID = languageID_;
    s.sortID = sortID_;
    s.diskFiles = diskFiles_;
    engine_->privateDirectory = PrivateDir;
    engine_->passwords = passwords_;
}

void TStoreSession::SetDiskFileSystem(StoreFileSystem* files) {
    diskFiles_ = files;
    copySettingsToEngine();
}

void TStoreSession::SetLockRetryCount(std::uint8_t count) {
    lockRetryCount_ = count;
    copySettingsToEngine();
}
void TStoreSession::SetLockWaitTime(std::uint16_t milliseconds) {
    lockWaitTime_ = milliseconds;
    copySettingsToEngine();
}
void TStoreSession::SetStrictChangeDetection(bool strict) {
    strictChangeDetection_ = strict;
    copySettingsToEngine();
}
void TStoreSession::SetForceBufferFlush(bool force) {
    forceBufferFlush_ = force;
    copySettingsToEngine();
}
void TStoreSession::SetLanguageID(std::uint16_t id) {
    languageID_ = id;
    copySettingsToEngine();
}
void TStoreSession::SetSortID(std::uint16_t id) {
    sortID_ = id;
    copySettingsToEngine();
}
void TStoreSession::AddPassword(std::string password) {
    passwords_.push_back(std::move(password));
    copySettingsToEngine();
}

TStoreDatabase* TStoreSession::Databases(int index) const {
    if (index < 0 || index >= DatabaseCount())
        throw EListError(formatMessage("List index out of bounds (%d)", {index}));
    return databases_[static_cast<std::size_t>(index)];
}

TStoreDatabase* TStoreSession::FindDatabase(std::string_view name) const {
    for (TStoreDatabase* database : databases_)
        if (sameText(database->DatabaseName(), name)) return database;
    return nullptr;
}

TStoreDatabase& TStoreSession::OpenDatabase(std::string_view name) {
    std::lock_guard guard(TStoreSessionList::Instance().Lock());
    SetActive(true);
    TStoreDatabase* database = FindDatabase(name);
    if (database == nullptr) {
        database = new TStoreDatabase();  // temporary: freed by the session
        database->temporary_ = true;
        database->KeepConnection = KeepConnections;
        database->databaseName_ = std::string(name);
        database->sessionName_ = sessionName_;
        database->session_ = this;
        addDatabase(database);
    }
    try {
        database->Open();
    } catch (...) {
        if (database->Temporary() && database->DataSetCount() == 0) delete database;
        throw;
    }
    database->addUser();
    return *database;
}

void TStoreSession::CloseDatabase(TStoreDatabase& database) { database.removeUser(); }

TDataSession& TStoreSession::EngineSession() {
    SetActive(true);
    return *engine_;
}

void TStoreSession::addDatabase(TStoreDatabase* database) { databases_.push_back(database); }

void TStoreSession::removeDatabase(TStoreDatabase* database) {
    databases_.erase(std::remove(databases_.begin(), databases_.end(), database), databases_.end());
}

}  // namespace wispel
