#pragma once
// Node type codes and 16-bit type sets, in which bit n stands for node type n (the child
// types a node allows, the types a named node map accepts, a tree walker's whatToShow).

#include <cstdint>
#include <initializer_list>

namespace wispel {

using TdomNodeType = std::uint8_t;
using TdomTypeSet = std::uint16_t;
using TdomWhatToShow = std::uint16_t;

constexpr TdomNodeType ELEMENT_NODE = 1;
constexpr TdomNodeType ATTRIBUTE_NODE = 2;
constexpr TdomNodeType TEXT_NODE = 3;
constexpr TdomNodeType CDATA_SECTION_NODE = 4;
constexpr TdomNodeType ENTITY_REFERENCE_NODE = 5;
constexpr TdomNodeType ENTITY_NODE = 6;
constexpr TdomNodeType PROCESSING_INSTRUCTION_NODE = 7;
constexpr TdomNodeType COMMENT_NODE = 8;
constexpr TdomNodeType DOCUMENT_NODE = 9;
constexpr TdomNodeType DOCUMENT_TYPE_NODE = 10;
constexpr TdomNodeType DOCUMENT_FRAGMENT_NODE = 11;
constexpr TdomNodeType NOTATION_NODE = 12;

// Type codes above 15 are never members of a set.
constexpr bool typeInSet(TdomTypeSet set, int type) {
    return type >= 0 && type <= 15 && ((set >> type) & 1u) != 0;
}

// The set of the given node types.
constexpr TdomTypeSet typeSet(std::initializer_list<TdomNodeType> types) {
    TdomTypeSet set = 0;
    for (TdomNodeType type : types) set = static_cast<TdomTypeSet>(set | (1u << type));
    return set;
}

// The children each kind of node allows.
constexpr TdomTypeSet kElementChildTypes =
    typeSet({ELEMENT_NODE, TEXT_NODE, CDATA_SECTION_NODE, ENTITY_REFERENCE_NODE,
             PROCESSING_INSTRUCTION_NODE, COMMENT_NODE, DOCUMENT_FRAGMENT_NODE});
constexpr TdomTypeSet kAttrChildTypes =
    typeSet({TEXT_NODE, ENTITY_REFERENCE_NODE, DOCUMENT_FRAGMENT_NODE});
constexpr TdomTypeSet kDocumentChildTypes = typeSet(
    {ELEMENT_NODE, PROCESSING_INSTRUCTION_NODE, COMMENT_NODE, DOCUMENT_TYPE_NODE,
     DOCUMENT_FRAGMENT_NODE});
constexpr TdomTypeSet kFragmentChildTypes =
    typeSet({ELEMENT_NODE, TEXT_NODE, CDATA_SECTION_NODE, ENTITY_REFERENCE_NODE,
             PROCESSING_INSTRUCTION_NODE, COMMENT_NODE, DOCUMENT_TYPE_NODE,
             DOCUMENT_FRAGMENT_NODE});
constexpr TdomTypeSet kNoChildTypes = 0;
static_assert(kElementChildTypes == 2490 && kAttrChildTypes == 2088 &&
              kDocumentChildTypes == 3458 && kFragmentChildTypes == 3514);

// The children a node of `type` allows: every node of a type allows the same.
constexpr TdomTypeSet allowedChildTypesOf(TdomNodeType type) {
    switch (type) {
        case ELEMENT_NODE:
        case ENTITY_REFERENCE_NODE:
        case ENTITY_NODE:
            return kElementChildTypes;
        case ATTRIBUTE_NODE:
            return kAttrChildTypes;
        case DOCUMENT_NODE:
            return kDocumentChildTypes;
        case DOCUMENT_FRAGMENT_NODE:
            return kFragmentChildTypes;
        default:
            return kNoChildTypes;
    }
}

// The namespace names that namespace-aware names are checked against.
inline constexpr char16_t kXmlNamespace[] = u"http://www.w3.org/XML/1998/namespace";
inline constexpr char16_t kXmlnsNamespace[] = u"http://www.w3.org/2000/xmlns/";

}  // namespace wispel
