#pragma once
// What one parsed document may hold, whatever its input says.
//
// The largest input a feed reaches us in is 64 MiB (an HTTP reply body, or a local file read
// in its place). Well-formed markup can still ask for far more memory than its size: every
// `<i/>` is four bytes of input but a whole element in the tree, and every `a=""` on one tag
// is four bytes but an attribute node. So the count of nodes is bounded on its own, and so is
// the count of attributes on one element, whose names the reader must keep apart.
//
// kMaxDocumentNodes: one node per eight bytes of the largest input. A real feed spends far
// more bytes per node (a typical RSS item of a few hundred bytes makes a dozen or two nodes,
// escaped HTML descriptions included, since a run of text and references stays one node),
// so a real feed of the full 64 MiB fits with room to spare. A node costs some fifty to
// seventy bytes in the tree, so the bound keeps a whole document of tiny elements well under
// a gigabyte, beside the input's own copies: some ten times the input at worst, against the
// twenty to forty-five times that nothing stopped before. Attributes count as nodes too.
//
// kMaxElementAttributes: no real element carries more than a few dozen attributes; the
// bound stops a single tag of millions of them before its names are even compared.

#include <cstddef>

namespace wispel {

inline constexpr std::size_t kMaxDocumentNodes = std::size_t{8} << 20;
inline constexpr std::size_t kMaxElementAttributes = 1024;

}  // namespace wispel
