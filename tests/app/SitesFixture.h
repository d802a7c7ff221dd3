#pragma once
// A data folder of its own for a test, with a sites table written through the table store
// as the program writes it, and a local HTTP server for the feeds of tests/data/app.

#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <string>

#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"
#include "tests/support/LocalHttpServer.h"

namespace wispel::test {

inline const std::string kAppFeeds = WISPEL_TEST_DATA "/app";

class SitesFolder {
public:
    SitesFolder() : folder_(dir_.path().toStdString() + "/") {}

    // "<temp>/", ending in "/".
    const std::string& path() const noexcept { return folder_; }
    std::string file(const char* name) const { return folder_ + name; }

    // Creates the table when needed and appends a row; unset values stay without a value.
    void addSite(const std::string& name, const std::string& url,
                 std::optional<int> update = std::nullopt, std::optional<bool> active = true) {
        CreateSitesTableIfMissing(folder_);
        TStoreTable table;
        table.SetDatabaseName(folder_);
        table.SetTableName(kSitesTableName);
        table.Open();
        table.StartInsert();
        table.FieldNamed("Name").SetTextValue(name);
        table.FieldNamed("URL").SetTextValue(url);
        if (update) table.FieldNamed("Update").SetIntegerValue(*update);
        if (active) table.FieldNamed("Active").SetBooleanValue(*active);
        table.PostRow();
    }

    // Every row as "Name|URL|Update|Active" with empty parts for unset values.
    std::vector<std::string> rows() const {
        TStoreTable table;
        table.SetDatabaseName(folder_);
        table.SetTableName(kSitesTableName);
        table.Open();
        std::vector<std::string> out;
        for (table.MoveFirst(); !table.IsEmpty() && !table.AtEnd(); table.MoveNext()) {
            auto text = [&](const char* f) {
                const TStoreField& field = table.FieldNamed(f);
                return field.IsNull() ? std::string() : field.TextValue();
            };
            out.push_back(text("Name") + "|" + text("URL") + "|" + text("Update") + "|" +
                          text("Active"));
        }
        return out;
    }

private:
    QTemporaryDir dir_;
    std::string folder_;
};

// The feeds of tests/data/app on a real local server.
class FeedServer {
public:
    FeedServer() : server_(kAppFeeds) {}
    std::string url(const char* file) const { return server_.url(std::string("/") + file); }

private:
    LocalHttpServer server_;
};

}  // namespace wispel::test
