#include "DomTestSupport.h"

namespace wispel {
namespace {

TEST_F(DomTest, AppendChildMovesANodeBetweenParents) {
    TdomElement* a = element(u"a");
    TdomElement* b = element(u"b");
    root->appendChild(a);
    root->appendChild(b);
    TdomText* t = text(u"t");
    a->appendChild(t);
    EXPECT_EQ(b->appendChild(t), t);
    EXPECT_FALSE(a->hasChildNodes());
    EXPECT_EQ(t->parentNode(), b);
    EXPECT_EQ(childNames(b), "t");
}

}  // namespace
}  // namespace wispel
