#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feeds/HtmlReduction.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/parser/XmlToDomParser.h"

using namespace wispel;

namespace {

// True when `richText` parses as the content of one XML element: every element closed,
// in order, and every reference one XML knows.
bool wellFormed(const std::string& richText) {
    TDomImplementation implementation;
    TXmlToDomParser parser;
    parser.setDOMImpl(&implementation);
    try {
        parser.parseString("<r>" + richText + "</r>");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

TEST(HtmlReduction, KeepsWhatIsSafeAndDropsTheRest) {
    const struct {
        const char* description;
        const char* expected;
    } cases[] = {
        // ordinary descriptions
        {"<p>One <b>bold</b> and <i>slanted</i></p><p>Two</p>",
         "<p>One <b>bold</b> and <i>slanted</i></p><p>Two</p>"},
        {"<ul><li>a<li>b</ul><ol><li>c</li></ol>", "<ul><li>a</li><li>b</li></ul><ol><li>c</li></ol>"},
        {"<h2 class='x' style='color:red'>Head</h2><blockquote>q</blockquote><pre>a  b</pre>",
         "<h2>Head</h2><blockquote>q</blockquote><pre>a  b</pre>"},
        {"<a href='https://127.0.0.1/a?b=1&amp;c=2' target=_blank>link</a>",
         "<a href=\"https://127.0.0.1/a?b=1&amp;c=2\">link</a>"},
        {"<a href=mailto:ann@127.0.0.1>mail</a>", "<a href=\"mailto:ann@127.0.0.1\">mail</a>"},
        // scripts, styles, frames and objects go with their content
        {"a<script>alert('<b>x</b>')</script>b<SCRIPT src=x></SCRIPT >c", "abc"},
        {"<style>p { color: red }</style><p>text</p>", "<p>text</p>"},
        {"x<iframe src='http://127.0.0.1/'>fallback</iframe>y<object data=x><p>o</p></object>z",
         "xyz"},
        {"<script>never closed <p>hidden</p>", ""},
        // event and all other attributes
        {"<p onclick=\"alert(1)\" onmouseover='x'>p</p><b style=x>b</b>", "<p>p</p><b>b</b>"},
        // addresses that would run code or that are not absolute web or mail addresses
        {"<a href='javascript:alert(1)'>js</a>", "js"},
        {"<a href=' JavaScript:alert(1)'>js</a>", "js"},
        {"<a href='&#106;avascript:alert(1)'>js</a>", "js"},
        {"<a href='java&#x09;script:alert(1)'>js</a>", "js"},
        {"<a href='data:text/html,x'>data</a><a href='/relative'>rel</a><a>none</a>",
         "datarelnone"},
        {"<a href='http:foo'>odd</a>", "odd"},
        // images: their alt text, escaped, or nothing; nothing loaded
        {"<img src='http://127.0.0.1/i.png' alt='A &lt;cat&gt; &amp; \"dog\"'>",
         "A &lt;cat&gt; &amp; &quot;dog&quot;"},
        {"a<img src='http://127.0.0.1/i.png' onerror='x'>b", "ab"},
        // nested and broken tables
        {"<table><tr><td>1<td>2<tr><th>3</table>",
         "<table><tr><td>1</td><td>2</td></tr><tr><th>3</th></tr></table>"},
        {"<table><tr><td><table><tr><td>in</td></tr></table></td></tr></table>",
         "<table><tr><td><table><tr><td>in</td></tr></table></td></tr></table>"},
        // entities decoded and escaped again
        {"<p>Caf&eacute; &amp; &lt;b&gt; &#8217; &#x2014; &nosuch; & a</p>",
         "<p>Caf\xC3\xA9 &amp; &lt;b&gt; \xE2\x80\x99 \xE2\x80\x94 &amp;nosuch; &amp; a</p>"},
        // unclosed, stray and mismatched tags
        {"<p><b>open <i>more", "<p><b>open <i>more</i></b></p>"},
        {"</b>stray</p><b>x</p>y", "stray<b>xy</b>"},
        {"<b><i>cross</b></i>", "<b><i>cross</i></b>"},
        {"1 < 2 and 3 > 2 <p>x", "1 &lt; 2 and 3 &gt; 2 <p>x</p>"},
        {"<b", ""},
        {"<p title='a > b'>q</p>", "<p>q</p>"},
        // everything else reduced to its text; blocks leave a line break
        {"<div>one</div><div>two</div><span class=x>three</span><font>four</font>",
         "one<br/>two<br/>threefour"},
        {"<!-- comment --><!DOCTYPE html><?pi x?>text<![CDATA[<raw>]]>", "text&lt;raw&gt;"},
        {"<br><br/><hr>", "<br/><br/>"},
        // plain text stays plain: escaped, line breaks kept
        {"Tom & Jerry\nsecond line <3", "Tom &amp; Jerry<br/>\nsecond line &lt;3"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const std::string reduced = reduceHtml(c.description);
        EXPECT_EQ(reduced, c.expected) << c.description;
        EXPECT_TRUE(wellFormed(reduced)) << c.description << " -> " << reduced;
    }
}

TEST(HtmlReduction, BoundedNestingAndLargeInputs) {
    // Deep nesting stops at the bound and still closes everything it opened.
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "<blockquote><b>";
    deep += "core";
    const std::string reduced = reduceHtml(deep);
    EXPECT_NE(reduced.find("core"), std::string::npos);
    EXPECT_EQ(std::count(reduced.begin(), reduced.end(), '<'),
              2 * static_cast<std::ptrdiff_t>(kMaxHtmlNesting));
    EXPECT_TRUE(wellFormed(reduced));
    // A megabyte of text, of tags and of unclosed markup.
    const std::string text(1 << 20, 'x');
    EXPECT_EQ(reduceHtml(text), text);
    std::string tags;
    while (tags.size() < (1u << 20)) tags += "<p>a<script>b</script><a href='javascript:x'>c</a>";
    const std::string reducedTags = reduceHtml(tags);
    EXPECT_EQ(reducedTags.find("script"), std::string::npos);
    EXPECT_EQ(reducedTags.find("javascript"), std::string::npos);
    EXPECT_TRUE(wellFormed(reducedTags));
    EXPECT_EQ(reduceHtml("<p " + text), "");
    EXPECT_EQ(reduceHtml("<script>" + text), "");
    EXPECT_EQ(reduceHtml("<a href='" + text), "");
}
