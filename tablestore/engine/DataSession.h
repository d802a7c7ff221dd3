#pragma once
// The engine session: the engine's side of one session component. It holds the settings
// copied from the component, the default directory (the process's current directory when
// the session was created), the table passwords it knows, and one directory object per
// distinct directory its databases name.
//
// Ownership: the session component owns its engine session; the engine session owns its
// directories, which own their open tables. Directories are counted by their users
// (databases) and freed when the last one leaves.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tablestore/engine/EngineSettings.h"

namespace wispel {

class TDataDirectory;

class TDataSession {
public:
    TDataSession();
    ~TDataSession();
    TDataSession(const TDataSession&) = delete;
    TDataSession& operator=(const TDataSession&) = delete;

    TEngineSettings settings;
    std::string privateDirectory;
    std::vector<std::string> passwords;

    // The current directory at creation, with a trailing "/".
    const std::string& defaultDirectory() const noexcept { return defaultDirectory_; }

    // The directory object for `key` (a canonical path ending in "/", or "MEMORY"),
    // created on first use; each call adds a user.
    TDataDirectory& openDirectory(const std::string& key, bool inMemory);
    void closeDirectory(TDataDirectory& directory);

private:
    std::string defaultDirectory_;
    std::map<std::string, std::unique_ptr<TDataDirectory>> directories_;
};

}  // namespace wispel
