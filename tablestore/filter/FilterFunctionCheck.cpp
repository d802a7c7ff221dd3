#include "tablestore/filter/FilterFunctionCheck.h"

#include <string>

#include "tablestore/filter/FilterError.h"
#include "tablestore/filter/FilterText.h"

namespace wispel {

namespace {

std::string_view functionName(TExpFunction function) {
    switch (function) {
        case TExpFunction::upper: return "UPPER";
        case TExpFunction::lower: return "LOWER";
        case TExpFunction::abs: return "ABS";
        case TExpFunction::round: return "ROUND";
        case TExpFunction::substring: return "SUBSTRING";
        case TExpFunction::trim: return "TRIM";
        case TExpFunction::pos: return "POS";
        case TExpFunction::occurs: return "OCCURS";
        case TExpFunction::replace: return "REPLACE";
        case TExpFunction::extract: return "EXTRACT";
        case TExpFunction::cast: return "CAST";
        case TExpFunction::ifThenElse: return "IF";
        default: return "";
    }
}

[[noreturn]] void failArgument(const TExpToken& node, std::string_view argument,
                               std::string_view rule) {
    failFilter(std::string(argument) + " argument of " + std::string(functionName(node.function)) +
               " function must be " + std::string(rule));
}

bool nullOr(const TExpToken* node, TValueClass type) {
    return node->valueClass == TValueClass::null || node->valueClass == type;
}

void requireText(const TExpToken& node, const TExpToken* argument) {
    if (!nullOr(argument, TValueClass::text))
        failArgument(node, "Expression", "a string or memo type");
}

bool isConstant(const TExpToken* node, TValueClass type) {
    return node && node->kind == TExpKind::constant && node->valueClass == type;
}

// A whole-number constant from `low` to `high`, or the filter fault `argument` / `rule`.
std::int64_t integerConstant(const TExpToken& node, const TExpToken* argument, std::int64_t low,
                             std::int64_t high, std::string_view name, std::string_view rule) {
    if (!isConstant(argument, TValueClass::integer) || argument->value.integer < low ||
        argument->value.integer > high)
        failArgument(node, name, rule);
    return argument->value.integer;
}

void checkTextConstant(const TExpToken& node, const TExpToken* argument, std::string_view name) {
    if (!isConstant(argument, TValueClass::text)) failArgument(node, name, "a string constant");
}

void checkExtract(TExpToken& node) {
    const TExpToken* x = node.child[0];
    if (x->valueClass != TValueClass::null && !isTemporal(x->valueClass))
        failArgument(node, "Expression", "a date, time or timestamp type");
    const bool datePart = node.extractPart <= TExtractPart::dayOfWeek;
    if (datePart && x->valueClass == TValueClass::time) {
        static constexpr std::string_view kParts[] = {"YEAR", "MONTH", "DAY", "DAYOFWEEK"};
        failTypeMismatch(kParts[static_cast<int>(node.extractPart)], x->text);
    }
    node.setClass(TValueClass::integer);
}

void checkCast(TExpToken& node) {
    TExpToken* x = node.child[0];
    const std::uint8_t engineType = node.valueType;
    // The type as written after AS.
    const std::string_view typeName = node.textValue;
    if (!canConvert(x->valueClass, node.castTo)) failTypeMismatch(x->text, typeName);
    // A constant that cannot become the type is known to fail now.
    TFilterValue converted;
    std::string store;
    if (x->kind == TExpKind::constant &&
        !castValue(x->value, node.castTo, engineType, static_cast<std::size_t>(node.number1),
                   converted, store))
        failTypeMismatch(x->text, typeName);
    node.setClass(node.castTo);
    node.valueType = engineType;
}

void checkIf(TExpToken& node) {
    if (!nullOr(node.child[0], TValueClass::boolean))
        failArgument(node, "Condition", "a Boolean type");
    const TValueClass a = node.child[1]->valueClass;
    const TValueClass b = node.child[2]->valueClass;
    TValueClass result;
    if (a == b || b == TValueClass::null)
        result = a;
    else if (a == TValueClass::null)
        result = b;
    else if (isNumeric(a) && isNumeric(b))
        result = TValueClass::floating;
    else
        failFilter("Result arguments of IF function must be of the same type");
    if (result == TValueClass::bytes) failFilter("Result arguments of IF function must be of the same type");
    node.setClass(result);
}

}  // namespace

void checkFunction(TExpToken& node) {
    TExpToken* x = node.child[0];
    switch (node.function) {
        case TExpFunction::upper:
        case TExpFunction::lower:
            requireText(node, x);
            node.setClass(TValueClass::text);
            return;
        case TExpFunction::abs:
            if (x->valueClass != TValueClass::null && !isNumeric(x->valueClass))
                failArgument(node, "Expression", "an integer or floating-point type");
            node.setClass(x->valueClass == TValueClass::null ? TValueClass::integer : x->valueClass);
            return;
        case TExpFunction::round:
            if (!nullOr(x, TValueClass::floating))
                failArgument(node, "Expression", "a floating-point type");
            if (node.child[1])
                node.number1 = integerConstant(node, node.child[1], 0, 32, "Decimal places",
                                               "an integer constant between 0 and 32");
            node.setClass(TValueClass::floating);
            return;
        case TExpFunction::substring:
            requireText(node, x);
            node.number1 = integerConstant(node, node.child[1], 1, INT64_MAX, "Starting position",
                                           "an integer constant greater than 0");
            if (node.child[2])
                node.number2 = integerConstant(node, node.child[2], 1, INT64_MAX, "Length",
                                               "an integer constant greater than 0");
            node.setClass(TValueClass::text);
            return;
        case TExpFunction::trim:
            if (!isConstant(node.child[1], TValueClass::text) ||
                codePointCount(node.child[1]->value.text) != 1)
                failArgument(node, "Trim character", "a single-character constant");
            requireText(node, x);
            node.setClass(TValueClass::text);
            return;
        case TExpFunction::pos:
        case TExpFunction::occurs:
            checkTextConstant(node, node.child[1], "Search string");
            requireText(node, x);
            node.setClass(TValueClass::integer);
            return;
        case TExpFunction::replace:
            checkTextConstant(node, node.child[1], "Search string");
            checkTextConstant(node, node.child[2], "Replacement string");
            requireText(node, x);
            node.setClass(TValueClass::text);
            return;
        case TExpFunction::extract:
            return checkExtract(node);
        case TExpFunction::cast:
            return checkCast(node);
        case TExpFunction::ifThenElse:
            return checkIf(node);
        case TExpFunction::currentDate:
            return node.setClass(TValueClass::date);
        case TExpFunction::currentTime:
            return node.setClass(TValueClass::time);
        case TExpFunction::currentTimestamp:
            return node.setClass(TValueClass::timestamp);
        case TExpFunction::none:
            break;
    }
}

}  // namespace wispel
