#include "xml/dom/Markup.h"

#include <string>
#include <vector>

#include "core/Stream.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/DocumentType.h"
#include "xml/dom/Element.h"
#include "xml/dom/Entity.h"
#include "xml/dom/Notation.h"

namespace wispel {

namespace {

// Replaces every `from` in `text` by `to`.
DOMString replaceAll(DOMString text, std::u16string_view from, std::u16string_view to) {
    for (size_t at = text.find(from); at != DOMString::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void appendLiteral(DOMString& out, const DOMString& value) {
    char16_t quote = value.find(u'"') == DOMString::npos ? u'"' : u'\'';
    out += quote;
    out += value;
    out += quote;
}

void appendExternalId(DOMString& out, const DOMString& publicId, const DOMString& systemId) {
    if (!publicId.empty()) {
        out += u" PUBLIC ";
        appendLiteral(out, publicId);
        if (!systemId.empty()) out += u" ";
    } else if (!systemId.empty()) {
        out += u" SYSTEM ";
    }
    if (!systemId.empty()) appendLiteral(out, systemId);
}

// A space goes between any two hyphens (a run of three needs two) and after a final one.
void appendComment(DOMString& out, const DOMString& data) {
    out += u"<!--";
    char16_t previous = 0;
    for (char16_t unit : data) {
        if (unit == u'-' && previous == u'-') out += u' ';
        out += unit;
        previous = unit;
    }
    if (previous == u'-') out += u' ';
    out += u"-->";
}

void appendEntity(DOMString& out, const TdomEntity* entity) {
    out += u"<!ENTITY " + entity->nodeName();
    if (!entity->publicId().empty() || !entity->systemId().empty()) {
        appendExternalId(out, entity->publicId(), entity->systemId());
        if (!entity->notationName().empty()) out += u" NDATA " + entity->notationName();
    } else {
        DOMString content;
        for (const TdomNode* child = entity->firstChild(); child != nullptr;
             child = child->nextSibling())
            appendMarkup(child, content);
        content = replaceAll(replaceAll(content, u"%", u"&#37;"), u"\"", u"&#34;");
        out += u" \"" + content + u"\"";
    }
    out += u">";
}

void appendDocumentType(DOMString& out, const TdomDocumentType* doctype) {
    out += u"<!DOCTYPE " + doctype->name();
    appendExternalId(out, doctype->publicId(), doctype->systemId());
    if (!doctype->internalSubset().empty()) out += u" [" + doctype->internalSubset() + u"]";
    out += u">";
}

void appendAttribute(DOMString& out, const TdomAttr* attr) {
    out += attr->name() + u"=\"" + attr->valueMarkup() + u"\"";
}

// Writes what comes before the node's children; true when the children follow.
bool appendOpening(DOMString& out, const TdomNode* node) {
    switch (node->nodeType()) {
        case ELEMENT_NODE: {
            out += u"<" + node->nodeName();
            const TdomNodeArray& attrs = static_cast<const TdomElement*>(node)->attributeArray();
            for (int i = 0; i < attrs.count(); ++i) {
                out += u' ';
                appendAttribute(out, static_cast<const TdomAttr*>(attrs.at(i)));
            }
            out += node->hasChildNodes() ? u">" : u"/>";
            return node->hasChildNodes();
        }
        case ATTRIBUTE_NODE:
            appendAttribute(out, static_cast<const TdomAttr*>(node));
            return false;
        case TEXT_NODE:
            out += escapeMarkupChars(static_cast<const TdomText*>(node)->data());
            return false;
        case CDATA_SECTION_NODE:
            out += u"<![CDATA[" +
                   replaceAll(DOMString(static_cast<const TdomText*>(node)->data()), u"]]>",
                              u"]]]]><![CDATA[>") +
                   u"]]>";
            return false;
        case ENTITY_REFERENCE_NODE:
            out += u"&" + node->nodeName() + u";";
            return false;
        case ENTITY_NODE:
            appendEntity(out, static_cast<const TdomEntity*>(node));
            return false;
        case PROCESSING_INSTRUCTION_NODE: {
            out += u"<?" + node->nodeName();
            DOMString data = replaceAll(node->nodeValue(), u"?>", u"? >");
            if (!data.empty()) out += u" " + data;
            out += u"?>";
            return false;
        }
        case COMMENT_NODE:
            appendComment(out, node->nodeValue());
            return false;
        case DOCUMENT_TYPE_NODE:
            appendDocumentType(out, static_cast<const TdomDocumentType*>(node));
            return false;
        case NOTATION_NODE: {
            auto* notation = static_cast<const TdomNotation*>(node);
            out += u"<!NOTATION " + node->nodeName();
            appendExternalId(out, notation->publicId(), notation->systemId());
            out += u">";
            return false;
        }
        default:
            return node->hasChildNodes();  // document, fragment
    }
}

}  // namespace

void writeUtf16LE(TStream& stream, std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

DOMString readUtf16LE(std::string_view bytes) {
    DOMString text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return text;
}

void appendMarkup(const TdomNode* node, DOMString& out) {
    struct Frame {
        const TdomNode* node;
        const TdomNode* next;  // the next child to write
    };
    std::vector<Frame> stack;
    if (appendOpening(out, node)) stack.push_back({node, node->firstChild()});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (const TdomNode* child = top.next) {
            top.next = child->nextSibling();
            if (appendOpening(out, child)) stack.push_back({child, child->firstChild()});
            continue;
        }
        if (top.node->nodeType() == ELEMENT_NODE) out += u"</" + top.node->nodeName() + u">";
        stack.pop_back();
    }
}

}  // namespace wispel
