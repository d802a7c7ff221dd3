#include "tablestore/filter/ExpressionParser.h"

#include <array>
#include <string>
#include <vector>

#include "tablestore/filter/FilterError.h"
#include "tablestore/filter/FilterKeywords.h"
#include "tablestore/filter/FilterTokenizer.h"

namespace wispel {

namespace {

using Kind = TFilterTokenKind;

class Parser {
public:
    Parser(std::string_view text, TExpTree& tree)
        : text_(text), tokens_(tokenizeFilter(text)), tree_(tree) {}

    void run() {
        if (at().kind == Kind::end) throw TFilterFault{"filter expression is empty"};
        tree_.root = parseOr();
        if (at().kind != Kind::end) unexpected();
    }

private:
    // --- tokens -------------------------------------------------------------------------

    const TFilterToken& at(std::size_t ahead = 0) const {
        const std::size_t i = next_ + ahead;
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }
    std::string_view source(const TFilterToken& token) const {
        return text_.substr(token.start, token.end - token.start);
    }
    bool isSymbol(char c, std::size_t ahead = 0) const {
        const TFilterToken& token = at(ahead);
        return token.kind == Kind::symbol && token.value.size() == 1 && token.value[0] == c;
    }
    bool isKeyword(std::string_view word, std::size_t ahead = 0) const {
        const TFilterToken& token = at(ahead);
        return token.kind == Kind::name && token.folded == word;
    }
    const TFilterToken& take() {
        const TFilterToken& token = at();
        if (next_ < tokens_.size() - 1) ++next_;
        return token;
    }
    bool takeSymbol(char c) { return isSymbol(c) ? (take(), true) : false; }
    bool takeKeyword(std::string_view word) { return isKeyword(word) ? (take(), true) : false; }
    // End of the source of the last token taken.
    std::uint32_t lastEnd() const { return next_ == 0 ? 0 : tokens_[next_ - 1].end; }

    [[noreturn]] void unexpected() { failFilterAt("Unknown or unexpected symbol ", source(at())); }
    [[noreturn]] void expected(std::string_view what) { failFilterAt(what, source(at())); }

    // --- nodes --------------------------------------------------------------------------

    std::string_view span(std::uint32_t start) const {
        return text_.substr(start, lastEnd() - start);
    }
    TExpToken& node(TExpKind kind, std::uint32_t start) {
        TExpToken& made = tree_.add(kind);
        made.text = span(start);
        return made;
    }
    TExpToken* binary(TExpOperator op, TExpToken* left, TExpToken* right, std::uint32_t start) {
        TExpToken& made = node(TExpKind::binaryOp, start);
        made.op = op;
        made.child = {left, right, nullptr};
        return &made;
    }
    std::uint32_t here() const { return at().start; }

    // --- grammar ------------------------------------------------------------------------

    TExpToken* parseOr() {
        const std::uint32_t start = here();
        TExpToken* left = parseAnd();
        while (takeKeyword("OR")) left = binary(TExpOperator::logicalOr, left, parseAnd(), start);
        return left;
    }

    TExpToken* parseAnd() {
        const std::uint32_t start = here();
        TExpToken* left = parseNot();
        while (takeKeyword("AND"))
            left = binary(TExpOperator::logicalAnd, left, parseNot(), start);
        return left;
    }

    TExpToken* parseNot() {
        const std::uint32_t start = here();
        if (!takeKeyword("NOT")) return parseComparison();
        TExpToken* operand = parseComparison();
        TExpToken& made = node(TExpKind::unaryOp, start);
        made.op = TExpOperator::logicalNot;
        made.child[0] = operand;
        return &made;
    }

