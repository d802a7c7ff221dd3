#include "tablestore/component/StoreField.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Format.h"
#include "core/NumberText.h"
#include "core/TextCase.h"
#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace et = enginetype;

namespace {

std::string trimmedText(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string dateText(TDateTime value, bool date, bool time) {
    TDateTimeParts p = decodeDateTime(value);
    char buffer[40];
    if (date && time)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month,
                      p.day, p.hour, p.minute, p.second);
    else if (date)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
    else
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return buffer;
}

}  // namespace

TStoreField::TStoreField(TStoreTable& table, const TStoreFieldDef& def,
                         const ColumnDescriptor& column)
    : table_(table),
      name_(def.Name),
      displayLabel_(def.Name),
      type_(def.DataType),
      size_(def.Size),
      required_(def.Required),
      fieldNo_(column.fieldNumber),
      column_(column) {}

const std::uint8_t* TStoreField::readBuffer() const {
    if (table_.state_ == TStoreDataSetState::dsSetKey) return table_.keyBuffers_[table_.keyBuffer_].data();
    return table_.hasRow_ || table_.state_ == TStoreDataSetState::dsInsert ? table_.row_.data()
                                                                          : nullptr;
}

std::uint8_t* TStoreField::writeBuffer() const {
    if (table_.state_ == TStoreDataSetState::dsSetKey) return table_.keyBuffers_[table_.keyBuffer_].data();
    if (table_.state_ != TStoreDataSetState::dsEdit && table_.state_ != TStoreDataSetState::dsInsert)
        raiseDatabaseError(componenttext::kNotEditing);
    if (ReadOnly()) raiseDatabaseError(componenttext::kFieldReadOnly, name_);
    return table_.row_.data();
}

void TStoreField::changed() {
    if (table_.state_ == TStoreDataSetState::dsSetKey) {
        std::vector<int>& given = table_.keyFields_[table_.keyBuffer_];
        if (std::find(given.begin(), given.end(), fieldNo_) == given.end()) given.push_back(fieldNo_);
        return;
    }
    table_.modified_ = true;
    table_.notifyFieldChanged(*this);
}

bool TStoreField::IsNull() const {
    const std::uint8_t* row = readBuffer();
    return row == nullptr || !hasValue(row, column_);
}

bool TStoreField::IsBlob() const noexcept { return column_.type == et::kBlob; }

std::string TStoreField::BlobValue() const { return table_.blobValue(*this); }

void TStoreField::SetBlobValue(std::string_view value) {
    table_.setBlobValue(*this, value);
    changed();
}

std::size_t TStoreField::BlobSize() const { return table_.blobSize(*this); }

std::string TStoreField::TextValue() const {
    if (IsBlob()) return BlobValue();
    const std::uint8_t* row = readBuffer();
    if (row == nullptr || !hasValue(row, column_)) return {};
    switch (column_.type) {
        case et::kText: return std::string(textValue(row, column_));
        case et::kBoolean: return booleanValue(row, column_) ? "True" : "False";
        case et::kSmallint: case et::kInteger: case et::kWord: case et::kUnsigned32:
            return std::to_string(IntegerValue());
        case et::kFloat: return numberText(doubleValue(row, column_));
        case et::kDate: return dateText(dateToDateTime(int32Value(row, column_)), true, false);
        case et::kTime: return dateText(timeToDateTime(int32Value(row, column_)), false, true);
        case et::kTimestamp:
            return dateText(timestampToDateTime(doubleValue(row, column_)), true, true);
        default: return {};
    }
}

void TStoreField::ReadTextValue(std::string& text) const {
    if (IsBlob()) return table_.readBlobValue(*this, text);
    text = TextValue();
}

std::int32_t TStoreField::IntegerValue() const {
    const std::uint8_t* row = readBuffer();
    if (row == nullptr || !hasValue(row, column_)) return 0;
    switch (column_.type) {
        case et::kSmallint: return int16Value(row, column_);
        case et::kWord: return uint16Value(row, column_);
        case et::kInteger: case et::kDate: case et::kTime: return int32Value(row, column_);
        case et::kUnsigned32: return static_cast<std::int32_t>(uint32Value(row, column_));
        case et::kBoolean: return booleanValue(row, column_) ? 1 : 0;
        case et::kFloat: return static_cast<std::int32_t>(std::lround(doubleValue(row, column_)));
        case et::kText: {
            std::string text = trimmedText(textValue(row, column_));
            std::int32_t value = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size())
                throw EConvertError(formatMessage(componenttext::kNotInteger, {text}));
            return value;
        }
        default: return 0;
    }
}

