#pragma once
// The named character references of HTML (&hellip;, &nbsp;, &eacute; ...), which feeds use
// in their fields without declaring them. The table is generated from the published list
// by scripts/gen-html-entities.py into HtmlEntityTable.cpp, sorted by name.

#include <cstddef>
#include <string_view>

namespace wispel {

struct THtmlEntity {
    std::string_view name;  // without "&" and ";", ASCII letters and digits
    std::u16string_view text;
};

extern const THtmlEntity kHtmlEntities[];
extern const std::size_t kHtmlEntityCount;

// The character(s) HTML gives the reference "&name;" (letter case counts), or an empty view
// when HTML has no such name. A binary search over the sorted table.
std::u16string_view htmlEntityText(std::u16string_view name);

}  // namespace wispel