    TExpToken* parseComparison() {
        const std::uint32_t start = here();
        TExpToken* left = parseSum();
        if (takeSymbol('=')) return binary(TExpOperator::equal, left, parseSum(), start);
        if (takeSymbol('<')) {
            TExpOperator op = TExpOperator::less;
            if (takeSymbol('>'))
                op = TExpOperator::notEqual;
            else if (takeSymbol('='))
                op = TExpOperator::lessOrEqual;
            return binary(op, left, parseSum(), start);
        }
        if (takeSymbol('>')) {
            const TExpOperator op =
                takeSymbol('=') ? TExpOperator::greaterOrEqual : TExpOperator::greater;
            return binary(op, left, parseSum(), start);
        }
        if (takeKeyword("IS")) {
            const bool negated = takeKeyword("NOT");
            if (!takeKeyword("NULL")) unexpected();
            TExpToken& made = node(TExpKind::binaryOp, start);
            made.op = TExpOperator::isNull;
            made.negated = negated;
            made.child[0] = left;
            return &made;
        }
        const bool negated = isKeyword("NOT");
        if (negated) {
            if (!isKeyword("LIKE", 1) && !isKeyword("BETWEEN", 1) && !isKeyword("IN", 1)) {
                take();
                unexpected();
            }
            take();
        }
        if (takeKeyword("LIKE")) {
            TExpToken* made = binary(TExpOperator::like, left, parseSum(), start);
            made->negated = negated;
            return made;
        }
        if (takeKeyword("BETWEEN")) return parseBetween(left, negated, start);
        if (takeKeyword("IN")) return parseIn(left, negated, start);
        return left;
    }

    TExpToken* parseBetween(TExpToken* value, bool negated, std::uint32_t start) {
        TExpToken* low = parseSum();
        if (!takeKeyword("AND")) expected("Expected AND operator in BETWEEN operator, instead found ");
        TExpToken* high = parseSum();
        TExpToken& made = node(TExpKind::binaryOp, start);
        made.op = TExpOperator::between;
        made.negated = negated;
        made.child = {value, low, high};
        return &made;
    }

    TExpToken* parseIn(TExpToken* value, bool negated, std::uint32_t start) {
        if (!takeSymbol('(')) {
            expected(negated ? "Expected left parentheses for IN operator, instead found "
                             : "Expected left parentheses after IN operator, instead found ");
        }
        if (isKeyword("SELECT")) failFilter("Sub-select queries are not allowed");
        if (isSymbol(')'))
            failFilter("You must provide at least one value as an operand of the IN operator ");
        std::vector<TExpToken*> values;
        do {
            values.push_back(parseSum());
        } while (takeSymbol(','));
        if (!takeSymbol(')'))
            expected("Expected right parentheses after IN operator, instead found ");
        TExpToken& made = node(TExpKind::binaryOp, start);
        made.op = TExpOperator::in;
        made.negated = negated;
        made.child[0] = value;
        made.list = std::move(values);
        return &made;
    }

    TExpToken* parseSum() {
        const std::uint32_t start = here();
        TExpToken* left = parseProduct();
        for (;;) {
            if (takeSymbol('+')) {
                left = binary(TExpOperator::add, left, parseProduct(), start);
            } else if (takeSymbol('-')) {
                left = binary(TExpOperator::subtract, left, parseProduct(), start);
            } else if (takeSymbol('|')) {
                if (!takeSymbol('|')) {
                    expected(
                        "Second concatenation symbol '|' expected after first concatentation "
                        "symbol, instead found ");
                }
                left = binary(TExpOperator::add, left, parseProduct(), start);
                left->spelledConcat = true;
            } else {
                return left;
            }
        }
    }

    TExpToken* parseProduct() {
        const std::uint32_t start = here();
        TExpToken* left = parseUnary();
        for (;;) {
            if (takeSymbol('*'))
                left = binary(TExpOperator::multiply, left, parseUnary(), start);
            else if (takeSymbol('/'))
                left = binary(TExpOperator::divide, left, parseUnary(), start);
            else
                return left;
        }
    }

    TExpToken* parseUnary() {
        const std::uint32_t start = here();
        const bool minus = isSymbol('-');
        if (!minus && !isSymbol('+')) return parsePrimary();
        take();
        TExpToken* operand = parsePrimary();
        // A signed number is one constant, so that it counts as a constant in comparisons.
        if (operand->kind == TExpKind::constant && isNumeric(operand->value.type) &&
            !(minus && operand->value.type == TValueClass::integer &&
              operand->value.integer == INT64_MIN)) {
            if (minus) {
                operand->value.integer = -operand->value.integer;
                operand->value.number = -operand->value.number;
            }
            operand->text = span(start);
            return operand;
        }
        TExpToken& made = node(TExpKind::unaryOp, start);
        made.op = minus ? TExpOperator::negate : TExpOperator::unaryPlus;
        made.child[0] = operand;
        return &made;
    }

