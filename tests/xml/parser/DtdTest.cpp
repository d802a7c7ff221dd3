// Document type declarations: when a DTD is read at all, what the internal subset records,
// and what the preparation step puts in the maps and reports.

#include "core/Exception.h"
#include "tests/xml/parser/ParserTestSupport.h"

namespace wispel::testing {
namespace {

class DtdTest : public ParserTest {
protected:
    // Parses a document whose DTD is `subset` and returns its content model.
    TdomCMObject* contentModel(const std::string& subset) {
        TdomDocument* doc = parse("<!DOCTYPE r [" + subset + "]><r/>");
        return doc->contentModel();
    }
    const TdomCMEntity* entity(TdomCMObject* cm, const char16_t* name) {
        return cm->entities.find(name);
    }
};

TEST_F(DtdTest, ExternalIdsNeedAHandlerUnlessStandalone) {
    const std::string doctype = "<!DOCTYPE r SYSTEM \"r.dtd\"><r/>";
    EXPECT_THROW(parse(doctype), EParserExternal_Subset_Not_Found_Err);
    EXPECT_THROW(parse("<!DOCTYPE r PUBLIC \"-//X//Y//EN\" \"r.dtd\"><r/>"),
                 EParserExternal_Subset_Not_Found_Err);

    TdomDocument* standalone = parse("<?xml version=\"1.0\" standalone=\"yes\"?>" + doctype);
    auto* type = static_cast<TdomDocumentType*>(standalone->doctype());
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->systemId(), u"r.dtd");
    EXPECT_EQ(standalone->contentModel(), nullptr);

