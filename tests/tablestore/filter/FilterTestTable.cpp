#include "FilterTestTable.h"

#include <memory>

#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace {

using namespace enginetype;

ColumnDescriptor column(const char* name, std::uint8_t type, std::uint8_t size = 0,
                        std::uint8_t subtype = 0) {
    ColumnDescriptor c;
    c.name = name;
    c.type = type;
    c.subtype = subtype;
    c.size = size;
    c.width = storedWidth(type, size);
    return c;
}

// Columns, in field order:
//   ID (auto-increment), Name text 10, Update integer, Active Boolean, Price float,
//   Born date, At time, Stamp timestamp, Small 16-bit, Note text 20, Memo memo (whose texts
//   are "a long memo text" in record 1, none in record 2 and "memo <n>" in the others).
TFilterColumns makeColumns(std::size_t& recordSize) {
    TFilterColumns columns{
        column("ID", kInteger, 0, enginesubtype::kAutoInc),
        column("Name", kText, 10),
        column("Update", kInteger),
        column("Active", kBoolean),
        column("Price", kFloat),
        column("Born", kDate),
        column("At", kTime),
        column("Stamp", kTimestamp),
        column("Small", kSmallint),
        column("Note", kText, 20),
        column("Memo", kBlob, 0, enginesubtype::kMemo),
    };
    std::uint16_t offset = kRecordHeaderSize;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columns[i].fieldNumber = static_cast<std::uint16_t>(i + 1);
        if (columns[i].isAutoInc()) {
            columns[i].offset = kAutoIncValueOffset;
            continue;
        }
        columns[i].offset = offset;
        offset = static_cast<std::uint16_t>(offset + 1 + columns[i].width);
    }
    recordSize = offset;
    return columns;
}

struct Row {
    const char* name;  // null: no value (likewise below)
    const std::int32_t* update;
    const int* active;
    const double* price;
    const char* born;   // YYYY-MM-DD
    const char* at;     // HH:MM:SS.mmm
    const char* stamp;  // YYYY-MM-DD HH:MM:SS.mmm
    const std::int16_t* small;
    const char* note;
};

TDateTime parseMoment(const std::string& text) {
    int y = 1, mo = 1, d = 1, h = 0, mi = 0, s = 0, ms = 0;
    if (text.size() >= 10 && text[4] == '-')
        std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &y, &mo, &d, &h, &mi, &s, &ms);
    else
        std::sscanf(text.c_str(), "%d:%d:%d.%d", &h, &mi, &s, &ms);
    return encodeDateTime(y, mo, d, h, mi, s, ms);
}

}  // namespace

TestTable::TestTable() : columns_(makeColumns(recordSize_)) {
    static const std::int32_t u10 = 10, u20 = 20, u5 = 5, u0 = 0, um7 = -7;
    static const int t = 1, f = 0;
    static const double p25 = 2.5, pm125 = -1.25, p100 = 100, p0 = 0, ppi = 3.14159;
    static const std::int16_t sm3 = -3, s7 = 7, s0 = 0, smax = 32767, smin = -32768;
    const Row rows[] = {
        {"abc", &u10, &t, &p25, "2024-01-05", "12:30:00.000", "2024-01-05 12:30:00.000", &sm3,
         "hello world"},
        {"ABC", &u20, &f, &pm125, "1999-12-31", "08:00:00.000", "1999-12-31 23:59:59.000", &s7,
         "  padded"},
        {"abd", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
        {nullptr, &u5, &t, &p100, "2000-02-29", "00:00:00.000", "2000-02-29 00:00:00.000", &s0,
         "a%b_c"},
        {"ab*", &u0, &t, &p0, "2024-01-05", "23:59:59.500", "2024-01-06 00:00:00.000", &smax,
         "xxabxxab"},
        {"\xC3\x84rger", &um7, &f, &ppi, "1900-03-01", "06:15:30.000", "1900-03-01 06:15:30.000",
         &smin, "\xC3\x84rger"},
    };
    std::int32_t id = 0;
    for (const Row& row : rows) {
        std::vector<std::uint8_t> image(recordSize_, 0);
        writeRecordHeader({recordstatus::kActive, static_cast<std::uint32_t>(records_.size() + 1),
                           ++id},
                          image.data());
        const auto& c = columns_;
        if (row.name) setTextValue(image.data(), c[1], row.name);
        if (row.update) setInt32Value(image.data(), c[2], *row.update);
        if (row.active) setBooleanValue(image.data(), c[3], *row.active != 0);
        if (row.price) setDoubleValue(image.data(), c[4], *row.price);
        if (row.born) setInt32Value(image.data(), c[5], dateFromDateTime(parseMoment(row.born)));
        if (row.at) setInt32Value(image.data(), c[6], timeFromDateTime(parseMoment(row.at)));
        if (row.stamp)
            setDoubleValue(image.data(), c[7], timestampFromDateTime(parseMoment(row.stamp)));
        if (row.small) setInt16Value(image.data(), c[8], *row.small);
        if (row.note) setTextValue(image.data(), c[9], row.note);
        if (records_.size() != 1) image[c[10].offset] = 1;  // a memo, read by readMemo
        records_.push_back(std::move(image));
    }
}

StoreResult TestTable::readRecord(std::uint32_t recordNo, const std::uint8_t*& image) {
    reads.push_back(recordNo);
    if (recordNo == 0 || recordNo > records_.size()) return storecode::kRecordsCorrupt;
    image = records_[recordNo - 1].data();
    return storecode::kOk;
}

bool TestTable::readMemo(const ColumnDescriptor&, const std::uint8_t* image, std::string& text) {
    if (!memosReadable) return false;
    const std::uint32_t n = readRecordHeader(image).link;
    text = n == 1 ? "a long memo text" : "memo " + std::to_string(n);
    return true;
}

std::string TestTable::select(std::string_view filter, TFilterOptions options) {
    std::unique_ptr<TFilter> made;
    std::string message;
    const StoreResult result =
        TFilter::create(filter, columns_, recordSize_, {}, options, made, message);
    if (result != storecode::kOk) return "error " + std::to_string(result) + ": " + message;
    const StoreResult applied = made->apply(TRecordsBitmap(recordCount(), true), *this);
    if (applied != storecode::kOk) return "apply error " + std::to_string(applied);
    return listMembers(made->bitmap());
}

std::string listMembers(const TRecordsBitmap& bitmap) {
    std::string out;
    for (std::uint32_t n = bitmap.nextMember(1); n != 0; n = bitmap.nextMember(n + 1)) {
        if (!out.empty()) out += ',';
        out += std::to_string(n);
        if (n == bitmap.size()) break;
    }
    return out;
}

}  // namespace wispel
