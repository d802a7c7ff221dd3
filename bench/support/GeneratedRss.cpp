#include "bench/support/GeneratedRss.h"

namespace wispel::bench {

namespace {

void appendHead(std::string& text) {
    text +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
        "  <title>Generated feed</title>\n  <link>http://127.0.0.1/</link>\n"
        "  <description>Items for the benchmarks</description>\n";
}

void appendItem(std::string& text, std::size_t index) {
    const std::string n = std::to_string(index);
    text += "  <item>\n    <title>News item " + n + " &amp; more</title>\n";
    text += "    <link>http://127.0.0.1/news/" + n + ".html</link>\n";
    text += "    <description>The text of item " + n +
            ", with some words in it to make it look like a real description of a news "
            "story &#169; 2026.</description>\n";
    text += "    <guid isPermaLink=\"false\">id-" + n + "</guid>\n";
    text += "    <pubDate>Thu, 10 Dec 2026 03:00:00 GMT</pubDate>\n  </item>\n";
}

void appendEscapedHtmlItem(std::string& text, std::size_t index) {
    const std::string n = std::to_string(index);
    const std::string url = "http://127.0.0.1/news/" + n + ".html";
    text += "  <item>\n    <title>Council &amp; city agree on plan " + n +
            " &#8211; &#8220;a fair deal&#8221;</title>\n";
    text += "    <link>" + url + "</link>\n";
    text += "    <description>&lt;p&gt;&lt;img src=&quot;http://127.0.0.1/img/" + n +
            ".jpg&quot; alt=&quot;&quot; /&gt;&lt;/p&gt;&lt;p&gt;The council met on Tuesday "
            "&amp;amp; agreed on the plan for item " + n +
            ", &lt;b&gt;after a long debate&lt;/b&gt; about the costs. &lt;a href=&quot;" +
            url + "&quot;&gt;Read more&lt;/a&gt;&lt;/p&gt;</description>\n";
    text += "    <guid isPermaLink=\"false\">" + url + "</guid>\n";
    text += "    <pubDate>Thu, 10 Dec 2026 03:00:00 GMT</pubDate>\n  </item>\n";
}

void appendTail(std::string& text) { text += "</channel>\n</rss>\n"; }

}  // namespace

std::string generatedRss(std::size_t items) {
    std::string text;
    appendHead(text);
    for (std::size_t i = 0; i < items; ++i) appendItem(text, i);
    appendTail(text);
    return text;
}

std::string generatedRssOfSize(std::size_t bytes) {
    std::string text;
    appendHead(text);
    for (std::size_t i = 0; text.size() < bytes; ++i) appendItem(text, i);
    appendTail(text);
    return text;
}

std::string generatedEscapedHtmlRss(std::size_t items) {
    std::string text;
    appendHead(text);
    for (std::size_t i = 0; i < items; ++i) appendEscapedHtmlItem(text, i);
    appendTail(text);
    return text;
}

}  // namespace wispel::bench
