#pragma once
// Relative links in feed items made absolute, so that a double-click opens a full URL: a
// link resolves against the xml:base attributes around it and, outside them, against the
// address the feed was fetched from. Reference resolution is that of URIs in general
// (scheme, authority, path with its dot segments, query, fragment), by the client's resolver.

#include <string>
#include <string_view>

#include "http/UriReference.h"

namespace wispel {

class TdomNode;

// The base for a link inside `element`: `feedURL`, then every xml:base from the outermost
// element in. Empty when neither gives an address with a scheme.
std::string linkBase(const TdomNode* element, std::string_view feedURL);

// The link text of an item (`link` as the field read it, whitespace around it allowed)
// resolved against the base of `element`. A link that is empty, absolute, or has no base
// to resolve against stays exactly as written.
std::string resolveItemLink(const TdomNode* element, std::string link, std::string_view feedURL);

}  // namespace wispel
