#include "tablestore/filter/FilterOperators.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace wispel {

namespace {

template <class T>
int order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

double asDouble(const TFilterValue& v) {
    return v.type == TValueClass::floating ? v.number : static_cast<double>(v.integer);
}

// Milliseconds since the start of 1 January of year 1.
double asMilliseconds(const TFilterValue& v) {
    return v.type == TValueClass::date ? static_cast<double>(v.integer - 1) * kMillisecondsPerDay
                                       : v.number;
}

bool inTimestampRange(double ms) { return std::isfinite(ms) && std::fabs(ms) < 1e17; }

bool fitsDayNumber(std::int64_t day) {
    return day >= std::numeric_limits<std::int32_t>::min() &&
           day <= std::numeric_limits<std::int32_t>::max();
}

void setNull(TFilterValue& result, TValueClass type) {
    result = TFilterValue{};
    result.type = type;
}

bool integerResult(TExpOperator op, std::int64_t a, std::int64_t b, std::int64_t& out) {
    switch (op) {
        case TExpOperator::add:
            return !__builtin_add_overflow(a, b, &out);
        case TExpOperator::subtract:
            return !__builtin_sub_overflow(a, b, &out);
        case TExpOperator::multiply:
            return !__builtin_mul_overflow(a, b, &out);
        default:
            return false;
    }
}

bool floatResult(TExpOperator op, double a, double b, double& out) {
    switch (op) {
        case TExpOperator::add:
            out = a + b;
            break;
        case TExpOperator::subtract:
            out = a - b;
            break;
        case TExpOperator::multiply:
            out = a * b;
            break;
        case TExpOperator::divide:
            if (b == 0) return false;
            out = a / b;
            break;
        default:
            return false;
    }
    return std::isfinite(out);
}

// Date and timestamp arithmetic; numbers on a timestamp count days.
bool temporalResult(TExpOperator op, TValueClass resultClass, const TFilterValue& left,
                    const TFilterValue& right, TFilterValue& result) {
    if (resultClass == TValueClass::date) {
        const bool leftDate = left.type == TValueClass::date;
        const std::int64_t day = leftDate ? left.integer : right.integer;
        const std::int64_t days = leftDate ? right.integer : left.integer;
        std::int64_t out;
        const bool ok = op == TExpOperator::add ? !__builtin_add_overflow(day, days, &out)
                                                : !__builtin_sub_overflow(day, days, &out);
        if (!ok || !fitsDayNumber(out)) return false;
        result.integer = out;
        return true;
    }
    if (resultClass == TValueClass::integer) {  // date - date
        result.integer = left.integer - right.integer;
        return true;
    }
    if (resultClass == TValueClass::floating) {  // timestamp - timestamp, in days
        result.number = (left.number - right.number) / kMillisecondsPerDay;
        return std::isfinite(result.number);
    }
    const bool leftStamp = left.type == TValueClass::timestamp;
    const double ms = leftStamp ? left.number : right.number;
    const double days = asDouble(leftStamp ? right : left);
    result.number = op == TExpOperator::add ? ms + days * kMillisecondsPerDay
                                            : ms - days * kMillisecondsPerDay;
    return inTimestampRange(result.number);
}

}  // namespace

int compareFilterValues(const TFilterValue& a, const TFilterValue& b,
                        const TTextCompareMode& mode) {
    if (a.isNull || b.isNull) return a.isNull == b.isNull ? 0 : kUnordered;
    switch (a.type) {
        case TValueClass::text:
            return compareFilterText(a.text, b.text, mode);
        case TValueClass::boolean:
            return order(a.integer != 0, b.integer != 0);
        case TValueClass::integer:
        case TValueClass::floating:
            if (a.type == TValueClass::integer && b.type == TValueClass::integer)
                return order(a.integer, b.integer);
            return order(asDouble(a), asDouble(b));
        case TValueClass::date:
        case TValueClass::timestamp:
            if (a.type == TValueClass::date && b.type == TValueClass::date)
                return order(a.integer, b.integer);
            return order(asMilliseconds(a), asMilliseconds(b));
        case TValueClass::time:
            return order(a.integer, b.integer);
        case TValueClass::null:
        case TValueClass::bytes:
            break;
    }
    return 0;
}

TFilterValue makeBoolean(bool value) {
    TFilterValue result;
    result.type = TValueClass::boolean;
    result.isNull = false;
    result.integer = value;
    return result;
}

TFilterValue comparisonValue(TExpOperator op, int order) {
    if (order == kUnordered) {
        TFilterValue result = makeBoolean(op == TExpOperator::notEqual);
        result.isNull = op != TExpOperator::equal && op != TExpOperator::notEqual;
        return result;
    }
    switch (op) {
        case TExpOperator::equal:
            return makeBoolean(order == 0);
        case TExpOperator::notEqual:
            return makeBoolean(order != 0);
        case TExpOperator::greater:
            return makeBoolean(order > 0);
        case TExpOperator::less:
            return makeBoolean(order < 0);
        case TExpOperator::greaterOrEqual:
            return makeBoolean(order >= 0);
        case TExpOperator::lessOrEqual:
            return makeBoolean(order <= 0);
        default:
            return makeBoolean(false);
    }
}

TFilterValue logicalValue(bool isOr, const TFilterValue& a, const TFilterValue& b) {
    if ((!a.isNull && (a.integer != 0) == isOr) || (!b.isNull && (b.integer != 0) == isOr))
        return makeBoolean(isOr);
    TFilterValue result = makeBoolean(!isOr);
    result.isNull = a.isNull || b.isNull;
    return result;
}

TFilterValue notValue(const TFilterValue& a) {
    TFilterValue result = makeBoolean(a.integer == 0);
    result.isNull = a.isNull;
    return result;
}

void applyArithmetic(TExpOperator op, TValueClass resultClass, const TFilterValue& left,
                     const TFilterValue& right, TFilterValue& result, std::string& text) {
    setNull(result, resultClass);
    if (left.isNull || right.isNull) return;
    bool ok = false;
    if (resultClass == TValueClass::text) {
        ok = left.text.size() + right.text.size() <= kMaxComputedText;
        if (ok) {
            text.assign(left.text);
            text.append(right.text);
        }
    } else if (isTemporal(left.type) || isTemporal(right.type)) {
        ok = temporalResult(op, resultClass, left, right, result);
    } else if (resultClass == TValueClass::integer) {
        ok = integerResult(op, left.integer, right.integer, result.integer);
    } else {
        ok = floatResult(op, asDouble(left), asDouble(right), result.number);
    }
    result.isNull = !ok;
}

void applyNegate(const TFilterValue& operand, TFilterValue& result) {
    result = operand;
    if (operand.isNull) return;
    if (operand.type == TValueClass::floating) {
        result.number = -operand.number;
    } else if (operand.integer == std::numeric_limits<std::int64_t>::min()) {
        result.isNull = true;
    } else {
        result.integer = -operand.integer;
    }
}

}  // namespace wispel
