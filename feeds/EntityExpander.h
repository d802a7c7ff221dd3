#pragma once
// Turns general entity references inside a feed's fields into text. The document keeps
// every reference as a childless node, so a field's text needs each one replaced: the
// character for the five predefined entities, the declared replacement text of an internal
// entity of the document's DTD, the character(s) of an HTML named character reference
// when the document does not declare that name (feeds write &hellip; or &nbsp; without a
// DTD), and the reference as written for anything else.
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

    // True when the document declares an entity of that name, usable or not.
    using Declared = std::function<bool(std::u16string_view name)>;

    explicit TEntityExpander(Lookup lookup, std::size_t budget = kDefaultBudget);
    // With `declared`, a name the document does not declare is also looked up among HTML's
    // named character references.
    TEntityExpander(Lookup lookup, Declared declared, std::size_t budget = kDefaultBudget);

    // Appends the text of a reference to the entity `name` to `out`.
    void appendReference(std::u16string_view name, DOMString& out);

private:
    void expand(std::u16string_view text, DOMString& out, int depth);
    void expandReference(std::u16string_view name, DOMString& out, int depth);
    bool charge(std::size_t units);
    bool chargeReading(std::size_t units);
    void appendCharged(std::u16string_view text, DOMString& out);
    // The HTML text for an undeclared `name`, or empty.
    std::u16string_view htmlText(std::u16string_view name) const;

    Lookup lookup_;
    Declared declared_;  // unset: no HTML names
    std::size_t remaining_;    // code units expansions may still produce
    std::size_t readingLeft_;  // code units of replacement text they may still read
};

}  // namespace wispel
