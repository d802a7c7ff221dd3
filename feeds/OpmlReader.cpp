#include "feeds/OpmlReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "core/MemoryStream.h"
#include "core/TerminalText.h"
#include "core/TextTrim.h"
#include "feeds/AttributeText.h"
#include "feeds/SiteValues.h"
#include "feeds/SitesSchema.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/Element.h"
#include "xml/errors/DomException.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/StandardLocator.h"
#include "xml/input/XmlInputSource.h"
#include "xml/input/XmlMemoryStream.h"
#include "xml/parser/XmlToDomParser.h"
#include "xml/reader/ContentHandler.h"
#include "xml/reader/ErrorDescriptions.h"
#include "xml/reader/ErrorHandler.h"
#include "xml/reader/StandardDocXMLReader.h"

namespace wispel {

namespace {

// A value as a message shows it: escaped, and no longer than a line.
std::string shown(std::string_view value) {
    constexpr std::size_t kShownBytes = 120;
    if (value.size() <= kShownBytes) return "'" + escapeControls(value, '\'') + "'";
    return "'" + escapeControls(truncateUtf8(value, kShownBytes), '\'') + "...'";
}

std::string lineText(int line) { return line > 0 ? "line " + std::to_string(line) : "a line"; }

// An OPML file names no external DTD worth reading: such a subset is passed over, never
// fetched.
void skipExternalSubset(TComponent*, const DOMString&, DOMString&, DOMString&,
                        std::unique_ptr<TStream>& stream, TXmlParserAction& action) {
    stream.reset();
    action = actionProceed;
}

// The lines of the outline start tags, in document order: the DOM keeps no positions, so
// the text is read once more by the reader alone, which cuts it the same way the parse did.
class OutlineLines : public TdomCustomContentHandler {
public:
    void startElement(TdomCustomParser*, TdomStandardLocator* locator, const DOMString&,
                      const DOMString&, const DOMString& name, TdomNameValueList*) override {
        if (name == u"outline") lines.push_back(locator ? locator->startLine() : 0);
    }
    std::vector<int> lines;
};

std::vector<int> outlineLines(std::string_view bytes) {
    TXmlMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    TXmlInputSource source(&stream, {}, {});
    OutlineLines handler;
    TdomStandardErrorHandler errors;
    TdomStandardDocXMLReader reader;
    reader.setContentHandler(&handler);
    reader.setErrorHandler(&errors);
    reader.parse(nullptr, &source);
    return std::move(handler.lines);
}

// What the parser's first report says of a malformed file, with its place.
[[noreturn]] void malformed(const TXmlToDomParser& parser, const std::exception& error) {
    const TdomStandardErrorHandler& records = *parser.errorHandler();
    for (int i = 0; i < records.errorCount(); ++i) {
        const TXmlParserError& record = records.errors(i);
        if (record.severity() != TdomSeverity::svFatalError) continue;
        std::string message = "The file is not well-formed XML: line " +
                              std::to_string(record.startLine()) + ", column " +
                              std::to_string(record.startColumn()) + ": " +
                              errorDescription(record.errorClass(), TdomLanguage::langEnglish);
        if (!record.code().empty()) message += ": " + shown(toUtf8(record.code()));
        throw EOpmlError(message + ".");
    }
    throw EOpmlError(std::string("The file is not well-formed XML: ") + error.what());
}

// The name a feed gets: runs of blanks and controls made one space, no blank at either end,
// cut to the column.
std::string siteName(std::u16string_view text) {
    DOMString name;
    bool blank = false;
    for (char16_t unit : text) {
        if (unit <= u' ' || (unit >= 0x7F && unit <= 0x9F)) {
            blank = !name.empty();
            continue;
        }
        if (blank) name += u' ';
        blank = false;
        name += unit;
    }
    std::string cut(truncateUtf8(toUtf8(name), kSiteNameWidth));
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    return cut;
}

const TdomElement* childElement(const TdomNode* parent, std::u16string_view name) {
    for (const TdomNode* node = parent->firstChild(); node; node = node->nextSibling())
        if (node->nodeType() == ELEMENT_NODE && node->nodeName() == name)
            return static_cast<const TdomElement*>(node);
    return nullptr;
}

// The walk of a body in document order, without recursion. Elements of other names are
// walked into as well (a tolerant reading); entity references are not, since their content
// is no part of the text the lines were counted in.
class OutlineWalk {
public:
    OutlineWalk(std::vector<int> lines, std::vector<TOpmlFeed>& feeds)
        : lines_(std::move(lines)), feeds_(feeds) {}