bool TStoreField::BooleanValue() const {
    const std::uint8_t* row = readBuffer();
    if (row == nullptr || !hasValue(row, column_)) return false;
    if (column_.type == et::kBoolean) return booleanValue(row, column_);
    if (column_.type == et::kText) {
        std::string text = trimmedText(textValue(row, column_));
        if (sameText(text, "True") || text == "1") return true;
        if (sameText(text, "False") || text == "0") return false;
        throw EConvertError(formatMessage(componenttext::kNotBoolean, {text}));
    }
    return FloatValue() != 0;
}

double TStoreField::FloatValue() const {
    const std::uint8_t* row = readBuffer();
    if (row == nullptr || !hasValue(row, column_)) return 0;
    if (column_.type == et::kFloat || column_.type == et::kTimestamp)
        return doubleValue(row, column_);
    if (column_.type == et::kText) {
        std::string text = trimmedText(textValue(row, column_));
        double value = 0;
        if (!parseNumber(text, value))
            throw EConvertError(formatMessage(componenttext::kNotFloat, {text}));
        return value;
    }
    return IntegerValue();
}

void TStoreField::setText(std::string_view text) {
    std::uint8_t* row = writeBuffer();
    std::string value(text);
    if (column_.textCase == textcase::kUpper) value = upperCase(value);
    else if (column_.textCase == textcase::kLower) value = lowerCase(value);
    setTextValue(row, column_, value);
    changed();
}

void TStoreField::SetTextValue(std::string_view value) {
    if (column_.type == et::kText) return setText(value);
    if (IsBlob()) return SetBlobValue(value);
    std::string text = trimmedText(value);
    if (text.empty()) return Clear();
    switch (column_.type) {
        case et::kBoolean:
            if (sameText(text, "True") || text == "1") return SetBooleanValue(true);
            if (sameText(text, "False") || text == "0") return SetBooleanValue(false);
            throw EConvertError(formatMessage(componenttext::kNotBoolean, {text}));
        case et::kFloat: {
            double number = 0;
            if (!parseNumber(text, number))
                throw EConvertError(formatMessage(componenttext::kNotFloat, {text}));
            return SetFloatValue(number);
        }
        default: {
            std::int32_t number = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (error != std::errc() || end != text.data() + text.size())
                throw EConvertError(formatMessage(componenttext::kNotInteger, {text}));
            return SetIntegerValue(number);
        }
    }
}

void TStoreField::SetIntegerValue(std::int32_t value) {
    if (column_.type == et::kText) return setText(std::to_string(value));
    std::uint8_t* row = writeBuffer();
    switch (column_.type) {
        case et::kSmallint:
            if (value < -32768 || value > 32767)
                raiseDatabaseError(componenttext::kFieldValueRange, name_);
            setInt16Value(row, column_, static_cast<std::int16_t>(value));
            break;
        case et::kWord:
            if (value < 0 || value > 65535) raiseDatabaseError(componenttext::kFieldValueRange, name_);
            setUint16Value(row, column_, static_cast<std::uint16_t>(value));
            break;
        case et::kBoolean: setBooleanValue(row, column_, value != 0); break;
        case et::kFloat: setDoubleValue(row, column_, value); break;
        case et::kInteger: case et::kDate: case et::kTime: setInt32Value(row, column_, value); break;
        case et::kUnsigned32: setUint32Value(row, column_, static_cast<std::uint32_t>(value)); break;
        default: raiseDatabaseError(componenttext::kFieldValueRange, name_);
    }
    changed();
}

void TStoreField::SetBooleanValue(bool value) {
    if (column_.type == et::kText) return setText(value ? "True" : "False");
    if (column_.type != et::kBoolean) return SetIntegerValue(value ? 1 : 0);
    setBooleanValue(writeBuffer(), column_, value);
    changed();
}

void TStoreField::SetFloatValue(double value) {
    if (column_.type == et::kFloat || column_.type == et::kTimestamp) {
        setDoubleValue(writeBuffer(), column_, value);
        changed();
        return;
    }
    if (column_.type == et::kText) return setText(numberText(value));
    if (!(value >= -2147483648.0 && value <= 2147483647.0))
        raiseDatabaseError(componenttext::kFieldValueRange, name_);
    SetIntegerValue(static_cast<std::int32_t>(std::lround(value)));
}

void TStoreField::Clear() {
    if (IsBlob()) return SetBlobValue({});
    clearValue(writeBuffer(), column_);
    changed();
}

}  // namespace wispel
