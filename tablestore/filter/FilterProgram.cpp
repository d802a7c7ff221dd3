#include "tablestore/filter/FilterProgram.h"

#include <algorithm>

#include "core/TextCase.h"

namespace wispel {

namespace {

bool isComparison(TExpOperator op) {
    return op >= TExpOperator::equal && op <= TExpOperator::lessOrEqual;
}

bool isColumnConstantComparison(const TExpToken& node) {
    return node.kind == TExpKind::binaryOp && isComparison(node.op) &&
           node.child[0]->kind == TExpKind::column && node.child[1]->kind == TExpKind::constant;
}

bool indexable(const TExpToken* node) {
    if (isColumnConstantComparison(*node)) return true;
    return node->kind == TExpKind::binaryOp && node->op == TExpOperator::logicalAnd &&
           isColumnConstantComparison(*node->child[0]) &&
           isColumnConstantComparison(*node->child[1]);
}

// The operands that are evaluated at run time, in stack order. Constant arguments of the
// functions are read from the instruction instead.
std::vector<const TExpToken*> runtimeOperands(const TExpToken& node) {
    std::vector<const TExpToken*> operands;
    switch (node.kind) {
        case TExpKind::constant:
        case TExpKind::column:
            break;
        case TExpKind::unaryOp:
            operands.push_back(node.child[0]);
            break;
        case TExpKind::binaryOp:
            for (const TExpToken* child : node.child)
                if (child) operands.push_back(child);
            operands.insert(operands.end(), node.list.begin(), node.list.end());
            break;
        case TExpKind::function:
            if (node.function == TExpFunction::ifThenElse)
                operands.assign(node.child.begin(), node.child.end());
            else if (node.child[0])
                operands.push_back(node.child[0]);
            break;
    }
    return operands;
}

class Compiler {
public:
    Compiler(const TFilterColumns& columns, TFilterProgram& program)
        : columns_(columns), program_(program) {}

    // Post-order walk with an explicit stack: a node is emitted after all its operands.
    void run(const TExpToken* root) {
        struct Frame {
            const TExpToken* node;
            std::vector<const TExpToken*> operands;
            std::size_t next;
        };
        std::vector<Frame> stack;
        stack.push_back({root, operandsOf(*root), 0});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.operands.size()) {
                const TExpToken* operand = frame.operands[frame.next++];
                stack.push_back({operand, operandsOf(*operand), 0});
                continue;
            }
            emit(*frame.node);
            stack.pop_back();
        }
    }

private:
    std::vector<const TExpToken*> operandsOf(const TExpToken& node) {
        if (isColumnConstantComparison(node)) return {};
        return runtimeOperands(node);
    }

    std::uint32_t addConstant(const TFilterValue& value, bool upper = false) {
        TFilterValue stored = value;
        if (value.type == TValueClass::text && !value.isNull) {
            program_.constantTexts.push_back(upper ? upperCase(value.text)
                                                   : std::string(value.text));
            stored.text = program_.constantTexts.back();
        }
        program_.constants.push_back(stored);
        return static_cast<std::uint32_t>(program_.constants.size() - 1);
    }

    void push(TFilterInstruction instruction, std::size_t pops) {
        depth_ -= pops;
        ++depth_;
        program_.stackDepth = std::max(program_.stackDepth, depth_);
        program_.code.push_back(instruction);
    }

    void emit(const TExpToken& node) {
        TFilterInstruction made;
        made.op = node.op;
        made.function = node.function;
        made.resultClass = node.valueClass;
        made.valueType = node.valueType;
        made.negated = node.negated;
        made.caseInsensitive = node.caseInsensitive;
        made.partial = node.partial;
        made.partialLength = node.partialLength;
        if (isColumnConstantComparison(node)) {
            made.opcode = TFilterOpcode::compareColumnConstant;
            made.column = columnOf(*node.child[0]);
            made.constant = addConstant(node.child[1]->value, node.caseInsensitive);
            // Room for the column's value while it is compared.
            program_.stackDepth = std::max(program_.stackDepth, depth_ + 2);
            return push(made, 0);
        }
        switch (node.kind) {
            case TExpKind::constant:
                made.opcode = TFilterOpcode::pushConstant;
                made.constant = addConstant(node.value);
                return push(made, 0);
            case TExpKind::column:
                made.opcode = TFilterOpcode::pushColumn;
                made.column = columnOf(node);
                return push(made, 0);
            case TExpKind::unaryOp:
                if (node.op == TExpOperator::unaryPlus) return;  // the value stays as it is
                made.opcode = node.op == TExpOperator::logicalNot ? TFilterOpcode::logicalNot
                                                                  : TFilterOpcode::negate;
                return push(made, 1);
            case TExpKind::binaryOp:
                return emitBinary(node, made);
            case TExpKind::function:
                return emitFunction(node, made);
        }
    }

    void emitBinary(const TExpToken& node, TFilterInstruction& made) {
        std::size_t pops = 2;
        switch (node.op) {
            case TExpOperator::like:
                made.opcode = TFilterOpcode::like;
                break;
            case TExpOperator::between:
                made.opcode = TFilterOpcode::between;
                pops = 3;
                break;
            case TExpOperator::in:
                made.opcode = TFilterOpcode::in;
                made.count = static_cast<std::uint32_t>(node.list.size());
                pops = 1 + node.list.size();
                break;
            case TExpOperator::isNull:
                made.opcode = TFilterOpcode::isNull;
                pops = 1;
                break;
            case TExpOperator::logicalAnd:
                made.opcode = TFilterOpcode::logicalAnd;
                break;
            case TExpOperator::logicalOr:
                made.opcode = TFilterOpcode::logicalOr;
                break;
            default:
                made.opcode = isComparison(node.op) ? TFilterOpcode::compare
                                                    : TFilterOpcode::arithmetic;
                break;
        }
        push(made, pops);
    }

    void emitFunction(const TExpToken& node, TFilterInstruction& made) {
        made.opcode = TFilterOpcode::function;
        made.trimMode = node.trimMode;
        made.extractPart = node.extractPart;
        made.number1 = node.number1;
        made.number2 = node.number2;
        std::size_t pops = 1;
        switch (node.function) {
            case TExpFunction::trim:
            case TExpFunction::pos:
            case TExpFunction::occurs:
                made.constant = addConstant(node.child[1]->value);
                break;
            case TExpFunction::replace:
                made.constant = addConstant(node.child[1]->value);
                made.constant2 = addConstant(node.child[2]->value);
                break;
            case TExpFunction::ifThenElse:
                pops = 3;
                break;
            case TExpFunction::currentDate:
            case TExpFunction::currentTime:
            case TExpFunction::currentTimestamp:
                pops = 0;
                break;
            default:
                break;
        }
        push(made, pops);
    }

    std::uint32_t columnOf(const TExpToken& node) {
        const auto index = static_cast<std::uint32_t>(node.column);
        if (isMemo(columns_[index])) program_.usesMemo = true;
        return index;
    }

    const TFilterColumns& columns_;
    TFilterProgram& program_;
    std::size_t depth_ = 0;
};

}  // namespace

TFilterProgram compileFilter(const TExpTree& tree, const TFilterColumns& columns) {
    TFilterProgram program;
    Compiler(columns, program).run(tree.root);
    program.canUseIndexes = indexable(tree.root);
    return program;
}

}  // namespace wispel
