#include "tablestore/component/StoreDatabase.h"

#include <climits>
#include <cstdlib>

#include "core/DataFolder.h"
#include "core/TextCase.h"
#include "core/TextTrim.h"
#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreSession.h"
#include "tablestore/engine/DataDirectory.h"
#include "tablestore/engine/DataSession.h"

namespace wispel {

TStoreDatabase::TStoreDatabase(TComponent* owner) : TComponent(owner) {}

TStoreDatabase::~TStoreDatabase() {
    if (engine_ != nullptr && session_ != nullptr && session_->Active())
        session_->EngineSession().closeDirectory(*engine_);
    if (session_ != nullptr) session_->removeDatabase(this);
}

TStoreSession& TStoreDatabase::Session() const {
    if (session_ != nullptr) return *session_;
    TStoreSession* session = TStoreSessionList::Instance().FindSession(sessionName_);
    if (session == nullptr) raiseDatabaseError(componenttext::kSessionNameInvalid, sessionName_);
    return *session;
}

void TStoreDatabase::SetDatabaseName(std::string name) {
    if (Connected()) raiseDatabaseError(componenttext::kOpenDatabase);
    databaseName_ = std::move(name);
}

void TStoreDatabase::SetDirectory(std::string directory) {
    if (Connected()) raiseDatabaseError(componenttext::kOpenDatabase);
    directory_ = std::move(directory);
}

void TStoreDatabase::SetSessionName(std::string name) {
    if (Connected()) raiseDatabaseError(componenttext::kOpenDatabase);
    sessionName_ = std::move(name);
}

void TStoreDatabase::resolveDirectory() {
    TStoreSession& session = Session();
    inMemory_ = false;
    std::string dir;
    if (databaseName_.find('/') != std::string::npos) {
        dir = databaseName_;
    } else if (sameText(trimSpacesAndTabs(databaseName_), "MEMORY")) {
        inMemory_ = true;
        resolved_ = "MEMORY";
        return;
    } else {
        dir = directory_.empty() ? session.EngineSession().defaultDirectory() : directory_;
    }
    dir = withTrailingSlash(std::string(trimSpacesAndTabs(dir)));
    // The canonical path names the directory, so that two spellings share its tables; a
    // directory that does not exist keeps its name and fails when a table is opened.
    char canonical[PATH_MAX];
    if (::realpath(dir.c_str(), canonical) != nullptr) {
        dir = withTrailingSlash(canonical);
    }
    resolved_ = dir;
}

void TStoreDatabase::SetConnected(bool connected) {
    if (connected == Connected()) return;
    if (connected) {
        if (BeforeConnect) BeforeConnect(this);
        TStoreSession& session = Session();
        if (session_ == nullptr) {
            session_ = &session;
            session.addDatabase(this);
        }
        resolveDirectory();
        engine_ = &session.EngineSession().openDirectory(resolved_, inMemory_);
        return;
    }
    TDataDirectory* engine = engine_;
    engine_ = nullptr;
    if (session_ != nullptr && session_->Active()) session_->EngineSession().closeDirectory(*engine);
}

TDataDirectory& TStoreDatabase::EngineDirectory() {
    SetConnected(true);
    return *engine_;
}

void TStoreDatabase::removeUser() {
    if (--users_ > 0 || KeepConnection) return;
    SetConnected(false);
    if (temporary_) delete this;
}

}  // namespace wispel
