#include "tablestore/filter/FilterEvaluator.h"


#include "tablestore/filter/FilterFunctions.h"
#include "tablestore/filter/FilterOperators.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace {

bool isTrue(const TFilterValue& v) { return !v.isNull && v.integer != 0; }

}  // namespace

void decodeColumnValue(const ColumnDescriptor& column, const std::uint8_t* image,
                       TFilterValue& value) {
    using namespace enginetype;
    value = TFilterValue{};
    value.type = columnClass(column);
    if (!hasValue(image, column)) return;
    value.isNull = false;
    switch (column.type) {
        case kText:
            value.text = textValue(image, column);
            break;
        case kBoolean:
            value.integer = booleanValue(image, column);
            break;
        case kSmallint:
            value.integer = int16Value(image, column);
            break;
        case kWord:
            value.integer = uint16Value(image, column);
            break;
        case kDate:
        case kInteger:
        case kTime:
            value.integer = int32Value(image, column);
            break;
        case kUnsigned32:
            value.integer = uint32Value(image, column);
            break;
        case kFloat:
        case kTimestamp:
            value.number = doubleValue(image, column);
            break;
        default:  // memo (read by the caller), byte strings and blobs: only the null byte
            break;
    }
}

TFilterEvaluator::TFilterEvaluator(const TFilterProgram& program, const TFilterColumns& columns)
    : program_(program),
      columns_(columns),
      stack_(program.stackDepth + 1),
      texts_(program.stackDepth + 1) {
    startPass();
}

void TFilterEvaluator::startPass() { now_ = currentMoment(); }

bool TFilterEvaluator::matches(const std::uint8_t* image, TFilterRecordSource* source) {
    source_ = source;
    top_ = 0;
    for (const TFilterInstruction& in : program_.code) run(in, image);
    return top_ == 1 && isTrue(stack_[0]);
}

void TFilterEvaluator::keepScratchText(std::size_t slot) {
    texts_[slot].swap(scratch_);
    stack_[slot].text = texts_[slot];
}

void TFilterEvaluator::loadColumn(std::size_t slot, std::uint32_t column,
                                  const std::uint8_t* image) {
    const ColumnDescriptor& described = columns_[column];
    TFilterValue& value = stack_[slot];
    decodeColumnValue(described, image, value);
    if (value.isNull || !isMemo(described)) return;
    scratch_.clear();
    if (!source_ || !source_->readMemo(described, image, scratch_)) {
        value.isNull = true;
        return;
    }
    keepScratchText(slot);
}

void TFilterEvaluator::compareAt(std::size_t slot, const TFilterInstruction& in,
                                 const TFilterValue& right) {
    const TTextCompareMode mode{in.caseInsensitive, in.partial, in.partialLength,
                                in.opcode == TFilterOpcode::compareColumnConstant};
    stack_[slot] = comparisonValue(in.op, compareFilterValues(stack_[slot], right, mode));
}

void TFilterEvaluator::run(const TFilterInstruction& in, const std::uint8_t* image) {
    switch (in.opcode) {
        case TFilterOpcode::pushConstant:
            stack_[top_++] = program_.constants[in.constant];
            return;
        case TFilterOpcode::pushColumn:
            loadColumn(top_++, in.column, image);
            return;
        case TFilterOpcode::compareColumnConstant:
            loadColumn(top_, in.column, image);
            compareAt(top_++, in, program_.constants[in.constant]);
            return;
        case TFilterOpcode::compare:
            --top_;
            compareAt(top_ - 1, in, stack_[top_]);
            return;
        case TFilterOpcode::like: {
            TFilterValue& value = stack_[top_ - 2];
            const TFilterValue& pattern = stack_[top_ - 1];
            const bool unknown = value.isNull || pattern.isNull;
            const bool matched = !unknown && matchesLike(value.text, pattern.text, in.caseInsensitive);
            value = makeBoolean(matched != in.negated);
            value.isNull = unknown;
            --top_;
            return;
        }
        case TFilterOpcode::between: {
            top_ -= 2;
            const TTextCompareMode mode;
            const TFilterValue& value = stack_[top_ - 1];
            const TFilterValue inside = logicalValue(
                false,
                comparisonValue(TExpOperator::greaterOrEqual,
                                compareFilterValues(value, stack_[top_], mode)),
                comparisonValue(TExpOperator::lessOrEqual,
                                compareFilterValues(value, stack_[top_ + 1], mode)));
            stack_[top_ - 1] = in.negated ? notValue(inside) : inside;
            return;
        }
        case TFilterOpcode::in: {
            top_ -= in.count;
            const TTextCompareMode mode;
            bool found = false;
            for (std::uint32_t i = 0; i < in.count && !found; ++i)
                found = compareFilterValues(stack_[top_ - 1], stack_[top_ + i], mode) == 0;
            stack_[top_ - 1] = makeBoolean(found != in.negated);
            return;
        }
        case TFilterOpcode::isNull:
            stack_[top_ - 1] = makeBoolean(stack_[top_ - 1].isNull != in.negated);
            return;
        case TFilterOpcode::logicalNot:
            stack_[top_ - 1] = notValue(stack_[top_ - 1]);
            return;
        case TFilterOpcode::logicalAnd:
        case TFilterOpcode::logicalOr:
            --top_;
            stack_[top_ - 1] = logicalValue(in.opcode == TFilterOpcode::logicalOr,
                                            stack_[top_ - 1], stack_[top_]);
            return;
        case TFilterOpcode::negate:
            applyNegate(stack_[top_ - 1], stack_[top_ - 1]);
            return;
        case TFilterOpcode::arithmetic: {
            --top_;
            TFilterValue result;
            applyArithmetic(in.op, in.resultClass, stack_[top_ - 1], stack_[top_], result,
                            scratch_);
            stack_[top_ - 1] = result;
            if (result.type == TValueClass::text && !result.isNull) keepScratchText(top_ - 1);
            return;
        }
        case TFilterOpcode::function: {
            const std::size_t pops = in.function == TExpFunction::ifThenElse ? 3
                                     : in.function >= TExpFunction::currentDate ? 0
                                                                                : 1;
            top_ -= pops;
            TFilterValue result;
            scratch_.clear();
            applyFunction(in, program_, &stack_[top_], result, scratch_, now_);
            stack_[top_] = result;
            if (result.type == TValueClass::text && !result.isNull) keepScratchText(top_);
            ++top_;
            return;
        }
    }
}

}  // namespace wispel
