#include "tools/wispel-xml/DocumentDump.h"

#include <utility>
#include <vector>

#include "core/Exception.h"
#include "core/TerminalText.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/DocumentType.h"
#include "xml/dom/NamedNodeMap.h"

namespace wispel {

std::string quoted(const DOMString& text) {
    return "\"" + escapeControls(toUtf8(text), '"') + "\"";
}

namespace {

constexpr int kMaxIndentLevels = 64;

std::string documentLine(const TdomDocument& doc) {
    std::string line = "#document";
    if (!doc.version().empty()) line += " version=" + quoted(doc.version());
    if (!doc.encoding().empty()) line += " encoding=" + quoted(doc.encoding());
    if (!doc.standalone().empty()) line += " standalone=" + quoted(doc.standalone());
    return line;
}

std::string attributeLine(TdomAttr* attr) {
    const std::string name = "@" + toUtf8(attr->name());
    try {
        return name + "=" + quoted(attr->value());
    } catch (const Exception& error) {
        return name + " !" + error.className();
    }
}

std::string nodeLine(TdomNode* node) {
    switch (node->nodeType()) {
        case DOCUMENT_TYPE_NODE: {
            auto* doctype = static_cast<TdomDocumentType*>(node);
            std::string line = "DOCTYPE " + toUtf8(doctype->name()) +
                               " public=" + quoted(doctype->publicId()) +
                               " system=" + quoted(doctype->systemId());
            if (!doctype->internalSubset().empty()) {
                line += " internal=" + quoted(doctype->internalSubset());
            }
            return line;
        }
        case ELEMENT_NODE:
            return "<" + toUtf8(node->nodeName()) + ">";
        case TEXT_NODE:
            return "#text " + quoted(node->nodeValue());
        case CDATA_SECTION_NODE:
            return "#cdata " + quoted(node->nodeValue());
        case COMMENT_NODE:
            return "#comment " + quoted(node->nodeValue());
        case PROCESSING_INSTRUCTION_NODE:
            return "?" + toUtf8(node->nodeName()) + " " + quoted(node->nodeValue());
        case ENTITY_REFERENCE_NODE:
            return "&" + toUtf8(node->nodeName()) + ";";
        default:
            return "#node " + toUtf8(node->nodeName());
    }
}

// Two spaces per level up to kMaxIndentLevels, then the depth as a number: a deep document
// prints in space linear in its size, not in the square of its depth.
std::string indentOf(int level) {
    if (level <= kMaxIndentLevels) return std::string(static_cast<std::size_t>(level) * 2, ' ');
    return std::string(kMaxIndentLevels * 2, ' ') + "[" + std::to_string(level) + "] ";
}

}  // namespace

// Walks the tree with an explicit stack: documents may nest deeper than the call stack.
void dumpDocument(TdomDocument* document, std::ostream& out) {
    out << documentLine(*document) << '\n';
    std::vector<std::pair<TdomNode*, int>> stack;
    for (TdomNode* child = document->lastChild(); child != nullptr;
         child = child->previousSibling())
        stack.emplace_back(child, 1);
    while (!stack.empty()) {
        auto [node, level] = stack.back();
        stack.pop_back();
        const std::string indent = indentOf(level);
        out << indent << nodeLine(node) << '\n';
        if (TdomNamedNodeMap* attributes = node->attributes()) {
            for (int i = 0; i < attributes->length(); ++i) {
                out << indent << "  " << attributeLine(static_cast<TdomAttr*>(attributes->item(i)))
                    << '\n';
            }
        }
        for (TdomNode* child = node->lastChild(); child != nullptr;
             child = child->previousSibling())
            stack.emplace_back(child, level + 1);
    }
}

}  // namespace wispel
