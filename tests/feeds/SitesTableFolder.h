#pragma once
// A folder for a sites table made through the table store, as the window program makes it
// (at the first row added), removed with everything in it when the object goes.

#include <string>

#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"
#include "tests/support/TempFolder.h"

namespace wispel::test {

class SitesTableFolder {
public:
    explicit SitesTableFolder(const std::string& prefix = "wispel-sites") : folder_(prefix) {}

    // The folder's path, ending in "/".
    const std::string& path() const { return folder_.path(); }

    void add(const std::string& name, const std::string& url, bool active) {
        CreateSitesTableIfMissing(path());
        TStoreTable table;
        table.SetDatabaseName(path());
        table.SetTableName(kSitesTableName);
        table.Open();
        table.StartInsert();
        table.FieldNamed("Name").SetTextValue(name);
        table.FieldNamed("URL").SetTextValue(url);
        table.FieldNamed("Active").SetBooleanValue(active);
        table.PostRow();
    }

private:
    TempFolder folder_;
};

}  // namespace wispel::test
