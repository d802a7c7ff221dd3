#pragma once
// One allowance of produced text for a whole document type declaration. Each entity's text
// is bounded on its own (kMaxEntityTextUnits), but parameter entities that refer to each
// other can make many texts of that size; the budget counts every text the declaration
// makes, stored (resolved entity values) and replayed (parameter-entity texts read again as
// declarations, and the copies of known texts each replay takes along), so that the whole
// stays within a fixed size however the entities fan out.
//
// One budget lives for one parsedtd call; the parsers that replay its parameter entities
// share it through TXmlToDomParser::dtdTextBudget().

#include <cstddef>

#include "xml/parser/EntityValue.h"

namespace wispel {

// Four entities of the largest size: each text is counted where it is stored and where it
// is replayed.
constexpr std::size_t kMaxDtdTextUnits = kMaxEntityTextUnits * 4;

class TDtdTextBudget {
public:
    explicit TDtdTextBudget(std::size_t units = kMaxDtdTextUnits) : left_(units) {}
    TDtdTextBudget(const TDtdTextBudget&) = delete;
    TDtdTextBudget& operator=(const TDtdTextBudget&) = delete;

    // Counts `units` more code units of produced text; when the allowance runs out the
    // budget stays exhausted and EParserInvalidEntityDeclaration_Err is raised.
    void spend(std::size_t units);
    bool exhausted() const noexcept { return exhausted_; }

private:
    std::size_t left_;
    bool exhausted_ = false;
};

}  // namespace wispel
