#include "tablestore/filter/ExpressionCheck.h"

#include <string>
#include <utility>

#include "tablestore/filter/FilterError.h"
#include "tablestore/filter/FilterText.h"
#include "tablestore/filter/FilterFunctionCheck.h"

namespace wispel {

namespace {

bool isNullOr(const TExpToken* node, TValueClass type) {
    return node->valueClass == TValueClass::null || node->valueClass == type;
}

bool comparable(TValueClass a, TValueClass b) {
    if (a == TValueClass::bytes || b == TValueClass::bytes) return false;
    if (a == b || a == TValueClass::null || b == TValueClass::null) return true;
    if (isNumeric(a) && isNumeric(b)) return true;
    return (a == TValueClass::date && b == TValueClass::timestamp) ||
           (a == TValueClass::timestamp && b == TValueClass::date);
}

TExpOperator mirrored(TExpOperator op) {
    switch (op) {
        case TExpOperator::less:
            return TExpOperator::greater;
        case TExpOperator::greater:
            return TExpOperator::less;
        case TExpOperator::lessOrEqual:
            return TExpOperator::greaterOrEqual;
        case TExpOperator::greaterOrEqual:
            return TExpOperator::lessOrEqual;
        default:
            return op;
    }
}

bool isComparison(TExpOperator op) {
    return op >= TExpOperator::equal && op <= TExpOperator::lessOrEqual;
}

// Makes `operand` comparable with `other`: a constant of another type is converted to
// the other's type, anything else must already fit.
void matchOperand(const TExpToken* other, TExpToken* operand) {
    if (comparable(other->valueClass, operand->valueClass)) return;
    if (operand->kind == TExpKind::constant && other->valueClass != TValueClass::null) {
        convertConstant(*operand, other->valueClass, other->text);
        return;
    }
    failTypeMismatch(other->text, operand->text);
}

// One operand is the NULL constant: the result has no value, and the type the other
// operand gives it.
TValueClass withNullOperand(const TExpToken& node, const TExpToken& left, const TExpToken& right) {
    const TValueClass other =
        left.valueClass == TValueClass::null ? right.valueClass : left.valueClass;
    if (other == TValueClass::null) return node.spelledConcat ? TValueClass::text : TValueClass::null;
    const bool addOrSubtract = node.op == TExpOperator::add || node.op == TExpOperator::subtract;
    if (node.spelledConcat) {
        if (other == TValueClass::text) return other;
    } else if (isNumeric(other)) {
        return node.op == TExpOperator::divide ? TValueClass::floating : other;
    } else if (other == TValueClass::text && node.op == TExpOperator::add) {
        return other;
    } else if (addOrSubtract && (other == TValueClass::date || other == TValueClass::timestamp)) {
        return other;
    }
    failTypeMismatch(left.text, right.text);
}

TValueClass arithmeticClass(const TExpToken& node, const TExpToken& left, const TExpToken& right) {
    const TValueClass a = left.valueClass;
    const TValueClass b = right.valueClass;
    const bool concat = node.spelledConcat;
    if (a == TValueClass::null || b == TValueClass::null) return withNullOperand(node, left, right);
    if (concat) {
        if (a == TValueClass::text && b == TValueClass::text) return TValueClass::text;
        failTypeMismatch(left.text, right.text);
    }
    const bool numeric = isNumeric(a) && isNumeric(b);
    const TValueClass numberClass =
        a == TValueClass::integer && b == TValueClass::integer ? TValueClass::integer
                                                               : TValueClass::floating;
    switch (node.op) {
        case TExpOperator::add:
            if (numeric) return numberClass;
            if (a == TValueClass::text && b == TValueClass::text) return TValueClass::text;
            if ((a == TValueClass::date && b == TValueClass::integer) ||
                (a == TValueClass::integer && b == TValueClass::date))
                return TValueClass::date;
            if ((a == TValueClass::timestamp && isNumeric(b)) ||
                (isNumeric(a) && b == TValueClass::timestamp))
                return TValueClass::timestamp;
            break;
        case TExpOperator::subtract:
            if (numeric) return numberClass;
            if (a == TValueClass::date && b == TValueClass::integer) return TValueClass::date;
            if (a == TValueClass::date && b == TValueClass::date) return TValueClass::integer;
            if (a == TValueClass::timestamp && isNumeric(b)) return TValueClass::timestamp;
            if (a == TValueClass::timestamp && b == TValueClass::timestamp)
                return TValueClass::floating;
            break;
        case TExpOperator::multiply:
            if (numeric) return numberClass;
            break;
        case TExpOperator::divide:
            if (numeric) return TValueClass::floating;
            break;
        default:
            break;
    }
    failTypeMismatch(left.text, right.text);
}

class Checker {
public:
    Checker(const TFilterColumns& columns, const TFilterOptions& options)
        : columns_(columns), lookup_(columns), options_(options) {}

