// The document builder: what the tree looks like for well-formed text, and which error the
// parse records for text that breaks a tree rule.

#include "tests/xml/parser/ParserTestSupport.h"
#include "xml/dom/AttrValueExpansion.h"

namespace wispel::testing {
namespace {

using DocBuilderTest = ParserTest;

TEST_F(DocBuilderTest, BuildsTheTreeCloseToTheText) {
    struct Case {
        const char* text;
        const char* shape;
    } cases[] = {
        // Character references merge into the surrounding text; entity references do not.
        {"<a>x&#66;y</a>", "a[\"xBy\"]"},
        {"<a>x&amp;y</a>", "a[\"x\",&amp;,\"y\"]"},
        {"<a>&#x41;&#66;</a>", "a[\"AB\"]"},
        // White space inside elements stays, before and after the root it is dropped.
        {"\n <a>\n  <b/>\n</a>\n ", "a[\"\n  \",b[],\"\n\"]"},
        // CDATA sections stand on their own; comments and instructions may be outside.
        {"<!--c--><?p d?><a>t<![CDATA[<x>]]>u</a><!--e-->",
         "<!--c-->,<?p d?>,a[\"t\",<![<x>]>,\"u\"],<!--e-->"},
        {"<a><!----></a>", "a[<!---->]"},
        {"<a>&undeclared;</a>", "a[&undeclared;]"},
        {"<a>&#x1F600;</a>", "a[\"\xF0\x9F\x98\x80\"]"},
    };
    for (const Case& c : cases) {
        TdomDocument* doc = parse(c.text);
        EXPECT_EQ(shape(doc), c.shape) << c.text;
        impl.freeDocument(doc);
    }
}

// A reader that wants only the text may have the five predefined references read as their
// characters: they merge like character references, every other reference stays a node, and
// the errors stay those of a reference.
TEST_F(DocBuilderTest, PredefinedReferencesMayMergeIntoTheText) {
    EXPECT_FALSE(parser.predefinedEntitiesAsText());
    parser.setPredefinedEntitiesAsText(true);
    struct Case {
        const char* text;
        const char* shape;
    } cases[] = {
        {"<a>x&lt;b&gt;&amp;&quot;&apos;y</a>", "a[\"x<b>&\"'y\"]"},
        {"<a>&lt;&#66;&gt;</a>", "a[\"<B>\"]"},
        {"<a>&lt;<b/>&gt;</a>", "a[\"<\",b[],\">\"]"},
        {"<a>&lt;&undeclared;&gt;</a>", "a[\"<\",&undeclared;,\">\"]"},
        {"<a>&lt;<![CDATA[x]]>&gt;</a>", "a[\"<\",<![x]>,\">\"]"},
        {"<!DOCTYPE a [<!ENTITY e 'E'>]><a>&e;&amp;</a>", "<!DOCTYPE a>,a[&e;,\"&\"]"},
    };
    for (const Case& c : cases) {
        TdomDocument* doc = parse(c.text);
        EXPECT_EQ(shape(doc), c.shape) << c.text;
        impl.freeDocument(doc);
    }
    EXPECT_EQ(failureClass("<a/>&amp;"), "EParserInvalidEntityName_Err");
    EXPECT_EQ(failureClass("&lt;<a/>"), "EParserInvalidEntityName_Err");
    // A run of references is one node, whatever its length.
    std::string many = "<a>";
    for (int i = 0; i < 20000; ++i) many += "&lt;b&gt;";
    TdomDocument* doc = parse(many + "</a>");
    const TdomNode* text = doc->documentElement()->firstChild();
    ASSERT_EQ(text->nodeType(), TEXT_NODE);
    EXPECT_EQ(text->nextSibling(), nullptr);
    EXPECT_EQ(static_cast<const TdomText*>(text)->length(), 60000);
    impl.freeDocument(doc);
    parser.setPredefinedEntitiesAsText(false);
    doc = parse("<a>x&lt;y</a>");
    EXPECT_EQ(shape(doc), "a[\"x\",&lt;,\"y\"]");
}

TEST_F(DocBuilderTest, KeepsTheXmlDeclarationAndTheFileName) {
    TdomDocument* doc = parse("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><r/>");
    EXPECT_EQ(doc->version(), u"1.0");
    EXPECT_EQ(doc->encoding(), u"UTF-8");
    EXPECT_EQ(doc->standalone(), u"yes");
    EXPECT_EQ(doc->documentElement()->nodeName(), u"r");
    TdomDocument* plain = parse("<r/>");
    EXPECT_EQ(plain->version(), u"");
    EXPECT_EQ(plain->systemId(), u"");
}

TEST_F(DocBuilderTest, TakesAttributeValuesApartAtReferences) {
    TdomDocument* doc =
        parse("<e plain='a\tb&#10;' split='a&amp;b' chars='&#65;&#x42;c' mixed='x&lt;&#33;'/>");
    auto* e = doc->documentElement();
    EXPECT_EQ(e->getAttribute(u"plain"), u"a\tb\n");
    TdomAttr* split = e->getAttributeNode(u"split");
    EXPECT_EQ(shape(split), "\"a\",&amp;,\"b\"");
    EXPECT_EQ(split->value(), u"a&#38;b");
    // Character references merge with each other, text after them starts a node.
    EXPECT_EQ(shape(e->getAttributeNode(u"chars")), "\"AB\",\"c\"");
    EXPECT_EQ(shape(e->getAttributeNode(u"mixed")), "\"x\",&lt;,\"!\"");
    EXPECT_EQ(e->attributes()->item(0)->nodeName(), u"plain");
    EXPECT_EQ(e->attributes()->item(3)->nodeName(), u"mixed");
}

TEST_F(DocBuilderTest, RecordsTheRuleABrokenDocumentBreaks) {
    struct Case {
        const char* text;
        const char* record;
    } cases[] = {
        {"", "EParserRootNotFound_Err"},
        {"  \n ", "EParserRootNotFound_Err"},
        {"<a/>text", "EParserNotInRoot_Err"},
        {"<a></b>", "EParserMissingStartTag_Err"},
        {"<a>", "EParserMissingEndTag_Err"},
        {"<a/><b/>", "EParserDoubleRootElement_Err"},
        {"<a/><![CDATA[x]]>", "EParserInvalidCharacter_Err"},
        {"<a/>&amp;", "EParserInvalidEntityName_Err"},
        {"<a/>&#65;", "EParserInvalidCharacter_Err"},
        {"<a/><!DOCTYPE a>", "EParserWrongOrder_Err"},
        {"<!DOCTYPE a><!DOCTYPE a><a/>", "EParserDoubleDoctype_Err"},
        {"<?xml version=\"1.0\" standalone=\"maybe\"?><a/>", "EParserInvalidXmlDeclaration_Err"},
        {"<?xml version=\"1 0\"?><a/>", "EParserInvalidXmlDeclaration_Err"},
        {"<?xml version=\"1.0\" encoding=\"8bit\"?><a/>", "EParserInvalidXmlDeclaration_Err"},
        {"<a b='x&y'/>", "EParserInvalidAttributeValue_Err"},
        {"<a b='x&amp'/>", "EParserInvalidAttributeValue_Err"},
        {"<a b='x<y'/>", "EParserInvalidAttributeValue_Err"},
        {"<a b='&#0;'/>", "EParserInvalidCharRef_Err"},
        {"<a>&#X41;</a>", "EParserInvalidCharRef_Err"},
        {"<a>x]]>y</a>", "EParserInvalidCharacter_Err"},
        {"<a><!-- x -- y --></a>", "EParserInvalidCharacter_Err"},
        {"<a><!-- x ---></a>", "EParserInvalidCharacter_Err"},
        {"<a><?xml-stylesheet x?><?XmL y?></a>", "EParserInvalidProcessingInstruction_Err"},
        {"<1a/>", "EParserInvalidElementName_Err"},
        // An end tag's name is checked before it is matched against the open element.
        {"<a></1a>", "EParserInvalidElementName_Err"},
        {"</1a>", "EParserInvalidElementName_Err"},
        {"</a>", "EParserMissingStartTag_Err"},
    };
    for (const Case& c : cases) EXPECT_EQ(failureClass(c.text), c.record) << c.text;
    // Every failed document was freed again.
    EXPECT_EQ(impl.documents().length(), 0);
}

TEST_F(DocBuilderTest, DeepNestingNeitherRecursesNorFails) {
    const int depth = 100000;
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<d>";
    text += "x";
    for (int i = 0; i < depth; ++i) text += "</d>";
    TdomDocument* doc = parse(text);
    TdomNode* node = doc->documentElement();
    int levels = 1;
    while (node->firstChild() && node->firstChild()->nodeType() == ELEMENT_NODE) {
        node = node->firstChild();
        ++levels;
    }
    EXPECT_EQ(levels, depth);
}

TEST_F(DocBuilderTest, ParsesReplacementTextIntoAnExistingNode) {
    TdomDocument* doc = parse("<r><e/></r>");
    TdomNode* e = doc->documentElement()->firstChild();
    parser.parseWideStringInto(u"a<b>c</b>&x;d", {}, {}, e);
    EXPECT_EQ(shape(e), "\"a\",b[\"c\"],&x;,\"d\"");
    // A declaration is out of place there, and so is closing the node itself.
    EXPECT_THROW(parser.parseWideStringInto(u"<?xml version='1.0'?>t", {}, {}, e),
                 EParserException);
    EXPECT_EQ(records().back(), "EParserWrongOrder_Err");
    EXPECT_THROW(parser.parseWideStringInto(u"</e>", {}, {}, e), EParserException);
    EXPECT_EQ(records().back(), "EParserMissingStartTag_Err");
    // An empty text changes nothing and raises nothing.
    parser.parseWideStringInto(u"", {}, {}, e);
    EXPECT_EQ(doc->documentElement()->nodeName(), u"r");
}

// References inside an entity's text are expanded in an attribute value as well, and the
// expansion is bounded: a large entity referenced many times costs a bounded value.
TEST_F(DocBuilderTest, AttributeValuesExpandNestedReferencesWithinABound) {
    TdomDocument* doc = parse(
        "<!DOCTYPE r [<!ENTITY in 'inner'><!ENTITY out 'a&in;b&#38;#60;c&#38;amp;d&#38;#x41;'>"
        "<!ENTITY undeclared 'x&nowhere;y'>]><r v='[&out;]' w='&undeclared;' t='&lt;&amp;'/>");
    TdomElement* r = doc->documentElement();
    EXPECT_EQ(r->getAttribute(u"v"), u"[ainnerb<c&dA]");
    EXPECT_EQ(r->getAttribute(u"w"), u"x&nowhere;y");
    EXPECT_EQ(r->getAttribute(u"t"), u"&#60;&#38;");  // the fixed texts of the predefined ones

    // A 64 KiB entity referenced 30 000 times stops at the bound (2 G units otherwise).
    std::string value;
    for (int i = 0; i < 30000; ++i) value += "&big;";
    doc = parse("<!DOCTYPE r [<!ENTITY big '" + std::string(65536, 'x') + "'>]><r v='" + value +
                "'/>");
    const DOMString expanded = doc->documentElement()->getAttribute(u"v");
    EXPECT_LE(expanded.size(), kMaxAttrValueUnits + 30000 * 5);
    EXPECT_EQ(expanded.substr(0, 65536), DOMString(65536, u'x'));
    EXPECT_TRUE(expanded.ends_with(u"&big;"));  // past the bound references stay as written

    // Entities that multiply into nothing end as well.
    std::string nothing = "<!ENTITY n0 ''>";
    for (int i = 1; i <= 12; ++i) {
        nothing += "<!ENTITY n" + std::to_string(i) + " '";
        for (int k = 0; k < 10; ++k) nothing += "&n" + std::to_string(i - 1) + ";";
        nothing += "'>";
    }
    doc = parse("<!DOCTYPE r [" + nothing + "]><r v='&n12;'/>");
    EXPECT_LE(doc->documentElement()->getAttribute(u"v").size(), 5u);
}

}  // namespace
}  // namespace wispel::testing
