#include "tablestore/filter/Filter.h"

#include "tablestore/filter/ExpToken.h"
#include "tablestore/filter/ExpressionCheck.h"
#include "tablestore/filter/ExpressionParser.h"
#include "tablestore/filter/FilterError.h"

namespace wispel {

namespace {

bool columnsFit(const TFilterColumns& columns, std::size_t recordSize) {
    for (const ColumnDescriptor& column : columns) {
        const std::size_t width = column.isAutoInc() ? 4 : column.width;
        if (column.valueOffset() + width > recordSize) return false;
    }
    return true;
}

}  // namespace

StoreResult TFilter::create(std::string_view text, const TFilterColumns& columns,
                            std::size_t recordSize, const TFilterLocale& locale,
                            const TFilterOptions& options, std::unique_ptr<TFilter>& made,
                            std::string& message) {
    // Tables made here have language ID 0; another locale's text order is not known to
    // the system, so its texts compare as language ID 0 does.
    (void)locale;
    if (!columnsFit(columns, recordSize)) return storecode::kHeaderCorrupt;
    std::unique_ptr<TFilter> filter(new TFilter());
    filter->columns_ = columns;
    try {
        TExpTree tree;
        TExpressionParser::parse(text, tree);
        checkExpression(tree, filter->columns_, options);
        filter->program_ = std::make_unique<TFilterProgram>(compileFilter(tree, filter->columns_));
    } catch (const TFilterFault& fault) {
        message = fault.message;
        return storecode::kFilterError;
    }
    filter->evaluator_ = std::make_unique<TFilterEvaluator>(*filter->program_, filter->columns_);
    made = std::move(filter);
    return storecode::kOk;
}

TFilter::TFilter(TFilterRowCallback callback) : callback_(std::move(callback)) {}

TFilter::~TFilter() = default;

bool TFilter::passes(std::uint32_t recordNo, const std::uint8_t* image,
                     TFilterRecordSource* source) {
    if (evaluator_) return evaluator_->matches(image, source);
    return !callback_ || callback_(recordNo, image);
}

std::vector<TFilterRecordSource::IndexCondition> TFilter::indexConditions() const {
    std::vector<TFilterRecordSource::IndexCondition> conditions;
    if (!canUseIndexes()) return conditions;
    for (const TFilterInstruction& in : program_->code) {
        if (in.opcode == TFilterOpcode::logicalAnd) continue;
        if (in.opcode != TFilterOpcode::compareColumnConstant || in.negated) return {};
        conditions.push_back({in.column, in.op, program_->constants[in.constant],
                              !in.caseInsensitive && !in.partial});
    }
    return conditions;
}

StoreResult TFilter::apply(const TRecordsBitmap& candidates, TFilterRecordSource& source) {
    bitmap_ = candidates;
    // An index may hand over the records that can pass, or even exactly those that do.
    const auto conditions = indexConditions();
    TRecordsBitmap hits;
    bool exact = false;
    if (!conditions.empty() && source.indexCandidates(conditions, bitmap_.size(), hits, exact)) {
        bitmap_.intersect(hits);
        if (exact) return storecode::kOk;
    }
    if (evaluator_) evaluator_->startPass();
    for (std::uint32_t n = bitmap_.nextMember(1); n != 0; n = bitmap_.nextMember(n + 1)) {
        const std::uint8_t* image = nullptr;
        const StoreResult read = source.readRecord(n, image);
        if (read != storecode::kOk) return read;
        if (!passes(n, image, &source)) bitmap_.exclude(n);
        if (n == bitmap_.size()) break;
    }
    return storecode::kOk;
}

}  // namespace wispel
