#include "feeds/SitesOpml.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "core/TerminalText.h"
#include "core/TextTrim.h"
#include "feeds/OpmlWriter.h"
#include "feeds/SitesSchema.h"
#include "feeds/TableLockScope.h"
#include "tablestore/component/StoreTable.h"

namespace wispel {

namespace {

void openSitesTable(TStoreTable& table, const std::string& folder) {
    table.SetDatabaseName(folder);
    table.SetTableName(kSitesTableName);
    table.Open();
    // Another process may have changed the files since this process last read them.
    table.RefreshRows();
}

std::unordered_set<std::string> storedAddresses(TStoreTable& table) {
    std::unordered_set<std::string> addresses;
    const TStoreField& url = table.FieldNamed("URL");
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        addresses.emplace(trimXmlBlanks(url.TextValue()));
    return addresses;
}

// Which feeds are new, which are skipped and why.
TSitesImportReport sortOut(const std::vector<TOpmlFeed>& feeds,
                           const std::unordered_set<std::string>& stored) {
    TSitesImportReport report;
    std::unordered_map<std::string_view, int> taken;  // address -> line of its outline
    for (const TOpmlFeed& feed : feeds) {
        if (stored.count(feed.URL)) {
            report.Skipped.push_back({feed, TSkippedSite::Reason::InTable, 0});
        } else if (auto first = taken.find(feed.URL); first != taken.end()) {
            report.Skipped.push_back({feed, TSkippedSite::Reason::InFile, first->second});
        } else {
            taken.emplace(feed.URL, feed.Line);
            report.Added.push_back({feed, 0});
        }
    }
    return report;
}

// Takes the rows written so far out again; the error that stopped the writing is the one
// the caller hears, whatever happens here.
void removeRows(TStoreTable& table, const std::vector<TStoreBookmark>& rows) {
    try {
        if (table.State() == TStoreDataSetState::dsInsert) table.CancelRow();
    } catch (...) {
    }
    for (const TStoreBookmark& row : rows) {
        try {
            table.GotoBookmark(row);
            table.DeleteRow();
        } catch (...) {
        }
    }
}

// The rows written, for taking them out again.
std::vector<TStoreBookmark> addRows(TStoreTable& table, std::vector<TImportedSite>& sites) {
    TStoreField& name = table.FieldNamed("Name");
    TStoreField& url = table.FieldNamed("URL");
    TStoreField& active = table.FieldNamed("Active");
    const TStoreField& id = table.FieldNamed("ID");
    std::vector<TStoreBookmark> written;
    written.reserve(sites.size());
    try {
        for (TImportedSite& site : sites) {
            table.StartInsert();
            name.SetTextValue(site.Feed.Name);
            url.SetTextValue(site.Feed.URL);
            active.SetBooleanValue(true);
            table.PostRow();
            site.ID = id.IntegerValue();
            written.push_back(table.GetBookmark());
        }
    } catch (...) {
        removeRows(table, written);
        throw;
    }
    return written;
}

// Writes `bytes` to `path` through a new file beside it, so that a failed write leaves what
// was there before.
void replaceFile(const std::string& path, const std::string& bytes) {
    const std::string partial = path + ".partial-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = written ? 0 : errno;
    if (file && std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && std::rename(partial.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (written) return;
    std::remove(partial.c_str());
    throw EOpmlError("Cannot write " + escapeControls(path) + ": " + std::strerror(error) + ".");
}

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

TSitesImportReport ImportSitesOpml(const std::string& folder, const std::vector<TOpmlFeed>& feeds) {
    TStoreTable table;
    openSitesTable(table, folder);
    TTableLockScope lock(table);
    // Under the lock: the addresses compared with are those the rows will join.
    table.RefreshRows();
    TSitesImportReport report = sortOut(feeds, storedAddresses(table));
    const std::vector<TStoreBookmark> written = addRows(table, report.Added);
    try {
        lock.Release();
    } catch (...) {
        // The table writes part of the rows when its lock is handed back: a failure there
        // takes them out as well, all or none.
        removeRows(table, written);
        throw;
    }
    return report;
}

TSitesImportReport ImportSitesOpml(const std::string& folder, const std::string& opmlPath) {
    return ImportSitesOpml(folder, readOpmlFile(opmlPath));
}

std::vector<std::string> importReportLines(const TSitesImportReport& report) {
    std::vector<std::string> lines;
    lines.reserve(report.Added.size() + report.Skipped.size() + 1);
    for (const TImportedSite& site : report.Added)
        lines.push_back("added " + std::to_string(site.ID) + " " + escapeControls(site.Feed.Name) +
                        " " + escapeControls(site.Feed.URL));
    for (const TSkippedSite& site : report.Skipped) {
        std::string line = "skipped line " + std::to_string(site.Feed.Line) + ": " +
                           escapeControls(site.Feed.URL);
        if (site.Why == TSkippedSite::Reason::InTable) line += " is already a site";
        else line += " is on line " + std::to_string(site.FirstLine) + " as well";
        lines.push_back(std::move(line));
    }
    lines.push_back(plural(report.Added.size(), "site", "sites") + " added, " +
                    std::to_string(report.Skipped.size()) + " skipped.");
    return lines;
}

std::string ExportSitesOpml(const std::string& folder, TUtcSeconds now) {
    TStoreTable table;
    openSitesTable(table, folder);
    std::vector<TOpmlFeed> feeds;
    {
        TTableLockScope reading(table, TStoreLockType::ltReadLock);
        const TStoreField& name = table.FieldNamed("Name");
        const TStoreField& url = table.FieldNamed("URL");
        for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
            std::string address(trimXmlBlanks(url.TextValue()));
            if (!address.empty()) feeds.push_back({name.TextValue(), std::move(address), 0});
        }
    }
    return writeOpml(feeds, "Wispel sites", now);
}

void ExportSitesOpmlFile(const std::string& folder, const std::string& path, TUtcSeconds now) {
    replaceFile(path, ExportSitesOpml(folder, now));
}

}  // namespace wispel
