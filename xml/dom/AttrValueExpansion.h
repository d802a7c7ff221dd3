#pragma once
// The text an entity reference stands for inside an attribute value: the entity's
// replacement text with its own references expanded in turn (character references become
// their characters, the predefined entities theirs, declared entities their texts), as an
// attribute value needs it.
//
// The expansion is bounded, as element content is: it produces at most kMaxAttrValueUnits
// code units and reads at most kReadPerProduced times as many of replacement text, each
// nested reference counting kReferenceCost units more, so that entities built to multiply
// (into much or into nothing) cannot exhaust memory or time, however many attributes refer
// to them. Past the bound a reference
// stays as written (at the top) or its text is cut short (inside). Nesting is followed with
// an explicit stack, never by recursion.

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

class TdomCMObject;
struct TdomCMEntity;

constexpr std::size_t kMaxAttrValueUnits = std::size_t{1} << 16;

class TAttrValueExpansion {
public:
    static constexpr std::size_t kReadPerProduced = 8;
    static constexpr std::size_t kMaxNesting = 64;
    static constexpr std::size_t kReferenceCost = 64;

    // `cm` (may be null) must outlive the expansion; its entity texts are read in place.
    explicit TAttrValueExpansion(const TdomCMObject* cm) : cm_(cm) {}

    // Appends the expansion of the declared entity `text` belongs to, or "&name;" when the
    // bound has been reached.
    void appendEntity(const DOMString& name, const DOMString& text, DOMString& out);

private:
    void appendBounded(std::u16string_view text, DOMString& out);
    bool chargeReading(std::size_t units);
    // One reference found inside a text; true when it opened a nested text to read.
    bool nestedReference(std::u16string_view name, DOMString& out,
                         std::vector<std::u16string_view>& stack);

    const TdomCMEntity* findEntity(std::u16string_view name);

    const TdomCMObject* cm_;
    // Entities found so far, by names that are views into texts the model keeps.
    std::unordered_map<std::u16string_view, const TdomCMEntity*> found_;
    std::size_t produceLeft_ = kMaxAttrValueUnits;
    std::size_t readLeft_ = kMaxAttrValueUnits * kReadPerProduced;
};

}  // namespace wispel
