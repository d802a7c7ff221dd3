#include <gtest/gtest.h>

#include <vector>

#include "xml/dom/NameTable.h"

namespace wispel {
namespace {

// Equal names give one string, different names different ones, however alike: the same
// length and first units, a prefix of each other, lengths far beyond the short-name key.
TEST(NameTable, OneStringPerDistinctName) {
    const std::vector<DOMString> names = {
        u"lt", u"gt", u"amp", u"ampx", u"quot", u"quoz", u"item", u"itex", u"", u"a",
        DOMString(70000, u'x'), DOMString(70000 - 65536, u'x'), DOMString(70001, u'x'),
        u"description", u"descriptioN", u"xxx",
    };
    TdomNameTable table;
    std::vector<const DOMString*> first;
    for (const DOMString& name : names) first.push_back(table.intern(name));
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            const DOMString* again = table.intern(names[i]);
            EXPECT_EQ(again, first[i]);
            EXPECT_EQ(*again, names[i]);
        }
    }
    EXPECT_EQ(table.size(), names.size());
}

}  // namespace
}  // namespace wispel
