#include <gtest/gtest.h>

#include <map>
#include <string>

#include "feeds/EntityExpander.h"

using namespace wispel;

namespace {

struct Declared {
    std::map<DOMString, DOMString, std::less<>> texts;
    TEntityExpander::Lookup lookup() {
        return [this](std::u16string_view name) -> const DOMString* {
            auto it = texts.find(name);
            return it == texts.end() ? nullptr : &it->second;
        };
    }
};

std::string expand(TEntityExpander& expander, std::u16string_view name) {
    DOMString out;
    expander.appendReference(name, out);
    return toUtf8(out);
}

}  // namespace

TEST(TEntityExpander, ReplacesReferencesByTheirText) {
    Declared dtd;
    dtd.texts = {
        {u"copy", u"\u00A9"},
        {u"nested", u"A &copy; B"},
        {u"markup", u"<b class='x>y'>bold</b><!-- no --><?pi no?> & <![CDATA[<raw>&amp;]]>"},
        {u"charref", u"&#60;&#x3E;&#0;"},
        {u"predefined", u"&lt;&amp;&gt;&apos;&quot;"},
        {u"unknown", u"[&nothing;]"},
        {u"stray", u"a < b &unterminated"},
    };
    TEntityExpander expander(dtd.lookup());
    const struct {
        const char16_t* name;
        const char* text;
    } cases[] = {
        {u"amp", "&"},
        {u"lt", "<"},
        {u"quot", "\""},
        {u"copy", "\xC2\xA9"},
        {u"nested", "A \xC2\xA9 B"},
        {u"markup", "bold & <raw>&amp;"},
        {u"charref", "<>&#0;"},
        {u"predefined", "<&>'\""},
        {u"unknown", "[&nothing;]"},
        {u"stray", "a < b &unterminated"},
        {u"undeclared", "&undeclared;"},
    };
    for (const auto& c : cases) EXPECT_EQ(expand(expander, c.name), c.text) << c.text;
}

TEST(TEntityExpander, BoundsNestingAndSize) {
    // Each level refers to the next one ten times: a billion units at the top if unbounded.
    Declared dtd;
    dtd.texts[u"l0"] = u"x";
    for (int level = 1; level <= 9; ++level) {
        DOMString text;
        const DOMString previous = u"&l" + fromUtf8(std::to_string(level - 1)) + u";";
        for (int i = 0; i < 10; ++i) text += previous;
        dtd.texts[u"l" + fromUtf8(std::to_string(level))] = text;
    }
    TEntityExpander expander(dtd.lookup(), 5000);
    EXPECT_EQ(expand(expander, u"l3"), std::string(1000, 'x'));
    EXPECT_EQ(expand(expander, u"l9").size(), 4000u);
    // Once the budget is spent a reference stays as written; predefined ones still work.
    EXPECT_EQ(expand(expander, u"l1"), "&l1;");
    EXPECT_EQ(expand(expander, u"amp"), "&");

    // A chain deeper than the nesting bound is cut off, keeping the deepest reference.
    Declared chain;
    for (int i = 0; i < 40; ++i) {
        chain.texts[u"c" + fromUtf8(std::to_string(i))] =
            u"." + (i < 39 ? u"&c" + fromUtf8(std::to_string(i + 1)) + u";" : DOMString());
    }
    TEntityExpander deep(chain.lookup());
    const std::string text = expand(deep, u"c0");
    EXPECT_EQ(text, std::string(TEntityExpander::kMaxDepth, '.') + "&c16;");
}

TEST(TEntityExpander, EntitiesThatMultiplyIntoNothingStillEnd) {
    // Twelve levels of ten references each over a text that yields nothing: a trillion
    // expansions if only the produced text were bounded.
    for (const char16_t* nothing : {u"", u"<!-- nothing -->", u"<?pi nothing?>"}) {
        Declared dtd;
        dtd.texts[u"n0"] = nothing;
        for (int level = 1; level <= 12; ++level) {
            DOMString text;
            for (int i = 0; i < 10; ++i) text += u"&n" + fromUtf8(std::to_string(level - 1)) + u";";
            dtd.texts[u"n" + fromUtf8(std::to_string(level))] = text;
        }
        TEntityExpander expander(dtd.lookup(), 5000);
        EXPECT_EQ(expand(expander, u"n12"), "");
        // The reading bound is spent as well: later references stay as written.
        EXPECT_EQ(expand(expander, u"n1"), "&n1;");
        EXPECT_EQ(expand(expander, u"lt"), "<");
    }
}
