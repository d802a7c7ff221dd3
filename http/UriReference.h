#pragma once
// URI references read by the generic syntax (scheme, authority, path, query, fragment) and
// resolved against a base, dot segments and all. The one resolver of the program: the HTTP
// client takes a redirect's Location through it, the feed side its item links and xml:base.
// Nothing is decoded or validated; the parts are views into the text given.

#include <string>
#include <string_view>

namespace wispel {

// The five parts of a URI reference; a part that is absent differs from an empty one.
struct TUriReference {
    std::string_view scheme, authority, path, query, fragment;
    bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
};

TUriReference splitUriReference(std::string_view uri);

// The scheme of `uri` ("http" of "http://h/", "mailto" of "mailto:a@b"); empty when the
// text does not start with one (a relative reference).
std::string_view uriScheme(std::string_view uri);
bool hasUriScheme(std::string_view uri);

// `reference` resolved against `base`. Unchanged when `base` has no scheme (no base is
// known) or `reference` has one of its own.
std::string resolveUriReference(std::string_view base, std::string_view reference);

}  // namespace wispel