    TExpToken* parsePrimary() {
        const std::uint32_t start = here();
        const TFilterToken& token = at();
        switch (token.kind) {
            case Kind::string:
            case Kind::character:
                take();
                return textConstant(token.value, start);
            case Kind::integer: {
                take();
                TExpToken& made = node(TExpKind::constant, start);
                made.value = {TValueClass::integer, false, token.integer, 0, {}};
                return &made;
            }
            case Kind::numeric: {
                take();
                TExpToken& made = node(TExpKind::constant, start);
                made.value = {TValueClass::floating, false, 0, token.number, {}};
                return &made;
            }
            case Kind::bracketedName:
                take();
                return columnReference(token.value, start);
            case Kind::name:
                return parseName(start);
            case Kind::symbol:
                return parseSymbol();
            case Kind::end:
                break;
        }
        unexpected();
    }

    TExpToken* textConstant(const std::string& text, std::uint32_t start) {
        TExpToken& made = node(TExpKind::constant, start);
        made.textValue = text;
        made.value.type = TValueClass::text;
        made.value.isNull = false;
        made.value.text = made.textValue;  // deque nodes never move, so the view holds
        return &made;
    }

    TExpToken* columnReference(std::string_view name, std::uint32_t start) {
        TExpToken& made = node(TExpKind::column, start);
        made.textValue = name;
        return &made;
    }

    TExpToken* parseName(std::uint32_t start) {
        const TFilterToken& token = at();
        if (const TFunctionSpelling* function = findFunction(token.folded)) {
            take();
            return parseFunction(*function, start);
        }
        if (takeKeyword("TRUE") || takeKeyword("FALSE")) {
            TExpToken& made = node(TExpKind::constant, start);
            made.value = {TValueClass::boolean, false, token.folded == "TRUE", 0, {}};
            return &made;
        }
        if (takeKeyword("NULL")) return &node(TExpKind::constant, start);
        if (isReservedWord(token.folded)) unexpected();
        if (isSymbol('(', 1)) {
            if (isAggregateName(token.folded)) failFilter("Aggregate functions are not allowed");
            failFilterAt("Unknown or unexpected function ", source(token));
        }
        take();
        return columnReference(token.value, start);
    }

    TExpToken* parseSymbol() {
        if (isSymbol(':') || isSymbol('?')) failFilter("Parameters are not allowed");
        if (isSymbol('*')) failFilter("* (all columns) symbol is not allowed");
        if (!isSymbol('(')) unexpected();
        enterNesting();
        take();
        if (isKeyword("SELECT")) failFilter("Sub-select queries are not allowed");
        TExpToken* inner = parseOr();
        if (!takeSymbol(')')) expected("Right parentheses expected, instead found ");
        --depth_;
        return inner;
    }

    void enterNesting() {
        if (++depth_ > kMaxFilterNesting) expected("Expression nested too deeply at ");
    }

    // --- functions ----------------------------------------------------------------------

