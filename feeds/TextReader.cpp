#include "feeds/TextReader.h"

#include <string>

#include "core/TextConvert.h"

namespace wispel {

namespace {

// The separator test and the link search stop at a zero byte inside a line.
std::string_view upToZero(std::string_view line) {
    const size_t zero = line.find('\0');
    return zero == std::string_view::npos ? line : line.substr(0, zero);
}

bool isControl(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

// A line that is mostly bytes of no text (control characters, bytes that are no UTF-8) is
// no record line: binary or mis-encoded data ends the record like a separator. A carriage
// return that ends the line is its line end, not its text.
bool isReadable(std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::size_t junk = 0;
    const DOMString units = fromUtf8(line);
    for (char16_t unit : units) {
        if ((isControl(unit) && unit != u'\t') || unit == u'\uFFFD') ++junk;
    }
    return junk * 4 <= units.size();
}

// The text a line gives a field: up to a zero byte, decoded as UTF-8 with every invalid
// byte replaced, without control characters save tab and the carriage return of a line end.
std::string fieldText(std::string_view line) {
    line = upToZero(line);
    const bool carriageReturn = line.ends_with('\r');
    if (carriageReturn) line.remove_suffix(1);
    DOMString units = fromUtf8(line);
    std::erase_if(units, [](char16_t unit) { return isControl(unit) && unit != u'\t'; });
    if (carriageReturn) units += u'\r';
    return toUtf8(units);
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
        if (line.empty() || upToZero(line) == "&&" || !isReadable(line)) {
            record.lines = 0;  // a record of one or two lines is dropped
        } else {
            record.take(line);
        }
        if (record.lines == 3) {
            TRSSListedItem* item = items.Add();
            item->Title = fieldText(record.title);
            item->Link = fieldText(record.link);
            item->Description = fieldText(record.description);
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
