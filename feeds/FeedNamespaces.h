#pragma once
// The namespaces of a feed's elements, for the vocabularies the feed readers know: Atom 1.0
// and 0.3, RSS 1.0, Dublin Core, RSS's content module and Media RSS. The XML parser keeps
// names as written, so a prefix means nothing by itself: "dc:date" is Dublin Core's date
// only where "dc" is declared as Dublin Core's prefix, and "rss:item" is an RSS 1.0 item
// under whatever prefix the feed chose.
//
// The namespaces are found once per document, in one pass in document order that keeps the
// declarations in scope on a stack per prefix, so that each element costs the same however
// deep it lies and however many declarations surround it.

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "core/TextConvert.h"

namespace wispel {

class TdomDocument;
class TdomElement;
class TdomNode;

enum class FeedNamespace : std::uint8_t {
    None,  // no namespace, or one the feed readers do not know
    Atom,
    Atom03,
    Rss10,
    DublinCore,
    Content,
    Media,
};

// The known namespace of a namespace name, None for any other.
FeedNamespace feedNamespaceOf(std::u16string_view uri);

// The name of `node` without its prefix.
std::u16string_view localNameOf(const TdomNode* node);

// The namespace of the root element of `document`, from its own declarations (nothing lies
// around it); None without a root.
FeedNamespace rootNamespace(const TdomDocument* document);

// The namespaces of every element of one document, which must outlive this object and not
// change while it is in use.
class TFeedNamespaces {
public:
    explicit TFeedNamespaces(const TdomDocument* document);

    FeedNamespace of(const TdomNode* element) const;
    // True when `node` is an element of namespace `ns` named `localName`.
    bool is(const TdomNode* node, FeedNamespace ns, std::u16string_view localName) const;

private:
    // Only elements of a known namespace are kept: all others are None.
    std::unordered_map<const TdomNode*, FeedNamespace> known_;
};

}  // namespace wispel
