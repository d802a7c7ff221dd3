#pragma once
// A fresh folder per test with helpers to create and fill a sites table in it.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "feeds/SitesSchema.h"
#include "tablestore/component/StoreTable.h"

namespace wispel::test {

// The engine error code `action` raised (EStoreEngineError), 0 when it raised none.
int engineCode(const std::function<void()>& action);

// A file's bytes, for tests that damage table files on disk.
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
// Writes `bytes` at `offset`, leaving the rest of the file as it is.
void patchBytes(const std::string& path, std::size_t offset, const std::string& bytes);

class SitesTableTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A closed table on "Sites.DAT" in the test's folder.
    std::unique_ptr<TStoreTable> sitesTable() const;
    // Creates the table and opens it.
    std::unique_ptr<TStoreTable> createSites() const;
    static void addSite(TStoreTable& table, const std::string& name, const std::string& url,
                        int update, bool active);
    // "Name" of every row in table order, or of the filtered rows.
    static std::string names(TStoreTable& table);

    std::filesystem::path dir_;
    std::string dirName_;  // with a trailing "/"
};

}  // namespace wispel::test
