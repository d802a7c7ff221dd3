#pragma once
// Reads the content specification of an element type declaration ("EMPTY", "ANY", mixed
// content or a group of element content) into a flat particle table. The table is flat on
// purpose: a declaration may nest groups as deeply as its text allows, and neither reading
// nor freeing it may recurse along that nesting.

#include <string_view>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

enum class TContentKind { ckEmpty, ckAny, ckMixed, ckElements };
enum class TParticleKind { pkName, pkSequence, pkChoice };

struct TContentParticle {
    TParticleKind kind = TParticleKind::pkName;
    DOMString name;             // element type name, for pkName
    char16_t frequency = 0;     // 0, '?', '*' or '+'
    int parent = -1;            // index of the enclosing group; -1 for the outermost
    std::vector<int> children;  // indexes of the members, in order (groups only)
};

struct TContentSpec {
    TContentKind kind = TContentKind::ckEmpty;
    // Mixed content: the names allowed beside text. Element content: particles[0] is the
    // outermost group.
    std::vector<DOMString> mixedNames;
    std::vector<TContentParticle> particles;
};

// Raises EParserInvalidElementDeclaration_Err for a specification that does not match.
TContentSpec parseContentSpec(std::u16string_view text);

}  // namespace wispel
