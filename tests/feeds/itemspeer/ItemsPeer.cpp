// wispel_items_peer list DIR
//     prints every stored item: site, key, read flag (0/1) and title, tab-separated
// wispel_items_peer merge DIR SITE FIRST COUNT TAG
//     merges one feed of COUNT items with keys FIRST.. (titles "TAG n") into site SITE
// wispel_items_peer merge-loop DIR SEED
//     says "ready", then merges feeds forever (retention off): round r merges into site
//     1 + r % 3 the items r * 5 to r * 5 + 39 with titles of round r, marks one read and
//     says "merged SITE FIRST COUNT" when the merge has returned
//
// Items are keyed by their link "http://127.0.0.1/item/N" so a test can name them.

#include <cstdio>
#include <random>
#include <string>
#include <typeinfo>

#include "feeds/ItemsTable.h"

using namespace wispel;

namespace {

std::string itemLink(int n) { return "http://127.0.0.1/item/" + std::to_string(n); }

void fillFeed(TRSSListedItemCollection& feed, int first, int count, const std::string& tag) {
    feed.Clear();
    for (int n = first; n < first + count; ++n) {
        TRSSListedItem* item = feed.Add();
        item->Title = tag + " " + std::to_string(n);
        item->Link = itemLink(n);
        item->Description = std::string(static_cast<std::size_t>(n % 700), 'd');
    }
}

int list(const std::string& dir) {
    TItemsTable items(dir);
    items.ForEachItem([](const TStoredItem& item) {
        std::printf("%d\t%s\t%d\t%s\n", item.Site, item.Key.c_str(), item.Read ? 1 : 0,
                    item.Title.c_str());
    });
    return 0;
}

int mergeLoop(const std::string& dir, unsigned seed) {
    TItemsTable items(dir);
    items.RetentionDays = 0;
    TRSSListedItemCollection feed(typeid(TRSSListedItem));
    std::mt19937 random(seed);
    std::printf("ready\n");
    std::fflush(stdout);
    for (int round = static_cast<int>(random() % 1000);; ++round) {
        const int site = 1 + round % 3, first = round * 5 % 400, count = 40;
        fillFeed(feed, first, count, "round " + std::to_string(round));
        items.Merge(site, feed);
        items.SetRead(site, storedItemKey(*feed[static_cast<int>(random() % count)]), true);
        std::printf("merged %d %d %d\n", site, first, count);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "list") return list(args[1]);
        if (args.size() == 3 && args[0] == "merge-loop")
            return mergeLoop(args[1], static_cast<unsigned>(std::stoul(args[2])));
        if (args.size() == 6 && args[0] == "merge") {
            TItemsTable items(args[1]);
            TRSSListedItemCollection feed(typeid(TRSSListedItem));
            fillFeed(feed, std::stoi(args[3]), std::stoi(args[4]), args[5]);
            items.Merge(std::stoi(args[2]), feed);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: see the top of ItemsPeer.cpp\n");
    return 2;
}
