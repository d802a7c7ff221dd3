#include "xml/parser/DtdTextBudget.h"

#include "xml/errors/ParserErrors.h"

namespace wispel {

void TDtdTextBudget::spend(std::size_t units) {
    if (!exhausted_ && units <= left_) {
        left_ -= units;
        return;
    }
    exhausted_ = true;
    left_ = 0;
    throw EParserInvalidEntityDeclaration_Err("Invalid entity declaration error.");
}

}  // namespace wispel
