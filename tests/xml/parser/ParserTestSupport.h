#pragma once
// A DOM implementation and a parser wired to it, with helpers to parse text and to read
// the error records of the last parse.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/DocumentType.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/Element.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/NamedNodeMap.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/ParserErrors.h"
#include "xml/parser/XmlToDomParser.h"
#include "xml/reader/ErrorHandler.h"

namespace wispel::testing {

class ParserTest : public ::testing::Test {
protected:
    ParserTest() { parser.setDOMImpl(&impl); }

    TdomDocument* parse(const std::string& text) {
        TMemoryStream stream;
        stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
        return parser.parseStream(&stream);
    }

    // The class names of the records of the last parse, in order.
    std::vector<std::string> records() const {
        std::vector<std::string> names;
        const TdomStandardErrorHandler& handler = *parser.errorHandler();
        for (int i = 0; i < handler.errorCount(); ++i) {
            names.push_back(handler.errors(i).errorClass());
        }
        return names;
    }

    // Parses text that must fail with "Parser error." and returns the one fatal record.
    std::string failureClass(const std::string& text) {
        try {
            parse(text);
        } catch (const EParserException& error) {
            EXPECT_STREQ(error.className(), "EParserException") << text;
            EXPECT_EQ(error.message(), "Parser error.") << text;
            const std::vector<std::string> names = records();
            return names.empty() ? std::string("(no record)") : names.back();
        }
        ADD_FAILURE() << "parsed: " << text;
        return {};
    }

    TDomImplementation impl;
    TXmlToDomParser parser;
};

inline std::string utf8(const DOMString& text) {
    return toUtf8(text);
}

}  // namespace wispel::testing

namespace wispel::testing {

// A compact picture of a node's children: elements as name[children], text as "text",
// CDATA as <![text]>, comments as <!--text-->, processing instructions as <?target data?>
// and entity references as &name;.
inline std::string shape(TdomNode* node) {
    std::string out;
    for (TdomNode* child = node->firstChild(); child != nullptr; child = child->nextSibling()) {
        if (child != node->firstChild()) out += ",";
        switch (child->nodeType()) {
            case ELEMENT_NODE:
                out += utf8(child->nodeName()) + "[" + shape(child) + "]";
                break;
            case TEXT_NODE:
                out += "\"" + utf8(child->nodeValue()) + "\"";
                break;
            case CDATA_SECTION_NODE:
                out += "<![" + utf8(child->nodeValue()) + "]>";
                break;
            case COMMENT_NODE:
                out += "<!--" + utf8(child->nodeValue()) + "-->";
                break;
            case PROCESSING_INSTRUCTION_NODE:
                out += "<?" + utf8(child->nodeName()) + " " + utf8(child->nodeValue()) + "?>";
                break;
            case ENTITY_REFERENCE_NODE:
                out += "&" + utf8(child->nodeName()) + ";" + shape(child);
                break;
            case DOCUMENT_TYPE_NODE:
                out += "<!DOCTYPE " + utf8(child->nodeName()) + ">";
                break;
            default:
                out += "?";
        }
    }
    return out;
}

}  // namespace wispel::testing
