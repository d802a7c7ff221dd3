#include "tools/wispel-sites/SitesCommand.h"

#include <charconv>
#include <ctime>
#include <filesystem>

#include "core/CommandLineTool.h"
#include "core/DataFolder.h"
#include "core/Exception.h"
#include "core/TerminalText.h"
#include "feeds/FeedFinder.h"
#include "feeds/ItemsTable.h"
#include "feeds/SitesOpml.h"
#include "feeds/SiteValues.h"
#include "feeds/SitesSchema.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/errors/StoreEngineError.h"

namespace wispel {

namespace {

bool parseNumber(const std::string& text, int& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

void requireSites(const std::string& dir) {
    if (!std::filesystem::exists(dir + kSitesTableName))
        throw Exception("There is no sites table in " + escapeControls(dir) +
                        ": make one with 'wispel-sites --dir " + escapeControls(dir) + " create'.");
}

void openSites(TStoreTable& table, const std::string& dir) {
    requireSites(dir);
    table.SetDatabaseName(dir);
    table.SetTableName(kSitesTableName);
    table.Open();
}

// Puts the table on the row of that ID; 8710 when there is none.
void findRow(TStoreTable& table, const std::string& idText) {
    int id = 0;
    if (parseNumber(idText, id)) {
        for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
            if (table.FieldNamed("ID").IntegerValue() == id) return;
        if (!table.IsEmpty() && table.FieldNamed("ID").IntegerValue() == id) return;
    }
    throw EStoreEngineError(storecode::kRecordNotFound, StoreErrorNames{kSitesTableName, {}, {}, {}});
}

void create(const std::string& dir) {
    if (std::filesystem::exists(dir + kSitesTableName))
        throw EStoreEngineError(storecode::kTableExists,
                                StoreErrorNames{dir + kSitesTableName, {}, {}, {}});
    TStoreTable table;
    table.SetDatabaseName(dir);
    table.SetTableName(kSitesTableName);
    addSitesFieldDefs(table.FieldDefs());
    table.CreateTable();
}

void list(TStoreTable& table, bool tsv, std::FILE* out) {
    const char* names[] = {"ID", "Name", "URL", "Update", "Active"};
    if (!tsv) std::fprintf(out, "%6s  %-10s  %6s  %-6s  %s\n", "ID", "Name", "Update", "Active", "URL");
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
        // A table written elsewhere may hold anything: nothing of it reaches the terminal raw.
        std::string values[5];
        for (int i = 0; i < 5; ++i) values[i] = escapeControls(table.FieldNamed(names[i]).TextValue());
        if (tsv)
            std::fprintf(out, "%s\t%s\t%s\t%s\t%s\n", values[0].c_str(), values[1].c_str(),
                         values[2].c_str(), values[3].c_str(), values[4].c_str());
        else
            std::fprintf(out, "%6s  %-10s  %6s  %-6s  %s\n", values[0].c_str(), values[1].c_str(),
                         values[3].c_str(), values[4].c_str(), values[2].c_str());
    }
}

void refuseProblem(const std::optional<std::string>& problem) {
    if (problem) throw Exception(*problem);
}

// The address to add for `url` as given to add --discover: the address itself when it
// answers with a feed, else the first feed its page announces (said on `out`).
std::string discoveredFeed(const std::string& url, std::FILE* out) {
    const TFeedSearch found = findFeeds(url);
    if (found.IsFeed) return url;
    if (found.Feeds.empty())
        throw Exception("The address " + escapeControls(url) +
                        " answers with a web page that announces no feed: give the feed's own "
                        "address.");
    const std::string& feed = found.Feeds.front().URL;
    if (auto problem = siteAddressProblem(feed))
        throw Exception("The page at " + escapeControls(url) + " announces the feed " +
                        escapeControls(feed) + ", which cannot be stored: " + *problem);
    std::fprintf(out, "%s is a web page: found feed %s", escapeControls(url).c_str(),
                 escapeControls(feed).c_str());
    if (found.Feeds.size() > 1)
        std::fprintf(out, " (the first of the %zu it announces)", found.Feeds.size());
    std::fprintf(out, ", adding it\n");
    return feed;
}

void add(TStoreTable& table, const TSitesCommand& command, std::FILE* out) {
    refuseProblem(siteNameProblem(command.args[0]));
    refuseProblem(siteAddressProblem(command.args[1]));
    refuseProblem(siteUpdateProblem(command.update));
    const std::string url = command.discover ? discoveredFeed(command.args[1], out) : command.args[1];
    table.StartInsert();
    table.FieldNamed("Name").SetTextValue(command.args[0]);
    table.FieldNamed("URL").SetTextValue(url);
    if (!command.update.empty()) table.FieldNamed("Update").SetTextValue(command.update);
    table.FieldNamed("Active").SetBooleanValue(!command.inactive);
    table.PostRow();
    std::fprintf(out, "%d\n", table.FieldNamed("ID").IntegerValue());
}

void importList(const TSitesCommand& command, std::FILE* out) {
    requireSites(command.dir);
    for (const std::string& line : importReportLines(ImportSitesOpml(command.dir, command.args[0])))
        std::fprintf(out, "%s\n", line.c_str());
}

void exportList(const TSitesCommand& command, std::FILE* out) {
    requireSites(command.dir);
    if (!command.args.empty()) {
        ExportSitesOpmlFile(command.dir, command.args[0], std::time(nullptr));
        return;
    }
    const std::string document = ExportSitesOpml(command.dir, std::time(nullptr));
    std::fwrite(document.data(), 1, document.size(), out);
}

void set(TStoreTable& table, const TSitesCommand& command) {
    for (std::size_t i = 1; i < command.args.size(); ++i) {
        const std::string& assignment = command.args[i];
        const size_t equals = assignment.find('=');
        refuseProblem(siteValueProblem(assignment.substr(0, equals), assignment.substr(equals + 1)));
    }
    findRow(table, command.args[0]);
    table.StartEdit();
    try {
        for (std::size_t i = 1; i < command.args.size(); ++i) {
            const std::string& assignment = command.args[i];
            const size_t equals = assignment.find('=');
            table.FieldNamed(assignment.substr(0, equals)).SetTextValue(assignment.substr(equals + 1));
        }
        table.PostRow();
    } catch (...) {
        table.CancelRow();
        throw;
    }
}

int check(TStoreTable& table, std::FILE* out) {
    std::vector<std::string> problems = table.CheckFiles();
    for (const std::string& problem : problems) std::fprintf(out, "%s\n", problem.c_str());
    return problems.empty() ? 0 : 1;
}

}  // namespace

bool parseSitesArguments(const std::vector<std::string>& arguments, TSitesCommand& command,
                         std::string& error) {
    std::size_t i = 0;
    if (!takeDirOption(arguments, i, command.dir, error)) return false;
    if (i >= arguments.size()) {
        error = "no command";
        return false;
    }
    command.name = arguments[i++];
    bool operands = false;  // after "--": a name or a value that starts with "-"
    for (; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (!operands && a == "--") operands = true;
        else if (operands) command.args.push_back(a);
        else if (command.name == "list" && a == "--tsv") command.tsv = true;
        else if (command.name == "add" && a == "--inactive") command.inactive = true;
        else if (command.name == "add" && a == "--discover") command.discover = true;
        else if (command.name == "add" && a == "--update" && i + 1 < arguments.size())
            command.update = arguments[++i];
        else command.args.push_back(a);
    }
    const std::string& n = command.name;
    const std::size_t count = command.args.size();
    bool ok = ((n == "create" || n == "list" || n == "check") && count == 0) ||
              (n == "add" && count == 2) || (n == "delete" && count == 1) ||
              (n == "set" && count >= 2) || (n == "import" && count == 1) ||
              (n == "export" && count <= 1);
    for (std::size_t k = 1; ok && n == "set" && k < count; ++k)
        ok = command.args[k].find('=') != std::string::npos;
    if (!ok) {
        error = "wrong arguments for '" + n + "'";
        return false;
    }
    if (command.dir.empty()) command.dir = wispelDataFolder();
    return true;
}

int runSitesCommand(const TSitesCommand& command, std::FILE* out, std::FILE* err) {
    try {
        if (command.name == "create") {
            create(command.dir);
            return 0;
        }
        if (command.name == "import" || command.name == "export") {
            if (command.name == "import") importList(command, out);
            else exportList(command, out);
            return 0;
        }
        TStoreTable table;
        openSites(table, command.dir);
        if (command.name == "list") list(table, command.tsv, out);
        else if (command.name == "add") add(table, command, out);
        else if (command.name == "set") set(table, command);
        else if (command.name == "delete") {
            findRow(table, command.args[0]);
            const std::int32_t site = table.FieldNamed("ID").IntegerValue();
            table.DeleteRow();
            // The site's kept news go with it; a new site never gets its ID again.
            DeleteSiteItems(command.dir, site);
        } else if (command.name == "check") return check(table, out);
        return 0;
    } catch (const Exception& e) {
        std::fprintf(err, "%s\n", e.message().c_str());
        return 1;
    }
}

}  // namespace wispel
