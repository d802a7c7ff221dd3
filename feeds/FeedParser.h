#pragma once
// The feed parser: parses a retrieved feed as XML, walks the document with a filtered tree
// walker and collects the title, link and description of every item element (items inside
// the channel for RSS 0.9x and 2.0, beside it for RDF). An Atom feed gives one item per
// entry instead (AtomReader). A feed that cannot be parsed or walked as XML is read once
// more in the plain-text format. Relative item links are resolved against xml:base and the
// feed's own address when the caller gives one (SetBaseURL).
//
// Ownership: the parser owns its item list, its XML parser and its DOM implementation; the
// implementation owns `Document()`, the one document the parser keeps: each parse frees the
// one before.

#include <memory>
#include <string>
#include <utility>

#include "core/Component.h"
#include "core/Stream.h"
#include "feeds/ItemModel.h"

namespace wispel {

class TDomImplementation;
class TdomDocument;
class TdomTreeWalker;
class TXmlToDomParser;
class TFieldTextReader;
class TFeedNamespaces;

class TRSSParser : public TComponent {
public:
    explicit TRSSParser(TComponent* owner = nullptr);
    ~TRSSParser() override;

    // The item walk from the walker's current node. A null walker does nothing.
    virtual void WalkNode(TdomTreeWalker* walker);
    // Fills Items from Document.
    virtual void BuildItems();
    // Replaces Items with the plain-text records of the whole stream.
    virtual void ParseRSSText(TStream* stream);
    // Parses a file as XML, without text fallback: errors pass to the caller. An empty name
    // raises "Must have a valid filename".
    virtual void ParseRSSFile(const std::string& name);
    // Parses a feed; an error of the XML parse or walk falls back to the text reading. A
    // document too large to hold, and any error from outside the parse (out of memory
    // among them), passes to the caller instead. A null stream raises "Cannot parse a nil
    // stream".
    virtual void ParseRSSStream(TStream* stream);

    // The address the next parses resolve relative links against: the URL the feed was
    // fetched from. Empty (the default): links stay as written unless xml:base gives one.
    void SetBaseURL(std::string url) { baseURL_ = std::move(url); }
    const std::string& BaseURL() const noexcept { return baseURL_; }

    TRSSListedItemCollection& Items() noexcept { return items_; }
    // The document of the last successful XML parse, or null.
    TdomDocument* Document() const noexcept { return document_; }
    TXmlToDomParser* XmlParser() const noexcept { return xmlParser_.get(); }
    TDomImplementation* DomImplementation() const noexcept { return domImplementation_.get(); }

private:
    void readItem(TdomTreeWalker& walker, TFieldTextReader& fields);
    void freeDocument();
    // Gives every item without a key its link or hash, and every item without a title the
    // line it shows instead.
    void completeItems();

    TRSSListedItemCollection items_;
    std::unique_ptr<TDomImplementation> domImplementation_;
    std::unique_ptr<TXmlToDomParser> xmlParser_;  // goes first: it refers to the implementation
    TdomDocument* document_ = nullptr;            // owned by domImplementation_
    std::string baseURL_;                    // empty: no address known
    // The namespaces of the document being walked, while BuildItems runs; null otherwise,
    // when names count as written and items get only the three walked fields.
    const TFeedNamespaces* namespaces_ = nullptr;
};

}  // namespace wispel
