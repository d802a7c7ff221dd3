#pragma once
// The sites table and OPML files: an import that adds the feeds of a list which the table
// does not hold yet, and an export of every site. The window's File menu and wispel-sites
// both call these, so the two agree on what an import does and how it is told.
//
//   TSitesImportReport report = ImportSitesOpml(folder, "subscriptions.opml");
//   for (const std::string& line : importReportLines(report)) show(line);
//   ExportSitesOpmlFile(folder, "sites.opml", nowSeconds);
//
// An import is all or nothing. Nothing is added when the file cannot be read, is not OPML,
// or holds an address the table would refuse (EOpmlError saying why, with the line and the
// value); nor when the table fails while the new rows are written: the rows written by then
// are taken out again, and the error passes to the caller. A feed whose address the table
// holds already, or which the file named before, is skipped and reported; the rest are
// added, active and without an interval (fetched at every update), in the file's order.
// The whole import runs under the table's write lock, so another process sees the sites
// from before it or after it.
//
// The sites table must exist (the window program makes it at its first start); its folder
// is given with a trailing "/". Errors of the table store pass to the caller.

#include <cstdint>
#include <string>
#include <vector>

#include "core/InternetDate.h"
#include "feeds/OpmlReader.h"

namespace wispel {

struct TImportedSite {
    TOpmlFeed Feed;
    std::int32_t ID = 0;  // the new row's
};

struct TSkippedSite {
    enum class Reason {
        InTable,  // the table holds the address already
        InFile,   // an outline before it in the file has the same address
    };
    TOpmlFeed Feed;
    Reason Why = Reason::InTable;
    int FirstLine = 0;  // InFile: the line of the outline that was taken
};

struct TSitesImportReport {
    std::vector<TImportedSite> Added;  // in the file's order
    std::vector<TSkippedSite> Skipped;
};

// Addresses are compared byte for byte after the blanks around them are gone.
TSitesImportReport ImportSitesOpml(const std::string& folder, const std::vector<TOpmlFeed>& feeds);
// readOpmlFile, then the import above.
TSitesImportReport ImportSitesOpml(const std::string& folder, const std::string& opmlPath);

// The report for a person, one line per site added or skipped, then a line with the counts:
//   added 4 Gazette http://g.example/rss
//   skipped line 9: http://t.example/feed is already a site
//   skipped line 12: http://g.example/rss is on line 3 as well
//   1 site added, 2 skipped.
// Values are shown with their control characters escaped.
std::vector<std::string> importReportLines(const TSitesImportReport& report);

// Every site of the table with an address, in table order, as an OPML 2.0 document titled
// "Wispel sites" and dated `now`. Read under a read lock: one state of the table.
std::string ExportSitesOpml(const std::string& folder, TUtcSeconds now);
// The same written to the file `path`, through a new file beside it that replaces it once
// all of it is written: a failed export leaves the file as it was. EOpmlError "Cannot write
// PATH: REASON." when it cannot be written.
void ExportSitesOpmlFile(const std::string& folder, const std::string& path, TUtcSeconds now);

}  // namespace wispel
