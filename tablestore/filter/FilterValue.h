#pragma once
// Values as the filter computes with them. Each value has one of a few classes; the
// engine's column types fold into them (every integer type into `integer`, float and money
// into `floating`, text and memo into `text`). Dates, times and timestamps keep the
// table's own encodings, so a column's value needs no conversion to be compared:
//   date       day number, 1 January of year 1 being day 1        (in `integer`)
//   time       milliseconds since midnight                         (in `integer`)
//   timestamp  milliseconds since the start of 1 January of year 1 (in `number`)
//   Boolean    0 or 1                                              (in `integer`)

#include <cstdint>
#include <string>
#include <string_view>

#include "core/DateTime.h"

namespace wispel {

enum class TValueClass : std::uint8_t {
    null,  // the NULL constant: no value, fits any class
    text,
    integer,
    floating,
    boolean,
    date,
    time,
    timestamp,
    bytes,  // byte strings and blobs: only IS NULL looks at them
};

struct TFilterValue {
    TValueClass type = TValueClass::null;
    bool isNull = true;
    std::int64_t integer = 0;
    double number = 0;
    // Points into the record, a constant of the program or the evaluator's scratch space.
    std::string_view text;
};

// The engine type code that stands for a class in expression nodes (1 text, 2 date,
// 4 Boolean, 6 32-bit integer, 7 float, 10 time, 11 timestamp; 0 for NULL).
std::uint8_t engineTypeOfClass(TValueClass type);
bool isNumeric(TValueClass type);
bool isTemporal(TValueClass type);

// Whether a value of class `from` can be converted to `to` at all (a text may still fail
// to read as the number or date it should hold).
bool canConvert(TValueClass from, TValueClass to);

// Converts `in` to class `to`; text results are written to `store` and `out.text` points
// there. False when the value cannot be read as `to`. A null stays null.
bool convertValue(const TFilterValue& in, TValueClass to, TFilterValue& out, std::string& store);

// CAST: convertValue to the class of `engineType`, then whole numbers must fit that type
// (SMALLINT, WORD, INTEGER), and a text is cut to `textLength` characters when that is not 0.
bool castValue(const TFilterValue& in, TValueClass to, std::uint8_t engineType,
               std::size_t textLength, TFilterValue& out, std::string& store);

// Text forms: dates as YYYY-MM-DD, times as HH:MM:SS with ".mmm" when the milliseconds are
// not zero, timestamps as both separated by a blank, Booleans as TRUE / FALSE.
void appendValueText(const TFilterValue& value, std::string& out);

// Day number of a calendar date (1 January of year 1 is day 1).
std::int64_t dayNumber(int year, int month, int day);
struct TCivilDate {
    int year, month, day;
};
TCivilDate civilDate(std::int64_t dayNumber);

// Today, now and the time of day in the encodings above, from the local clock.
struct TCurrentMoment {
    std::int64_t date;
    std::int64_t time;
    double timestamp;
};
TCurrentMoment currentMoment();

}  // namespace wispel