    void walk(const TdomNode* body) {
        const TdomNode* node = firstElement(body->firstChild());
        int depth = 0;  // outlines around `node`
        while (node) {
            const bool outline = node->nodeName() == u"outline";
            if (outline) take(static_cast<const TdomElement*>(node), depth + 1);
            if (const TdomNode* child = firstElement(node->firstChild())) {
                depth += outline ? 1 : 0;
                node = child;
                continue;
            }
            while (node != body) {
                if (const TdomNode* next = firstElement(node->nextSibling())) {
                    node = next;
                    break;
                }
                node = node->parentNode();
                if (node != body && node->nodeName() == u"outline") --depth;
            }
            if (node == body) break;
        }
    }

private:
    static const TdomNode* firstElement(const TdomNode* node) {
        while (node && node->nodeType() != ELEMENT_NODE) node = node->nextSibling();
        return node;
    }

    void take(const TdomElement* outline, int depth) {
        const int line = next_ < lines_.size() ? lines_[next_] : 0;
        ++next_;
        if (depth > kOpmlMaxDepth)
            throw EOpmlError("The outline on " + lineText(line) + " lies " + std::to_string(depth) +
                             " folders deep: at most " + std::to_string(kOpmlMaxDepth) +
                             " are read.");
        const std::string url = toUtf8(trimXmlBlanks(value(outline, u"xmlUrl", line)));
        if (url.empty()) return;
        if (auto problem = siteAddressProblem(url))
            throw EOpmlError("The outline on " + lineText(line) + " has the address " + shown(url) +
                             ", which cannot be stored: " + *problem);
        std::string name = siteName(value(outline, u"text", line));
        if (name.empty()) name = siteName(value(outline, u"title", line));
        if (name.empty()) name = siteName(fromUtf8(url));
        feeds_.push_back({std::move(name), url, line});
    }

    // A reference to an entity the file never declared is left in the tree by the parse,
    // and refused only when the value is read.
    static DOMString value(const TdomElement* outline, std::u16string_view name, int line) {
        try {
            return attributeText(outline, name);
        } catch (const EDomException& error) {
            throw EOpmlError("The outline on " + lineText(line) + " has a " + toUtf8(name) +
                             " that cannot be read: " + error.message());
        }
    }

    std::vector<int> lines_;
    std::size_t next_ = 0;
    std::vector<TOpmlFeed>& feeds_;
};

void readDocument(const TdomDocument& document, std::string_view bytes,
                  std::vector<TOpmlFeed>& feeds) {
    const TdomElement* root = document.documentElement();
    if (!root || root->nodeName() != u"opml")
        throw EOpmlError("The file is not OPML: its first element is <" +
                         (root ? toUtf8(root->nodeName()) : std::string()) + ">, not <opml>.");
    const TdomElement* body = childElement(root, u"body");
    if (!body) throw EOpmlError("The file is not OPML: its <opml> element has no <body>.");
    OutlineWalk(outlineLines(bytes), feeds).walk(body);
}

}  // namespace

std::vector<TOpmlFeed> readOpml(std::string_view bytes) {
    if (bytes.size() > kOpmlMaxFileSize)
        throw EOpmlError("The file is too large for a list of sites: " + std::to_string(bytes.size()) +
                         " bytes, at most " + std::to_string(kOpmlMaxFileSize) + " are read.");
    if (bytes.empty()) throw EOpmlError("The file is empty: it holds no OPML.");
    TDomImplementation implementation;
    TXmlToDomParser parser;
    parser.setDOMImpl(&implementation);
    parser.setPredefinedEntitiesAsText(true);
    parser.setMaxNodes(kOpmlMaxNodes);
    parser.onExternalSubset = skipExternalSubset;
    TdomDocument* document = nullptr;
    try {
        document = parser.parseMemory(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    } catch (const EParserDocumentTooLarge& error) {
        throw EOpmlError("The file holds too much to be a list of sites: " + error.message());
    } catch (const EParserException& error) {
        malformed(parser, error);
    } catch (const EConvertError& error) {
        malformed(parser, error);  // bytes that are not of the file's encoding
    } catch (const EStreamError& error) {
        malformed(parser, error);  // too short to tell the encoding
    }
    std::vector<TOpmlFeed> feeds;
    readDocument(*document, bytes, feeds);
    implementation.freeDocument(document);
    return feeds;
}

std::vector<TOpmlFeed> readOpmlFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw EOpmlError("Cannot read " + escapeControls(path) + ": " + std::strerror(errno) + ".");
    if (!S_ISREG(status.st_mode))
        throw EOpmlError("Cannot read " + escapeControls(path) + ": it is not a file.");
    if (static_cast<std::uint64_t>(status.st_size) > kOpmlMaxFileSize)
        throw EOpmlError("The file is too large for a list of sites: " +
                         std::to_string(status.st_size) + " bytes, at most " +
                         std::to_string(kOpmlMaxFileSize) + " are read.");
    TMemoryStream stream;
    try {
        stream.LoadFromFile(path);
    } catch (const EStreamError& error) {
        throw EOpmlError("Cannot read " + escapeControls(path) + ": " + error.message());
    }
    return readOpml(std::string_view(stream.Memory(), static_cast<std::size_t>(stream.Size())));
}

}  // namespace wispel