    TExpToken* parseFunction(const TFunctionSpelling& spelling, std::uint32_t start) {
        std::array<TExpToken*, 3> args{};
        TExpToken made;  // the details; copied into the arena after the arguments
        made.function = spelling.function;
        if (spelling.takesNoArguments) return finishFunction(made, args, start);
        const std::string name(spelling.name);
        if (!isSymbol('('))
            expected("Left parentheses expected after " + name + " function, instead found ");
        enterNesting();
        take();
        switch (spelling.function) {
            case TExpFunction::round:
                args[0] = parseOr();
                if (takeKeyword("TO")) args[1] = parseSum();
                break;
            case TExpFunction::substring:
                args[0] = parseOr();
                keyword("FROM", name);
                args[1] = parseSum();
                if (takeKeyword("FOR")) args[2] = parseSum();
                break;
            case TExpFunction::trim:
                made.trimMode = trimMode(name);
                args[1] = parseSum();
                keyword("FROM", name);
                args[0] = parseOr();
                break;
            case TExpFunction::pos:
            case TExpFunction::occurs:
                args[1] = parseSum();
                keyword("IN", name);
                args[0] = parseOr();
                break;
            case TExpFunction::replace:
                args[1] = parseSum();
                keyword("WITH", name);
                args[2] = parseSum();
                keyword("IN", name);
                args[0] = parseOr();
                break;
            case TExpFunction::extract:
                made.extractPart = extractPart(name);
                keyword("FROM", name);
                args[0] = parseOr();
                break;
            case TExpFunction::cast:
                args[0] = parseOr();
                keyword("AS", name);
                castType(made, name);
                break;
            case TExpFunction::ifThenElse:
                args[0] = parseOr();
                keyword("THEN", name);
                args[1] = parseOr();
                keyword("ELSE", name);
                args[2] = parseOr();
                break;
            default:  // UPPER, LOWER, ABS
                args[0] = parseOr();
                break;
        }
        if (!takeSymbol(')')) {
            expected("Right parentheses expected after " + name +
                     " function arguments, instead found ");
        }
        --depth_;
        return finishFunction(made, args, start);
    }

    TExpToken* finishFunction(TExpToken& details, const std::array<TExpToken*, 3>& args,
                              std::uint32_t start) {
        TExpToken& made = node(TExpKind::function, start);
        made.function = details.function;
        made.trimMode = details.trimMode;
        made.extractPart = details.extractPart;
        made.castTo = details.castTo;
        made.valueType = details.valueType;
        made.number1 = details.number1;
        made.textValue = std::move(details.textValue);
        made.child = args;
        return &made;
    }

    void keyword(std::string_view word, const std::string& function) {
        if (takeKeyword(word)) return;
        expected(std::string(word) + " keyword expected after " + function +
                 " function argument, instead found ");
    }

    TTrimMode trimMode(const std::string& function) {
        if (takeKeyword("LEADING")) return TTrimMode::leading;
        if (takeKeyword("TRAILING")) return TTrimMode::trailing;
        if (takeKeyword("BOTH")) return TTrimMode::both;
        expected("LEADING/TRAILING/BOTH keyword expected after " + function +
                 " function left parentheses, instead found ");
    }

    TExtractPart extractPart(const std::string& function) {
        static constexpr std::array<std::pair<std::string_view, TExtractPart>, 7> kParts{{
            {"YEAR", TExtractPart::year},
            {"MONTH", TExtractPart::month},
            {"DAY", TExtractPart::day},
            {"DAYOFWEEK", TExtractPart::dayOfWeek},
            {"HOUR", TExtractPart::hour},
            {"MINUTE", TExtractPart::minute},
            {"SECOND", TExtractPart::second},
        }};
        for (const auto& [word, part] : kParts)
            if (takeKeyword(word)) return part;
        expected("YEAR/MONTH/DAY/DAYOFWEEK/HOUR/MINUTE/SECOND keyword expected after " +
                 function + " function left parentheses, instead found ");
    }

    void castType(TExpToken& made, const std::string& function) {
        const TCastTypeSpelling* type =
            at().kind == Kind::name ? findCastType(at().folded) : nullptr;
        if (!type) {
            expected("Data type expected after AS keyword in " + function +
                     " function, instead found ");
        }
        made.textValue = source(take());
        made.castTo = type->valueClass;
        made.valueType = type->engineType;
        if (type->valueClass == TValueClass::text && takeSymbol('(')) {
            if (at().kind != Kind::integer || at().integer < 1 || at().integer > 0xFFFF)
                expected("Length expected after " + std::string(type->name) +
                         " in " + function + " function, instead found ");
            made.number1 = take().integer;
            if (!takeSymbol(')'))
                expected("Right parentheses expected after " + function +
                         " function arguments, instead found ");
        }
    }

    std::string_view text_;
    std::vector<TFilterToken> tokens_;
    std::size_t next_ = 0;
    TExpTree& tree_;
    int depth_ = 0;
};

}  // namespace

void TExpressionParser::parse(std::string_view text, TExpTree& tree) {
    Parser(text, tree).run();
}

}  // namespace wispel
