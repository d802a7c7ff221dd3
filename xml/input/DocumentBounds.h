#pragma once
// What one parsed document may hold, whatever its input says.
//
// The largest input a feed reaches us in is 64 MiB (an HTTP reply body, or a local file read
// in its place). Well-formed markup can still ask for far more memory than its size: every
// `<i/>` is four bytes of input but a whole element in the tree, and every `a=""` on one tag
// is a few bytes but an attribute node. So the count of nodes is bounded on its own, and so
// is the count of attributes on one element, whose names the reader must keep apart.
//
// kMaxDocumentNodes: one node per four bytes of the largest input. Escaped HTML is the
// densest real content: each reference in it ("&lt;") is a node of its own, followed by a
// text node, so a usual feed of escaped-HTML descriptions makes a node per ten bytes or so,
// and one of whole articles perhaps twice as many; the bound leaves room for both at the full
// 64 MiB. A node costs about seventy bytes with its share of the tree's storage, so a
// document at the bound stays near 1.2 GB, some eighteen times the input; without the bound
// markup of a text unit between empty elements (`<i/>x`, two nodes in five bytes) would make
// nearly 27 million nodes of a 64 MiB reply, and memory would follow. Attributes count as
// nodes too.
//
// kMaxElementAttributes: no real element carries more than a few dozen attributes; the
// bound stops a single tag of millions of them before its names are even compared.

#include <cstddef>

namespace wispel {

inline constexpr std::size_t kMaxDocumentNodes = std::size_t{16} << 20;
inline constexpr std::size_t kMaxElementAttributes = 1024;

}  // namespace wispel
