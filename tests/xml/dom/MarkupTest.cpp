// Serialized documents must read back as the same tree: the parser is the peer that judges
// whether the markup is well-formed.

#include "DomTestSupport.h"
#include "core/MemoryStream.h"
#include "xml/parser/XmlToDomParser.h"

namespace wispel {
namespace {

class MarkupTest : public DomTest {
protected:
    MarkupTest() { parser.setDOMImpl(&impl); }

    // A document whose text needs every kind of escaping.
    void fill() {
        doc->setVersion(u"1.0");
        doc->setStandalone(u"yes");
        doc->insertBefore(doc->createComment(u"a -- b -"), root);
        root->setAttribute(u"q", u"say \"hi\" & 'bye' <now>");
        root->appendChild(text(u"1 < 2 && 3 > 2 ]]> \u00e9\U0001F600"));
        root->appendChild(doc->createCDATASection(u"raw <b> ]]> end"));
        root->appendChild(doc->createProcessingInstruction(u"pi", u"data ?> more"));
        TdomElement* empty = element(u"empty");
        root->appendChild(empty);
        root->appendChild(doc->createEntityReference(u"amp"));
    }

    TXmlToDomParser parser;
};

TEST_F(MarkupTest, Utf8FormReadsBackAsTheSameTree) {
    fill();
    std::string utf8 = doc->xmlTextUtf8();
    EXPECT_EQ(utf8.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0), 0u)
        << utf8;
    EXPECT_EQ(doc->encoding(), u"");  // only set while writing
    TdomDocument* back = parser.parseString(utf8);
    ASSERT_NE(back, nullptr);
    TdomElement* r = back->documentElement();
    EXPECT_EQ(r->getAttribute(u"q"), u"say \"hi\" & 'bye' <now>");
    EXPECT_EQ(r->firstChild()->nodeValue(), u"1 < 2 && 3 > 2 ]]> \u00e9\U0001F600");
    EXPECT_EQ(back->firstChild()->nodeType(), COMMENT_NODE);
    // Writing the copy again gives the same markup.
    EXPECT_EQ(back->documentElement()->xmlText(), root->xmlText());
}

TEST_F(MarkupTest, Utf16FormStartsWithAByteOrderMark) {
    fill();
    DOMString wide = doc->xmlTextUtf16();
    ASSERT_FALSE(wide.empty());
    EXPECT_EQ(wide[0], u'\xFEFF');
    EXPECT_NE(wide.find(u"encoding=\"UTF-16\""), DOMString::npos);
    TMemoryStream stream;
    doc->writeXmlUtf16(stream);
    EXPECT_EQ(stream.View().substr(0, 2), std::string("\xFF\xFE", 2));
    stream.SetPosition(0);
    TdomDocument* back = parser.parseStream(&stream);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->documentElement()->xmlText(), root->xmlText());
}

TEST_F(MarkupTest, NodeMarkup) {
    struct Case {
        TdomNode* node;
        const char16_t* markup;
    };
    TdomElement* e = element(u"e");
    e->setAttribute(u"a", u"<&>");
    e->appendChild(text(u"x"));
    TdomDocumentType* type = doc->createDocumentType(u"r", u"-//P", u"r.dtd", u"<!ENTITY e 'x'>");
    TdomEntity* entity = doc->createEntity(u"ent", u"", u"", u"");
    entity->appendChild(text(u"50% \"off\""));
    const Case cases[] = {
        {e, u"<e a=\"&#60;&#38;&#62;\">x</e>"},
        {doc->createComment(u"--x-"), u"<!--- -x- -->"},
        {doc->createCDATASection(u"a]]>b"), u"<![CDATA[a]]]]><![CDATA[>b]]>"},
        {doc->createProcessingInstruction(u"t", u""), u"<?t?>"},
        {doc->createEntityReference(u"e"), u"&e;"},
        {type, u"<!DOCTYPE r PUBLIC \"-//P\" \"r.dtd\" [<!ENTITY e 'x'>]>"},
        {doc->createNotation(u"n", u"", u"n.exe"), u"<!NOTATION n SYSTEM \"n.exe\">"},
        {entity, u"<!ENTITY ent \"50&#37; &#34;off&#34;\">"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.node->xmlText(), c.markup) << toUtf8(c.markup);
}

// Every run of hyphens in a comment, however long, must come out as a well-formed comment.
TEST_F(MarkupTest, CommentsWithHyphenRunsReadBack) {
    for (const char16_t* data : {u"---", u"a --- b", u"----", u"-", u"x--", u"- -- ---"}) {
        DOMString markup = doc->createComment(data)->xmlText();
        SCOPED_TRACE(toUtf8(markup));
        TdomDocument* back = nullptr;
        EXPECT_NO_THROW(back = parser.parseWideString(u"<r>" + markup + u"</r>"));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->documentElement()->firstChild()->nodeType(), COMMENT_NODE);
    }
}

}  // namespace
}  // namespace wispel
