#pragma once
// A fresh folder per test with helpers to create and fill a sites table in it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "feeds/SitesSchema.h"
#include "tablestore/component/StoreTable.h"

namespace wispel::test {

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
