#pragma once
// A fresh implementation and document per test, and helpers to name nodes briefly.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/ExpectError.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/DocumentFragment.h"
#include "xml/dom/DocumentType.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/Element.h"
#include "xml/dom/Entity.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/Notation.h"
#include "xml/dom/ProcessingInstruction.h"
#include "xml/errors/DomException.h"
#include "xml/errors/ParserErrors.h"

namespace wispel {

class DomTest : public ::testing::Test {
protected:
    DomTest() : doc(impl.createDocument(u"root", nullptr)), root(doc->documentElement()) {}

    TdomElement* element(const DOMString& name) { return doc->createElement(name); }
    TdomText* text(const DOMString& data) { return doc->createTextNode(data); }

    // The node names of `parent`'s children, joined by ",".
    static std::string childNames(const TdomNode* parent) {
        std::string out;
        for (const TdomNode* c = parent->firstChild(); c != nullptr; c = c->nextSibling()) {
            if (c != parent->firstChild()) out += ",";
            out += toUtf8(c->nodeType() == TEXT_NODE ? c->nodeValue() : c->nodeName());
        }
        return out;
    }

    TDomImplementation impl;
    TdomDocument* doc;
    TdomElement* root;
};

}  // namespace wispel
