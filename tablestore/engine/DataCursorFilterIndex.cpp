// Filters answered from an index. A comparison of a column with a constant, where an index
// has that column first, ascending, and keys whose byte order is the filter's order of the
// values, selects the records of one key range: the cursor walks that range instead of
// reading every record. Anything else (other types, text compared by a locale, without
// regard to case or by a partial length, NULL, "<>") is left to record-by-record evaluation.

#include <cstring>

#include "tablestore/engine/DataCursor.h"
#include "tablestore/format/RecordValues.h"
#include "tablestore/index/IndexTree.h"

namespace wispel {

namespace {

using Condition = TFilterRecordSource::IndexCondition;

// The column's value `constant` stored into `image`; false when the column's type has no
// key form in value order or the value does not fit the column.
bool storeConstant(const ColumnDescriptor& column, const TFilterValue& constant,
                   std::uint16_t languageId, bool plainText, std::uint8_t* image) {
    namespace et = enginetype;
    const std::int64_t n = constant.integer;
    switch (column.type) {
        case et::kText:
            if (constant.type != TValueClass::text || !plainText || languageId != 0 ||
                constant.text.size() + 1 > column.width ||
                constant.text.find('\0') != std::string_view::npos ||
                (!constant.text.empty() && constant.text.back() == ' '))
                return false;
            std::memcpy(image + column.offset + 1, constant.text.data(), constant.text.size());
            break;
        case et::kSmallint:
            if (constant.type != TValueClass::integer || n < -32768 || n > 32767) return false;
            setInt16Value(image, column, static_cast<std::int16_t>(n));
            break;
        case et::kWord:
            if (constant.type != TValueClass::integer || n < 0 || n > 65535) return false;
            setUint16Value(image, column, static_cast<std::uint16_t>(n));
            break;
        case et::kInteger:
        case et::kDate:
        case et::kTime: {
            const TValueClass want = column.type == et::kDate   ? TValueClass::date
                                     : column.type == et::kTime ? TValueClass::time
                                                                : TValueClass::integer;
            if (constant.type != want || n < INT32_MIN || n > INT32_MAX) return false;
            setInt32Value(image, column, static_cast<std::int32_t>(n));
            break;
        }
        default:
            return false;
    }
    if (column.inFieldArea()) image[column.offset] = 1;
    return true;
}

// The key prefix one above (or one below) `key` of the same length; false past either end.
bool stepKey(std::vector<std::uint8_t>& key, bool up) {
    for (std::size_t i = key.size(); i-- > 1;) {
        if (up ? key[i] != 0xFF : key[i] != 0x00) {
            key[i] = static_cast<std::uint8_t>(up ? key[i] + 1 : key[i] - 1);
            return true;
        }
        key[i] = up ? 0x00 : 0xFF;
    }
    return false;
}

}  // namespace

int TDataCursor::indexLeadingWith(const ColumnDescriptor& column) const {
    TTableIndexes& indexes = table_->indexes();
    for (int slot = 0; slot < 31; ++slot) {
        const TKeyLayout* layout = indexes.layout(slot);
        if (layout == nullptr || layout->Parts.empty() || layout->Parts[0].Descending) continue;
        if (indexes.header().Slots[slot].FieldNumbers[0] != column.fieldNumber) continue;
        if (column.type == enginetype::kText && layout->CaseInsensitive) continue;
        return slot;
    }
    return -1;
}

bool TDataCursor::answerFromIndex(const Condition& condition, std::uint32_t size,
                                  TRecordsBitmap& hits) {
    const auto& columns = table_->columns();
    if (condition.column >= columns.size() || condition.constant.isNull) return false;
    const ColumnDescriptor& column = columns[condition.column];
    const TExpOperator op = condition.op;
    if (op != TExpOperator::equal && op != TExpOperator::less && op != TExpOperator::greater &&
        op != TExpOperator::lessOrEqual && op != TExpOperator::greaterOrEqual)
        return false;
    const int slot = indexLeadingWith(column);
    if (slot < 0) return false;
    std::vector<std::uint8_t> image(table_->recordSize(), 0);
    if (!storeConstant(column, condition.constant, table_->languageID(), condition.plainText,
                       image.data()))
        return false;
    std::vector<std::uint8_t> value;
    table_->indexes().keyFor(slot, image.data(), value);
    value.resize(1u + table_->indexes().layout(slot)->Parts[0].Width);

    // Keys that hold a value start with 1; those without one (never passing) with 0.
    std::vector<std::uint8_t> low{1}, high{1};
    bool empty = false;
    if (op == TExpOperator::equal) low = high = value;
    else if (op == TExpOperator::greaterOrEqual) low = value;
    else if (op == TExpOperator::lessOrEqual) high = value;
    else if (op == TExpOperator::greater) empty = !stepKey(low = value, true);
    else empty = !stepKey(high = value, false);

    hits.resize(size);
    hits.excludeAll();
    if (empty) return true;
    StoreStatus r = table_->underReadLock([&]() -> StoreStatus {
        TIndexTree& tree = table_->indexes().tree(slot);
        std::vector<std::uint8_t> key(table_->indexes().keyLength(slot));
        std::vector<std::uint8_t> from(low);
        from.resize(key.size(), 0);
        TIndexPosition at;
        StoreResult step = tree.seek(from.data(), at);
        for (; step == storecode::kOk; step = tree.next(at)) {
            std::uint32_t record = 0;
            if ((step = tree.entry(at, key.data(), record))) return step;
            if (std::memcmp(key.data(), high.data(), high.size()) > 0) break;
            if (record >= 1 && record <= size) hits.include(record);
        }
        return step == storecode::kEndOfFile ? storecode::kOk : step;
    });
    return r == storecode::kOk;
}

bool TDataCursor::indexCandidates(const std::vector<Condition>& conditions, std::uint32_t size,
                                  TRecordsBitmap& candidates, bool& exact) {
    exact = true;
    bool answered = false;
    for (const Condition& condition : conditions) {
        TRecordsBitmap hits;
        if (!answerFromIndex(condition, size, hits)) {
            exact = false;
            continue;
        }
        if (answered) candidates.intersect(hits);
        else candidates = std::move(hits);
        answered = true;
    }
    return answered;
}

}  // namespace wispel
