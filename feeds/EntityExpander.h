#pragma once
// Turns general entity references inside a feed's fields into text. The document keeps
// every reference as a childless node, so a field's text needs each one replaced: the
// character for the five predefined entities, the declared replacement text of an internal
// entity of the document's DTD, and the reference as written for anything else.
//
// Replacement texts are read as XML content: character references become characters,
// nested references are expanded in turn, markup contributes only its character data. The
// expansion is bounded in nesting depth and, over the expander's life, in the number of
// code units it produces, so that entities built to multiply do not exhaust memory, and in
// the code units it reads, so that entities that multiply into nothing (empty texts,
// comments) do not run for ever; past a bound a reference stays as written (at the top) or
// its text is cut short (inside).

#include <cstddef>
#include <functional>
#include <string_view>

#include "core/TextConvert.h"

namespace wispel {

class TEntityExpander {
public:
    // The replacement text of a usable internal entity of that name, or null. The text must
    // stay valid while the expander is in use.
    using Lookup = std::function<const DOMString*(std::u16string_view name)>;

    static constexpr int kMaxDepth = 16;
    static constexpr std::size_t kDefaultBudget = std::size_t{1} << 20;
    // Code units the expansions may read, per code unit they may produce.
    static constexpr std::size_t kReadPerProduced = 8;

    explicit TEntityExpander(Lookup lookup, std::size_t budget = kDefaultBudget);

    // Appends the text of a reference to the entity `name` to `out`.
    void appendReference(std::u16string_view name, DOMString& out);

private:
    void expand(std::u16string_view text, DOMString& out, int depth);
    void expandReference(std::u16string_view name, DOMString& out, int depth);
    bool charge(std::size_t units);
    bool chargeReading(std::size_t units);
    void appendCharged(std::u16string_view text, DOMString& out);

    Lookup lookup_;
    std::size_t remaining_;    // code units expansions may still produce
    std::size_t readingLeft_;  // code units of replacement text they may still read
};

}  // namespace wispel
