// The update side by side against curl, in one run: 60 sites on a loopback server that
// answers each request after 300 ms, fetched by `wispel-fetch --sites` (six at a time, as
// the window) and by the curl program with `--parallel --parallel-max 6`. Then the second
// update of both, which sends what the first was told (our Feeds.DAT; curl's
// `--etag-compare`), so that every site answers 304. Each pair runs three times in turn and
// the fastest of each counts. The aim: at most 1.2 times curl's wall time for both.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/GeneratedRss.h"
#include "bench/support/RunProgram.h"
#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"
#include "tests/support/LocalHttpServer.h"

using namespace wispel;

namespace {

constexpr int kSites = 60;
constexpr int kDelayMs = 300;
constexpr int kItems = 20;  // items per feed
constexpr int kRounds = 3;

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string siteUrl(const test::LocalHttpServer& server, int n) {
    return server.url("/delay/" + std::to_string(kDelayMs) + "/etag/site-" + std::to_string(n) +
                      ".xml");
}

// A sites table of the 60 sites in `folder`, made as the window makes it.
void writeSitesTable(const std::string& folder, const test::LocalHttpServer& server) {
    CreateSitesTableIfMissing(folder);
    TStoreTable table;
    table.SetDatabaseName(folder);
    table.SetTableName(kSitesTableName);
    table.Open();
    for (int n = 0; n < kSites; ++n) {
        table.StartInsert();
        table.FieldNamed("Name").SetTextValue("Site " + std::to_string(n));
        table.FieldNamed("URL").SetTextValue(siteUrl(server, n));
        table.FieldNamed("Active").SetBooleanValue(true);
        table.PostRow();
    }
}

// curl's configuration: one transfer per site, each with its own output and ETag file;
// `compare` makes it send the saved ETag.
std::string writeCurlConfig(const std::string& folder, const test::LocalHttpServer& server,
                            bool compare) {
    const std::string path = folder + (compare ? "second.curl" : "first.curl");
    std::ofstream config(path);
    for (int n = 0; n < kSites; ++n) {
        const std::string file = folder + "curl-" + std::to_string(n);
        config << "url = \"" << siteUrl(server, n) << "\"\n"
               << "output = \"" << file << ".xml\"\n"
               << "etag-save = \"" << file << ".etag\"\n";
        if (compare) config << "etag-compare = \"" << file << ".etag\"\n";
        if (n + 1 < kSites) config << "next\n";
    }
    return path;
}

void forgetValidators(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("Feeds.") || name.starts_with("curl-")) {
            std::filesystem::remove(entry.path());
        }
    }
}

// The items lines a further update of ours prints: none when every site answered 304.
int itemsOfAnotherUpdate(const std::string& data) {
    const std::string command = std::string(WISPEL_FETCH) + " --tsv --sites '" + data + "'";
    FILE* output = ::popen(command.c_str(), "r");
    if (!output) return -1;
    int lines = 0;
    for (int c; (c = std::fgetc(output)) != EOF;) lines += c == '\n';
    ::pclose(output);
    return lines;
}

}  // namespace

int main() {
    char feedsPattern[] = "/tmp/wispel-bench-update-feeds-XXXXXX";
    char dataPattern[] = "/tmp/wispel-bench-update-data-XXXXXX";
    const std::string feeds = std::string(::mkdtemp(feedsPattern)) + "/";
    const std::string data = std::string(::mkdtemp(dataPattern)) + "/";
    for (int n = 0; n < kSites; ++n) {
        std::ofstream(feeds + "site-" + std::to_string(n) + ".xml") << bench::generatedRss(kItems);
    }
    test::LocalHttpServer server(feeds);
    writeSitesTable(data, server);
    const std::string first = writeCurlConfig(data, server, false);
    const std::string second = writeCurlConfig(data, server, true);
    const std::vector<std::string> ours = {WISPEL_FETCH, "--sites", data};
    const auto curl = [](const std::string& config) {
        return std::vector<std::string>{WISPEL_CURL, "-s", "--no-progress-meter", "-f", "--parallel",
                                        "--parallel-max", "6", "-K", config};
    };

    double best[4] = {1e9, 1e9, 1e9, 1e9};  // ours first, curl first, ours second, curl second
    for (int round = 0; round < kRounds; ++round) {
        forgetValidators(data);
        best[0] = std::min(best[0], seconds([&] { bench::runProgram(ours); }));
        best[1] = std::min(best[1], seconds([&] { bench::runProgram(curl(first)); }));
        best[2] = std::min(best[2], seconds([&] { bench::runProgram(ours); }));
        best[3] = std::min(best[3], seconds([&] { bench::runProgram(curl(second)); }));
    }
    const int unchanged = itemsOfAnotherUpdate(data);
    std::printf("%d sites answering after %d ms, %d items each; fastest of %d rounds\n", kSites,
                kDelayMs, kItems, kRounds);
    if (unchanged != 0) std::printf("the second update was not all 304: %d items printed\n", unchanged);
    std::printf("%-34s %10s %10s %8s\n", "update", "wispel s", "curl s", "ratio");
    std::printf("%-34s %10.3f %10.3f %8.2f\n", "first (all 200)", best[0], best[1], best[0] / best[1]);
    std::printf("%-34s %10.3f %10.3f %8.2f\n", "second (all 304)", best[2], best[3], best[2] / best[3]);
    std::filesystem::remove_all(feeds);
    std::filesystem::remove_all(data);
    return unchanged == 0 ? 0 : 1;
}
