// What a person subscribes from, as it comes from outside: every input is read as an OPML
// list and as a web page whose announced feeds are searched. Each must end in a list, a
// page's feeds or an EOpmlError, never in a crash, a leak, a hang or unbounded memory.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "feeds/FeedDiscovery.h"
#include "feeds/OpmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        wispel::readOpml(bytes);
    } catch (const wispel::EOpmlError&) {
        // the list's own refusal
    }
    wispel::isWebPage(bytes, "text/html");
    wispel::announcedFeeds(bytes, "http://127.0.0.1/news/index.html");
    return 0;
}
