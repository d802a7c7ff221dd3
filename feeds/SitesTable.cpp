#include "feeds/SitesTable.h"

#include <unistd.h>

#include "tablestore/component/StoreTable.h"

namespace wispel {

bool CreateSitesTableIfMissing(const std::string& folder) {
    if (::access((folder + kSitesTableName).c_str(), F_OK) == 0) return false;
    TStoreTable table;
    table.SetDatabaseName(folder);
    table.SetTableName(kSitesTableName);
    addSitesFieldDefs(table.FieldDefs());
    table.CreateTable();
    return true;
}

void LoadActiveSites(TStoreTable& table, TRSSSourceCollection& list) {
    list.Clear();
    const TStoreField& name = table.FieldNamed("Name");
    const TStoreField& url = table.FieldNamed("URL");
    const TStoreField& update = table.FieldNamed("Update");
    const TStoreField& id = table.FieldNamed("ID");
    for (bool found = table.FindFirstMatch(); found; found = table.FindNextMatch()) {
        TRSSSourceItem* source = list.Add();
        source->Site = name.TextValue();
        source->URL = url.TextValue();
        source->UpdateFrequency = update.IntegerValue();
        source->SiteID = id.IntegerValue();
    }
}

int ReadActiveSites(const std::string& folder, TRSSSourceCollection& list) {
    TStoreTable table;
    table.SetDatabaseName(folder);
    table.SetTableName(kSitesTableName);
    table.Open();
    // Another process may have changed the files since this process last read them.
    table.RefreshRows();
    const int rows = table.RecordCount();
    // The matches are searched with the filter text; the rows need not be filtered.
    table.SetFilter(kActiveSitesFilter);
    LoadActiveSites(table, list);
    return rows;
}

}  // namespace wispel
