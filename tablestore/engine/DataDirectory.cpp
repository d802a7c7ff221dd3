#include "tablestore/engine/DataDirectory.h"

#include <algorithm>

#include "core/TextCase.h"
#include "core/TextTrim.h"
#include "tablestore/engine/DataSession.h"
#include "tablestore/engine/DataTable.h"

namespace wispel {

TDataDirectory::TDataDirectory(TDataSession& session, std::string key, bool inMemory)
    : session_(session), key_(std::move(key)), inMemory_(inMemory) {}

TDataDirectory::~TDataDirectory() {
    for (auto& table : tables_) table->close();
}

StoreFileSystem& TDataDirectory::fileSystem() const {
    if (inMemory_) return memoryFileSystem();
    StoreFileSystem* files = session_.settings.diskFiles;
    return files != nullptr ? *files : posixFileSystem();
}

std::string TDataDirectory::filePath(const std::string& name) const {
    return inMemory_ ? key_ + "/" + name : key_ + name;
}

StoreStatus TDataDirectory::openTable(const std::string& name, const TTableOpenOptions& options,
                                      TDataTable*& table) {
    const std::string wanted(trimSpacesAndTabs(name));
    auto found = std::find_if(tables_.begin(), tables_.end(), [&](const auto& t) {
        return t->options().inMemory == options.inMemory && sameText(t->name(), wanted);
    });
    if (found != tables_.end()) {
        if (options.exclusive || (*found)->options().exclusive)
            return {storecode::kAccessDenied, wanted};
        table = found->get();
        table->addUser();
        return storecode::kOk;
    }
    auto made = std::make_unique<TDataTable>(*this, wanted, options);
    if (StoreStatus r = made->open()) return std::move(r).about(wanted);
    made->addUser();
    table = made.get();
    tables_.push_back(std::move(made));
    return storecode::kOk;
}

void TDataDirectory::releaseTable(TDataTable* table) {
    if (table == nullptr) return;
    if (table->removeUser() > 0) return;
    table->close();
    tables_.erase(std::remove_if(tables_.begin(), tables_.end(),
                                 [&](const auto& t) { return t.get() == table; }),
                  tables_.end());
}

}  // namespace wispel