    TdomDocument* bare = parse("<!DOCTYPE r><r/>");
    EXPECT_NE(bare->doctype(), nullptr);
    EXPECT_EQ(bare->contentModel(), nullptr);
}

TEST_F(DtdTest, AskedHandlerMayRetrySkipOrSupplyTheSubset) {
    int calls = 0;
    parser.onExternalSubset = [&](TComponent*, const DOMString& parent, DOMString& publicId,
                                  DOMString& systemId, std::unique_ptr<TStream>& stream,
                                  TXmlParserAction& action) {
        EXPECT_EQ(parent, u"");
        EXPECT_EQ(publicId, u"");
        EXPECT_EQ(systemId, u"r.dtd");
        action = ++calls < 3 ? actionRetry : actionProceed;
        if (calls == 3 && systemId == u"r.dtd") {
            auto subset = std::make_unique<TMemoryStream>();
            const std::string text =
                "<?xml version='1.0' encoding='UTF-8'?>"
                "<![IGNORE[<!ENTITY e 'no'>]]><![INCLUDE[<!ENTITY e 'yes'>]]>";
            subset->WriteBuffer(text.data(), std::int64_t(text.size()));
            stream = std::move(subset);
        }
    };
    TdomDocument* doc = parse("<!DOCTYPE r SYSTEM \"r.dtd\"><r/>");
    EXPECT_EQ(calls, 3);
    ASSERT_NE(doc->contentModel(), nullptr);
    EXPECT_EQ(doc->contentModel()->entities.find(u"e")->replacementText, u"yes");

    // Proceeding without a stream skips the subset.
    calls = 0;
    parser.onExternalSubset = [&](TComponent*, const DOMString&, DOMString&, DOMString&,
                                  std::unique_ptr<TStream>&, TXmlParserAction& action) {
        ++calls;
        action = actionProceed;
    };
    TdomDocument* skipped = parse("<!DOCTYPE r SYSTEM \"r.dtd\"><r/>");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(skipped->contentModel(), nullptr);
}

TEST_F(DtdTest, ExternalEntitiesComeFromTheImplementationsHandler) {
    // Without a handler the entity is left out and reported.
    TdomCMObject* without = contentModel("<!ENTITY e SYSTEM 'e.txt'>");
    EXPECT_EQ(without->entities.find(u"e"), nullptr);
    EXPECT_EQ(records(), std::vector<std::string>{"EParserExternal_Entity_Not_Found_Err"});

    std::vector<DOMString> asked;
    impl.onExternalParsedEntity = [&](TComponent*, const DOMString&, DOMString&,
                                      DOMString& systemId, std::unique_ptr<TStream>& stream,
                                      TXmlParserAction& action) {
        asked.push_back(systemId);
        action = actionProceed;
        const std::string text = "<?xml encoding='UTF-8'?>loaded &#65;";
        auto content = std::make_unique<TMemoryStream>();
        content->WriteBuffer(text.data(), std::int64_t(text.size()));
        stream = std::move(content);
    };
    TdomCMObject* cm = contentModel(
        "<!ENTITY % p SYSTEM 'p.txt'><!ENTITY e SYSTEM 'e.txt'>"
        "<!ENTITY u SYSTEM 'u.bin' NDATA n>");
    EXPECT_EQ(cm->parameterEntities.find(u"p")->text, u"loaded A");
    EXPECT_EQ(entity(cm, u"e")->replacementText, u"loaded A");
    EXPECT_EQ(entity(cm, u"u")->replacementText, u"");
    // The parameter entity is loaded when read and again when prepared; unparsed ones never.
    EXPECT_EQ(asked, (std::vector<DOMString>{u"p.txt", u"p.txt", u"e.txt"}));
    EXPECT_TRUE(records().empty());
}

TEST_F(DtdTest, InternalSubsetFillsTheMaps) {
    TdomCMObject* cm = contentModel(
        "<!-- notes --><?app data?>"
        "<!ELEMENT r (a, (b | c)*, d?)+><!ELEMENT a (#PCDATA|b)*><!ELEMENT b EMPTY>"
        "<!ATTLIST r id ID #REQUIRED kind (x|y) 'x' fixed CDATA #FIXED \"f\">"
        "<!ENTITY e 'text &#38;#60; &#x41;'><!ENTITY % p 'ent'>"
        "<!ENTITY u SYSTEM 'u.bin' NDATA bin><!NOTATION bin SYSTEM 'viewer'>");
    ASSERT_NE(cm, nullptr);
    EXPECT_EQ(cm->elementTypes.find(u"r")->contentType, TdomCMContentType::ctElements);
    EXPECT_EQ(cm->elementTypes.find(u"a")->contentType, TdomCMContentType::ctMixed);
    EXPECT_EQ(cm->elementTypes.find(u"b")->contentType, TdomCMContentType::ctEmpty);
    EXPECT_EQ(cm->elementTypes.find(u"a")->mixedNames, std::vector<DOMString>{u"b"});
    // (a, (b | c)*, d?)+ : the outer sequence, a, the choice with b and c, d.
    const std::vector<TdomCMParticle>& particles = cm->elementTypes.find(u"r")->particles;
    ASSERT_EQ(particles.size(), 6u);
    EXPECT_EQ(particles[0].kind, TdomCMParticleKind::pkSequence);
    EXPECT_EQ(particles[0].frequency, u'+');
    EXPECT_EQ(particles[0].children, (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(particles[2].kind, TdomCMParticleKind::pkChoice);
    EXPECT_EQ(particles[2].frequency, u'*');
    EXPECT_EQ(particles[4].name, u"c");
    EXPECT_EQ(particles[4].parent, 2);
    EXPECT_EQ(particles[5].name, u"d");
    EXPECT_EQ(particles[5].frequency, u'?');
    const TdomCMAttributeDefinition* kind = cm->findAttributeDefinition(u"r", u"kind");
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(kind->enumeration, (std::vector<DOMString>{u"x", u"y"}));
    EXPECT_EQ(kind->defaultValue, u"x");
    EXPECT_EQ(cm->findAttributeDefinition(u"r", u"id")->defaultDeclaration, u"#REQUIRED");
    EXPECT_EQ(cm->findAttributeDefinition(u"r", u"fixed")->defaultValue, u"f");
    EXPECT_EQ(entity(cm, u"e")->replacementText, u"text &#60; A");
    EXPECT_EQ(entity(cm, u"u")->notationName, u"bin");
    EXPECT_EQ(cm->parameterEntities.find(u"p")->text, u"ent");
    EXPECT_NE(cm->notations.find(u"bin"), nullptr);
    // The five predefined entities are there even though only e was declared.
    EXPECT_EQ(entity(cm, u"lt")->replacementText, u"&#60;");
    EXPECT_EQ(entity(cm, u"amp")->replacementText, u"&#38;");
    EXPECT_EQ(entity(cm, u"gt")->replacementText, u">");
    EXPECT_EQ(entity(cm, u"quot")->replacementText, u"\"");
    EXPECT_TRUE(records().empty());
}

TEST_F(DtdTest, EntityReferencesInContentStayUnexpanded) {
    TdomDocument* doc = parse("<!DOCTYPE r [<!ENTITY e 'x<b/>y'>]><r>&e;</r>");
    EXPECT_EQ(shape(doc->documentElement()), "&e;");
    EXPECT_EQ(doc->contentModel()->entities.find(u"e")->replacementText, u"x<b/>y");
    // Expanding the reference parses the replacement text into it.
    auto* reference = static_cast<TdomEntityReference*>(doc->documentElement()->firstChild());
    EXPECT_TRUE(reference->expand());
    EXPECT_EQ(shape(reference), "\"x\",b[],\"y\"");
}

TEST_F(DtdTest, ParameterEntitiesResolveAndReplayDeclarations) {
    TdomCMObject* cm =
        contentModel("<!ENTITY % name 'title'><!ENTITY % decl '&#60;!ENTITY t \"%name;\">'>%decl;");
    EXPECT_EQ(cm->parameterEntities.find(u"decl")->text, u"<!ENTITY t \"title\">");
    ASSERT_NE(entity(cm, u"t"), nullptr);
    EXPECT_EQ(entity(cm, u"t")->replacementText, u"title");
}

TEST_F(DtdTest, PreparationReportsWithoutFailing) {
    struct Case {
        const char* subset;
        std::vector<std::string> records;
    } cases[] = {
        {"<!ENTITY e 'one'><!ENTITY e 'two'>", {"EParserDouble_Entity_Decl_Warning"}},
        {"<!ENTITY % p 'one'><!ENTITY % p 'two'>", {"EParserDouble_Parameter_Entity_Decl_Warning"}},
        {"<!ELEMENT a ANY><!ELEMENT a EMPTY>", {"EParserDouble_Element_Type_Declaration_Err"}},
        {"<!ATTLIST a b CDATA #IMPLIED><!ATTLIST a b CDATA #REQUIRED>",
         {"EParserDouble_AttDef_Warning"}},
        {"<!NOTATION n SYSTEM 'a'><!NOTATION n PUBLIC 'b'>",
         {"EParserDuplicate_Notation_Decl_Err"}},
        // The replacement text "<" does not parse as content: unusable, and so is an
        // entity that refers to it.
        {"<!ENTITY lt2 '&#60;'><!ENTITY user 'a &lt2; b'>",
         {"EParserUnusable_Entity_Decl_Warning", "EParserUnusable_Entity_Decl_Warning"}},
        // Predefined entities: right declarations pass, a wrong one is reported.
        {"<!ENTITY amp '&#38;#38;'><!ENTITY gt '&#62;'><!ENTITY apos \"'\">", {}},
        {"<!ENTITY gt '&#38;#62;'>", {"EParserWrong_Declaration_Of_Predefined_Entity_Err"}},
        {"<!ENTITY lt '<'>",
         {"EParserUnusable_Entity_Decl_Warning",
          "EParserWrong_Declaration_Of_Predefined_Entity_Err"}},
    };
    for (const Case& c : cases) {
        TdomCMObject* cm = contentModel(c.subset);
        EXPECT_NE(cm, nullptr) << c.subset;
        EXPECT_EQ(records(), c.records) << c.subset;
    }
    TdomCMObject* cm = contentModel("<!ENTITY e 'one'><!ENTITY e 'two'>");
    EXPECT_EQ(entity(cm, u"e")->replacementText, u"one");
    EXPECT_TRUE(contentModel("<!ENTITY lt2 '&#60;'>")->entities.find(u"lt2")->unusable);
}

TEST_F(DtdTest, BrokenSubsetsFailTheParse) {
    struct Case {
        const char* subset;
        const char* record;
    } cases[] = {
        {"<![INCLUDE[<!ENTITY e 'x'>]]>", "EParserUnknownDeclarationType_Err"},
        {"<!ENTITY e 'x'> x", "EParserInvalidCharacter_Err"},
        {"<!FOO bar>", "EParserUnknownDeclarationType_Err"},
        {"<?xml version='1.0'?>", "EParserInvalidProcessingInstruction_Err"},
        {"<!ENTITY e 'a & b'>", "EParserInvalidEntityDeclaration_Err"},
        {"<!ENTITY e SYSTEM>", "EParserInvalidEntityDeclaration_Err"},
        {"<!ENTITY % e SYSTEM 'x' NDATA n>", "EParserInvalidEntityDeclaration_Err"},
        {"<!ENTITY e '&e;'>", "EParserInvalidEntityDeclaration_Err"},
        {"<!ENTITY a '&b;'><!ENTITY b '&c;'><!ENTITY c '&a;'>",
         "EParserInvalidEntityDeclaration_Err"},
        {"<!ELEMENT a (b,c|d)>", "EParserInvalidElementDeclaration_Err"},
        {"<!ELEMENT a (#PCDATA|b)>", "EParserInvalidElementDeclaration_Err"},
        {"<!ELEMENT a ((b)>", "EParserInvalidElementDeclaration_Err"},
        {"<!ATTLIST a b WORD #IMPLIED>", "EParserInvalidAttributeDeclaration_Err"},
        {"<!ATTLIST a b CDATA 'x<y'>", "EParserLtInAttributeValue_Err"},
        // The first ">" ends an attribute-list declaration, also inside quotes.
        {"<!ATTLIST a b CDATA 'x>y'>", "EParserInvalidAttributeDeclaration_Err"},
        {"<!ENTITY % p '%q;'>", "EParserInvalidEntityDeclaration_Err"},
        {"<!NOTATION n PUBLIC>", "EParserInvalidNotationDeclaration_Err"},
        {"%1p;", "EParserInvalidEntityName_Err"},
        {"<!ENTITY % p '&#60;!ENTITY'>%p;", "EParserInvalidEntityName_Err"},
        {"<!ENTITY % p '&#37;p;'>%p;", "EParserInvalidEntityName_Err"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("<!DOCTYPE r [") + c.subset + "]><r/>";
        EXPECT_EQ(failureClass(text), c.record) << c.subset;
    }
}

TEST_F(DtdTest, ACircleEndsThePreparationAtTheEntityThatClosedIt) {
    // b closes the circle a -> b -> a: what was reported before b stays, nothing after.
    EXPECT_EQ(failureClass("<!DOCTYPE r [<!ENTITY a '&b;'><!ENTITY x '&#60;'>"
                           "<!ENTITY b '&a;'><!ENTITY y '&#60;'><!ATTLIST r a CDATA '<'>]><r/>"),
              "EParserInvalidEntityDeclaration_Err");
    EXPECT_EQ(records(), (std::vector<std::string>{"EParserUnusable_Entity_Decl_Warning",
                                                   "EParserInvalidEntityDeclaration_Err"}));
}

TEST_F(DtdTest, SomeDtdErrorsReachTheCallerAsThemselves) {
    EXPECT_THROW(parse("<!DOCTYPE r [<!ENTITY % x SYSTEM 'x.dtd'>]><r/>"),
                 EParserExternal_Entity_Not_Found_Err);
    EXPECT_THROW(parse("<!DOCTYPE r [%undeclared;]><r/>"),
                 EParserUnresolvable_Parameter_Entity_Reference_Err);
}

TEST_F(DtdTest, ManyWaysThroughTheEntitiesCostNothingExtra) {
    // Each entity refers ten times to the one before: following every path would take
    // 10^30 steps.
    std::string subset = "<!ENTITY e0 'lol'>";
    for (int i = 1; i <= 30; ++i) {
        subset += "<!ENTITY e" + std::to_string(i) + " '";
        for (int k = 0; k < 10; ++k) subset += "&e" + std::to_string(i - 1) + ";";
        subset += "'>";
    }
    TdomCMObject* cm = contentModel(subset);
    EXPECT_EQ(cm->entities.count(), 31 + 5);
    EXPECT_TRUE(records().empty());

    // Parameter entities expand at once, so they are bounded instead.
    std::string parameters = "<!ENTITY % p0 '0123456789'>";
    for (int i = 1; i <= 30; ++i) {
        parameters += "<!ENTITY % p" + std::to_string(i) + " '";
        for (int k = 0; k < 10; ++k) parameters += "%p" + std::to_string(i - 1) + ";";
        parameters += "'>";
    }
    EXPECT_EQ(failureClass("<!DOCTYPE r [" + parameters + "]><r/>"),
              "EParserInvalidEntityDeclaration_Err");
}

}  // namespace
}  // namespace wispel::testing

namespace wispel::testing {
namespace {

TEST_F(DtdTest, ContentModelTextsAreCheckedWhenRecorded) {
    const char* valid[] = {
        "EMPTY", "ANY",    "(#PCDATA)",         "(#PCDATA)*", "( #PCDATA | a | b )*",
        "(a)",   "(a|b)*", "(a , (b|c)+ , d?)", "((a,b)|c)+", "(a)*"};
    for (const char* spec : valid) {
        TdomCMObject* cm = contentModel(std::string("<!ELEMENT x ") + spec + ">");
        EXPECT_NE(cm->elementTypes.find(u"x"), nullptr) << spec;
    }
    const char* invalid[] = {"(a|b,c)", "(#PCDATA|a)", "#PCDATA", "(a)(b)", "(a,,b)",
                             "(a|)",    "a",           "EMPTY*",  "(a)**",  "(#PCDATA*)",
                             "()",      "(a b)",       "((a)",    "(a))"};
    for (const char* spec : invalid) {
        EXPECT_EQ(failureClass(std::string("<!DOCTYPE r [<!ELEMENT x ") + spec + ">]><r/>"),
                  "EParserInvalidElementDeclaration_Err")
            << spec;
    }
}

TEST_F(DtdTest, DeeplyNestedContentModelsNeitherRecurseNorFail) {
    const int depth = 100000;
    const std::string spec = std::string(depth, '(') + "b" + std::string(depth, ')');
    TdomCMObject* cm = contentModel("<!ELEMENT a " + spec + ">");
    EXPECT_EQ(cm->elementTypes.find(u"a")->contentType, TdomCMContentType::ctElements);
    EXPECT_EQ(failureClass("<!DOCTYPE r [<!ELEMENT a " + spec + ")>]><r/>"),
              "EParserInvalidElementDeclaration_Err");
}

}  // namespace
}  // namespace wispel::testing

namespace wispel::testing {
namespace {

// Parameter entities each within their own bound, but many of them: the whole declaration
// has one budget of produced text, stored and replayed forms alike, and ends with
// EParserInvalidEntityDeclaration_Err when it runs out instead of taking gigabytes.
TEST_F(DtdTest, ParameterEntitiesShareOneBudgetOfText) {
    // p5 is a million code units; each of the many copies stays within its own bound.
    std::string fanOut = "<!ENTITY % p0 '0123456789'>";
    for (int i = 1; i <= 5; ++i) {
        fanOut += "<!ENTITY % p" + std::to_string(i) + " '";
        for (int k = 0; k < 10; ++k) fanOut += "%p" + std::to_string(i - 1) + ";";
        fanOut += "'>";
    }
    std::string copies = fanOut;
    for (int i = 0; i < 150; ++i) copies += "<!ENTITY % c" + std::to_string(i) + " '%p5;'>";
    EXPECT_EQ(failureClass("<!DOCTYPE r [" + copies + "]><r/>"),
              "EParserInvalidEntityDeclaration_Err");

    // Replays: a declaration read again and again from one parameter entity.
    std::string replays = fanOut + "<!ENTITY % d '<!ENTITY x \"%p5;\">'>";
    for (int i = 0; i < 150; ++i) replays += "%d;";
    EXPECT_EQ(failureClass("<!DOCTYPE r [" + replays + "]><r/>"),
              "EParserInvalidEntityDeclaration_Err");

    // Within the budget a large text is fine.
    TdomCMObject* cm = contentModel(fanOut + "<!ENTITY % big '%p5;%p5;'>");
    ASSERT_NE(cm->parameterEntities.find(u"big"), nullptr);
    EXPECT_EQ(cm->parameterEntities.find(u"big")->text.size(), 2000000u);
}

}  // namespace
}  // namespace wispel::testing
