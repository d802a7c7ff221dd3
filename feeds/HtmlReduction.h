#pragma once
// An item's description, HTML from a feed and so possibly hostile, reduced to rich text that
// is safe to show in a rich-text view: nothing in it runs, loads or styles anything.
//
// - Kept, without any attribute: p, br, em, i, strong, b, u, ul, ol, li, blockquote, pre,
//   code, h1 to h6, and simple tables (table, thead, tbody, tfoot, tr, th, td).
// - a keeps its href only when that is an absolute http, https or mailto address; an a
//   without one is reduced to its text.
// - img becomes its alt text, or nothing; nothing is ever loaded.
// - script, style, iframe, object, embed, template, svg, math, head, title and their
//   content are dropped; comments, declarations and processing instructions too.
// - Every other element is reduced to its text; one that makes a block (div, section, hr,
//   ...) leaves a line break so that its text does not run into the next.
// - References are decoded and the text escaped again, so that the output holds only the
//   markup written here.
// - The output is well-formed: every element opened is closed, in order, and elements are
//   nested at most kMaxHtmlNesting deep (deeper ones are reduced to their text).
// - A description without markup stays plain text: escaped, its line breaks kept as breaks.
// The cost is linear in the input's length.

#include <cstddef>
#include <string>
#include <string_view>

namespace wispel {

inline constexpr std::size_t kMaxHtmlNesting = 64;

// The rich text of `description` (UTF-8 in, UTF-8 out).
std::string reduceHtml(std::string_view description);

}  // namespace wispel
