#include "feeds/TextReader.h"

#include <string>

namespace wispel {

namespace {

// The separator test and the link search stop at a zero byte inside a line.
std::string_view upToZero(std::string_view line) {
    const size_t zero = line.find('\0');
    return zero == std::string_view::npos ? line : line.substr(0, zero);
}

// One record's lines as they are taken; every record starts from empty fields, so that a
// record never shows another record's link or description.
struct Record {
    std::string_view title, link, description;
    int lines = 0;

    void take(std::string_view line) {
        if (lines == 0) {
            *this = Record{line, {}, {}, 0};
        } else if (upToZero(line).find("http://") != std::string_view::npos) {
            link = line;
        } else {
            description = line;
        }
        ++lines;
    }
};

}  // namespace

void ReadRSSTextRecords(std::string_view text, TRSSListedItemCollection& items) {
    items.Clear();
    Record record;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        const std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (line.empty() || upToZero(line) == "&&") {
            record.lines = 0;  // a record of one or two lines is dropped
        } else {
            record.take(line);
        }
        if (record.lines == 3) {
            TRSSListedItem* item = items.Add();
            item->Title = record.title;
            item->Link = record.link;
            item->Description = record.description;
            record.lines = 0;
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

void ReadRSSTextStream(TStream& stream, TRSSListedItemCollection& items) {
    items.Clear();
    std::string text(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    ReadRSSTextRecords(text, items);
}

}  // namespace wispel