    void check(TExpToken& node) {
        switch (node.kind) {
            case TExpKind::constant:
                node.setClass(node.value.type);
                break;
            case TExpKind::column:
                checkColumn(node);
                break;
            case TExpKind::unaryOp:
                checkUnary(node);
                break;
            case TExpKind::binaryOp:
                checkBinary(node);
                break;
            case TExpKind::function:
                checkFunction(node);
                break;
        }
    }

private:
    void checkColumn(TExpToken& node) {
        node.column = lookup_.find(node.textValue);
        if (node.column < 0) failFilterAt("Invalid column name ", node.textValue);
        const ColumnDescriptor& column = columns_[static_cast<std::size_t>(node.column)];
        node.valueClass = columnClass(column);
        node.valueType = column.type;
    }

    void checkUnary(TExpToken& node) {
        const TExpToken* operand = node.child[0];
        if (node.op == TExpOperator::logicalNot) {
            if (!isNullOr(operand, TValueClass::boolean)) failTypeMismatch("NOT", operand->text);
            node.setClass(TValueClass::boolean);
            return;
        }
        if (operand->valueClass != TValueClass::null && !isNumeric(operand->valueClass))
            failTypeMismatch(node.op == TExpOperator::negate ? "-" : "+", operand->text);
        node.setClass(operand->valueClass == TValueClass::null ? TValueClass::integer
                                                                : operand->valueClass);
    }

    void checkBinary(TExpToken& node) {
        if (isComparison(node.op)) return checkComparison(node);
        TExpToken* left = node.child[0];
        TExpToken* right = node.child[1];
        switch (node.op) {
            case TExpOperator::logicalAnd:
            case TExpOperator::logicalOr:
                if (!isNullOr(left, TValueClass::boolean) || !isNullOr(right, TValueClass::boolean))
                    failTypeMismatch(left->text, right->text);
                break;
            case TExpOperator::like:
                if (right->kind == TExpKind::constant && !isNullOr(right, TValueClass::text))
                    convertConstant(*right, TValueClass::text, left->text);
                if (!isNullOr(left, TValueClass::text) || !isNullOr(right, TValueClass::text))
                    failTypeMismatch(left->text, right->text);
                node.caseInsensitive = options_.foCaseInsensitive;
                break;
            case TExpOperator::between:
                matchOperand(left, node.child[1]);
                matchOperand(left, node.child[2]);
                break;
            case TExpOperator::in:
                for (TExpToken* value : node.list) matchOperand(left, value);
                break;
            case TExpOperator::isNull:
                break;
            default:
                node.setClass(arithmeticClass(node, *left, *right));
                return;
        }
        node.setClass(TValueClass::boolean);
    }

    void checkComparison(TExpToken& node) {
        if (node.child[0]->kind == TExpKind::constant && node.child[1]->kind != TExpKind::constant) {
            std::swap(node.child[0], node.child[1]);
            node.op = mirrored(node.op);
        }
        TExpToken* left = node.child[0];
        TExpToken* right = node.child[1];
        matchOperand(left, right);
        node.setClass(TValueClass::boolean);
        if (node.op != TExpOperator::equal && node.op != TExpOperator::notEqual) return;
        if (right->kind != TExpKind::constant || right->valueClass != TValueClass::text ||
            left->valueClass != TValueClass::text)
            return;
        const bool star = !right->textValue.empty() && right->textValue.back() == '*';
        if (!star && !options_.foCaseInsensitive) return;
        node.caseInsensitive = options_.foCaseInsensitive;
        if (star && !options_.foNoPartialCompare) {
            right->textValue.pop_back();
            right->value.text = right->textValue;
            node.partialLength = static_cast<std::uint32_t>(codePointCount(right->textValue));
            node.partial = true;
        }
    }

    const TFilterColumns& columns_;
    TColumnLookup lookup_;
    const TFilterOptions& options_;
};

}  // namespace

void convertConstant(TExpToken& constant, TValueClass to, std::string_view other) {
    TFilterValue converted;
    std::string store;
    if (!convertValue(constant.value, to, converted, store)) failTypeMismatch(other, constant.text);
    constant.value = converted;
    if (to == TValueClass::text && !converted.isNull) {
        constant.textValue = std::move(store);
        constant.value.text = constant.textValue;
    }
    constant.setClass(to);
}

void checkExpression(TExpTree& tree, const TFilterColumns& columns,
                     const TFilterOptions& options) {
    Checker checker(columns, options);
    // Operands come before their operators in the arena.
    for (TExpToken& node : tree.nodes()) checker.check(node);
    if (tree.root->valueClass != TValueClass::boolean)
        throw TFilterFault{"filter expression must be a boolean expression"};
}

}  // namespace wispel
