// A document nested far deeper than any call stack could follow: every operation a parsed
// feed goes through must loop rather than recurse.

#include "DomTestSupport.h"
#include "xml/dom/traversal/TreeWalker.h"

namespace wispel {
namespace {

constexpr int kDepth = 100000;

class TAcceptAll : public TdomNodeFilter {
public:
    TdomFilterResult acceptNode(TdomNode* node) override {
        return node->nodeType() == TEXT_NODE ? FILTER_SKIP : FILTER_ACCEPT;
    }
};

TEST_F(DomTest, DeepTreeIsBuiltWalkedCopiedAndFreedWithoutRecursion) {
    TdomElement* top = element(u"d");
    TdomNode* deepest = top;
    for (int i = 1; i < kDepth; ++i) deepest = deepest->appendChild(element(u"d"));
    deepest->appendChild(text(u"leaf"));
    root->appendChild(top);

    TAcceptAll filter;
    TdomTreeWalker* walker = doc->createTreeWalker(doc->lastChild(), 31, &filter, true);
    int visited = 0;
    while (walker->nextNode() != nullptr) ++visited;
    EXPECT_EQ(visited, kDepth);
    EXPECT_EQ(walker->currentNode(), deepest);
    int climbed = 0;
    while (walker->parentNode() != nullptr) ++climbed;
    EXPECT_EQ(climbed, kDepth);
    walker->currentNode(deepest);
    while (walker->previousNode() != nullptr) ++climbed;
    EXPECT_EQ(climbed, 2 * kDepth);
    EXPECT_EQ(root->getElementsByTagName(u"d")->length(), kDepth);

    TdomNode* copy = top->cloneNode(true);
    EXPECT_EQ(static_cast<TdomElement*>(copy)->getElementsByTagName(u"d")->length(), kDepth - 1);
    DOMString markup = top->xmlText();
    EXPECT_EQ(markup.size(), static_cast<size_t>(kDepth) * 7 + 4);  // <d> ... </d> + leaf
    top->normalize();
    root->makeChildrenReadonly();
    EXPECT_TRUE(deepest->firstChild()->isReadonly());

    doc->freeAllNodes(copy);
    EXPECT_EQ(copy, nullptr);
    root->setReadonly(false);
    root->clear();  // frees the read-only chain
    EXPECT_EQ(doc->createdNodeCount(), 1);
    doc->freeTreeWalker(walker);

    // The rebuilt chain goes with the document itself.
    TdomNode* again = root;
    for (int i = 0; i < kDepth; ++i) again = again->appendChild(element(u"d"));
    TdomDocument* gone = doc;
    impl.freeDocument(gone);
    EXPECT_EQ(gone, nullptr);
}

TEST_F(DomTest, WideTreeKeepsSiblingLookupsCheap) {
    // Sibling positions are known in constant time: walking and freeing 100 000 children of
    // one element stays linear.
    constexpr int kWidth = 100000;
    for (int i = 0; i < kWidth; ++i) root->appendChild(element(u"c"));
    TdomTreeWalker* walker = doc->createTreeWalker(root, 31, nullptr, true);
    int visited = 0;
    for (TdomNode* n = walker->firstChild(); n != nullptr; n = walker->nextSibling()) ++visited;
    EXPECT_EQ(visited, kWidth);
    while (walker->previousSibling() != nullptr) --visited;
    EXPECT_EQ(visited, 1);
    // Insertions at the front and removals from the middle keep positions right.
    TdomElement* first = element(u"first");
    root->insertBefore(first, root->firstChild());
    TdomNode* middle = root->childNodes()->item(kWidth / 2);
    TdomNode* before = middle->previousSibling();
    root->removeChild(middle);
    EXPECT_EQ(before->nextSibling(), root->childNodes()->item(kWidth / 2));
    EXPECT_EQ(root->childNodes()->indexOf(first), 0);
    EXPECT_EQ(root->childNodes()->indexOf(middle), -1);
    root->clear();
    EXPECT_EQ(doc->createdNodeCount(), 2);  // root and the removed middle child
}

}  // namespace
}  // namespace wispel
