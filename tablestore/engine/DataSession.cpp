#include "tablestore/engine/DataSession.h"

#include <climits>
#include <unistd.h>

#include "core/DataFolder.h"
#include "tablestore/engine/DataDirectory.h"

namespace wispel {

TDataSession::TDataSession() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) != nullptr) defaultDirectory_ = buffer;
    defaultDirectory_ = withTrailingSlash(std::move(defaultDirectory_));
}

TDataSession::~TDataSession() = default;

TDataDirectory& TDataSession::openDirectory(const std::string& key, bool inMemory) {
    auto& slot = directories_[key];
    if (!slot) slot = std::make_unique<TDataDirectory>(*this, key, inMemory);
    slot->addUser();
    return *slot;
}

void TDataSession::closeDirectory(TDataDirectory& directory) {
    // A directory with tables still open stays: its tables keep using it.
    if (directory.removeUser() > 0 || directory.tableCount() > 0) return;
    directories_.erase(directory.key());
}

}  // namespace wispel
