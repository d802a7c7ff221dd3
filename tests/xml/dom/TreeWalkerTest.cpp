#include <map>

#include "DomTestSupport.h"
#include "xml/dom/traversal/NodeIterator.h"
#include "xml/dom/traversal/TreeWalker.h"

namespace wispel {
namespace {

// Answers by node name (accept when not listed) and records every node it is asked about.
class TNameFilter : public TdomNodeFilter {
public:
    std::map<DOMString, TdomFilterResult> answers;
    std::string asked;

    TdomFilterResult acceptNode(TdomNode* node) override {
        asked += toUtf8(node->nodeName()) + " ";
        auto it = answers.find(node->nodeName());
        return it == answers.end() ? FILTER_ACCEPT : it->second;
    }
};

class TreeWalkerTest : public DomTest {
protected:
    // root
    //   a
    //     a1
    //     a2
    //       a21
    //   b
    //     b1
    //   c
    void SetUp() override {
        for (const char16_t* name : {u"a", u"a1", u"a2", u"a21", u"b", u"b1", u"c"})
            nodes[name] = element(name);
        root->appendChild(nodes[u"a"]);
        nodes[u"a"]->appendChild(nodes[u"a1"]);
        nodes[u"a"]->appendChild(nodes[u"a2"]);
        nodes[u"a2"]->appendChild(nodes[u"a21"]);
        root->appendChild(nodes[u"b"]);
        nodes[u"b"]->appendChild(nodes[u"b1"]);
        root->appendChild(nodes[u"c"]);
    }

    TdomTreeWalker* walker(TdomNode* from) {
        return doc->createTreeWalker(from, 31, &filter, true);
    }

    // The names nextNode() visits from the walker's current node.
    static std::string forward(TdomTreeWalker* w) {
        std::string out;
        while (TdomNode* n = w->nextNode()) out += toUtf8(n->nodeName()) + " ";
        return out;
    }

    std::map<DOMString, TdomNode*> nodes;
    TNameFilter filter;
};

TEST_F(TreeWalkerTest, AcceptRejectAndSkip) {
    EXPECT_EQ(forward(walker(root)), "a a1 a2 a21 b b1 c ");
    filter.answers = {{u"a", FILTER_REJECT}, {u"b", FILTER_SKIP}};
    EXPECT_EQ(forward(walker(root)), "b1 c ");
    filter.answers = {{u"a", FILTER_SKIP}, {u"a2", FILTER_REJECT}};
    EXPECT_EQ(forward(walker(root)), "a1 b b1 c ");
}

TEST_F(TreeWalkerTest, FirstChildLooksThroughSkippedAndPastRejectedNodes) {
    filter.answers = {{u"a", FILTER_REJECT}};
    TdomTreeWalker* w = walker(root);
    EXPECT_EQ(w->firstChild(), nodes[u"b"]);  // never a node inside the rejected "a"

    filter.answers = {{u"a", FILTER_SKIP}, {u"a1", FILTER_SKIP}};
    w = walker(root);
    EXPECT_EQ(w->firstChild(), nodes[u"a2"]);
    // From there the skipped "a" is passed over on the way up.
    EXPECT_EQ(w->parentNode(), root);
    EXPECT_EQ(w->lastChild(), nodes[u"c"]);
    EXPECT_EQ(w->previousSibling(), nodes[u"b"]);
    EXPECT_EQ(w->previousSibling(), nodes[u"a2"]);
    EXPECT_EQ(w->previousSibling(), nullptr);  // a1 is skipped and empty
    EXPECT_EQ(w->currentNode(), nodes[u"a2"]);
}

TEST_F(TreeWalkerTest, SiblingsAtTheEndOfSkippedAndVisibleParents) {
    filter.answers = {{u"a", FILTER_SKIP}};
    TdomTreeWalker* w = walker(root);
    w->currentNode(nodes[u"a2"]);
    EXPECT_EQ(w->nextSibling(), nodes[u"b"]);  // continues after the skipped parent
    w->currentNode(nodes[u"b1"]);
    EXPECT_EQ(w->nextSibling(), nullptr);  // "b" is visible: the walk stays inside it
    EXPECT_EQ(w->currentNode(), nodes[u"b1"]);
}

TEST_F(TreeWalkerTest, NextAndPreviousNodeAtTheEdges) {
    TdomTreeWalker* w = walker(root);
    w->currentNode(nodes[u"c"]);
    EXPECT_EQ(w->nextNode(), nullptr);
    EXPECT_EQ(w->currentNode(), nodes[u"c"]);
    w->currentNode(nodes[u"b"]);
    EXPECT_EQ(w->previousNode(), nodes[u"a21"]);  // deepest last node of the sibling before
    EXPECT_EQ(w->previousNode(), nodes[u"a2"]);
    EXPECT_EQ(w->previousNode(), nodes[u"a1"]);
    EXPECT_EQ(w->previousNode(), nodes[u"a"]);
    EXPECT_EQ(w->previousNode(), root);
    EXPECT_EQ(w->previousNode(), nullptr);
    // The walk never leaves the root's subtree.
    TdomTreeWalker* inner = walker(nodes[u"a"]);
    EXPECT_EQ(forward(inner), "a1 a2 a21 ");
    EXPECT_EQ(inner->parentNode(), nodes[u"a2"]);
    inner->currentNode(nodes[u"a"]);
    EXPECT_EQ(inner->parentNode(), nullptr);
    EXPECT_EQ(inner->nextSibling(), nullptr);
}

TEST_F(TreeWalkerTest, TextRootAndWhatToShow) {
    TdomText* t = text(u"t");
    nodes[u"c"]->appendChild(t);
    TdomTreeWalker* w = walker(t);
    EXPECT_EQ(w->firstChild(), nullptr);
    EXPECT_EQ(w->nextNode(), nullptr);
    EXPECT_EQ(w->parentNode(), nullptr);
    // 31 hides comments: the comment is skipped without asking the filter.
    TdomElement* e = element(u"e");
    e->appendChild(doc->createComment(u"c"));
    TdomText* t2 = text(u"x");
    e->appendChild(t2);
    TdomElement* last = element(u"last");
    e->appendChild(last);
    TdomTreeWalker* plain = doc->createTreeWalker(e, 31, nullptr, true);
    EXPECT_EQ(plain->firstChild(), t2);
    EXPECT_EQ(plain->nextSibling(), last);
    filter.asked.clear();
    walker(e)->firstChild();
    EXPECT_EQ(filter.asked, "#text ");
}

TEST_F(TreeWalkerTest, EntityReferencesFollowTheExpansionFlag) {
    TdomEntityReference* ref = doc->createEntityReference(u"amp");
    ref->expand();
    TdomElement* e = element(u"e");
    e->appendChild(ref);
    TdomTreeWalker* open = doc->createTreeWalker(e, 31, nullptr, true);
    ASSERT_NE(open->firstChild(), nullptr);
    EXPECT_EQ(open->currentNode()->nodeValue(), u"&");
    EXPECT_EQ(open->parentNode(), e);
    TdomTreeWalker* closed = doc->createTreeWalker(e, 31, nullptr, false);
    EXPECT_EQ(closed->firstChild(), nullptr);
    EXPECT_EQ(closed->nextNode(), nullptr);
}

TEST_F(TreeWalkerTest, FilterCallsFollowTheRecursiveOrder) {
    filter.answers = {
        {u"a", FILTER_SKIP}, {u"a1", FILTER_SKIP}, {u"a2", FILTER_SKIP}, {u"a21", FILTER_REJECT}};
    TdomTreeWalker* w = walker(root);
    filter.asked.clear();
    EXPECT_EQ(w->firstChild(), nodes[u"b"]);
    EXPECT_EQ(filter.asked, "a a1 a2 a21 b ");
    filter.asked.clear();
    EXPECT_EQ(w->previousSibling(), nullptr);
    EXPECT_EQ(filter.asked, "a a2 a21 a1 root ");
}

TEST_F(TreeWalkerTest, CurrentNodeAndFilterErrors) {
    TdomTreeWalker* w = walker(root);
    EXPECT_ERROR(w->currentNode(nullptr), ENot_Supported_Err, "Not supported error.");
    EXPECT_EQ(w->currentNode(), root);
    w->currentNode(doc);  // outside the root: allowed without a check
    EXPECT_EQ(w->currentNode(), doc);

    struct TThrowingFilter : TdomNodeFilter {
        TdomFilterResult acceptNode(TdomNode*) override { throw EConvertError("filter"); }
    } throwing;
    TdomTreeWalker* t = doc->createTreeWalker(root, 31, &throwing, true);
    EXPECT_THROW(t->firstChild(), EConvertError);
    EXPECT_EQ(t->currentNode(), root);
}

TEST_F(TreeWalkerTest, FreeingAWalkerLeavesItsFilter) {
    TdomTreeWalker* w = walker(root);
    doc->freeTreeWalker(w);
    filter.asked.clear();
    EXPECT_EQ(filter.acceptNode(root), FILTER_ACCEPT);  // still alive and usable
}

TEST_F(TreeWalkerTest, NodeIteratorRunsInDocumentOrder) {
    filter.answers = {{u"a2", FILTER_REJECT}, {u"b", FILTER_SKIP}};
    TdomNodeIterator* it = doc->createNodeIterator(nodes[u"a"], 31, &filter, true);
    std::string seen;
    while (TdomNode* n = it->nextNode()) seen += toUtf8(n->nodeName()) + " ";
    // Rejection hides only the node itself from an iterator, and the end of a's subtree ends it.
    EXPECT_EQ(seen, "a a1 a21 ");
    EXPECT_EQ(it->previousNode(), nodes[u"a21"]);
    EXPECT_EQ(it->previousNode(), nodes[u"a1"]);
    EXPECT_EQ(it->previousNode(), nodes[u"a"]);
    EXPECT_EQ(it->previousNode(), nullptr);
    it->detach();
    EXPECT_ERROR(it->nextNode(), EInvalid_State_Err, "Invalid state error.");
    EXPECT_ERROR(it->previousNode(), EInvalid_State_Err, "Invalid state error.");
    EXPECT_EQ(doc->nodeIteratorCount(), 1);
    doc->clearInvalidNodeIterators();
    EXPECT_EQ(doc->nodeIteratorCount(), 0);
}

TEST_F(TreeWalkerTest, NodeIteratorKeepsEntityContentClosedBothWays) {
    TdomEntityReference* ref = doc->createEntityReference(u"amp");
    ref->expand();
    nodes[u"c"]->appendChild(ref);
    nodes[u"c"]->appendChild(element(u"after"));
    TdomNodeIterator* it = doc->createNodeIterator(nodes[u"c"], 0xFFFF, nullptr, false);
    std::string seen;
    while (TdomNode* n = it->nextNode()) seen += toUtf8(n->nodeName()) + " ";
    EXPECT_EQ(seen, "c amp after ");
    seen.clear();
    while (TdomNode* n = it->previousNode()) seen += toUtf8(n->nodeName()) + " ";
    EXPECT_EQ(seen, "after amp c ");
}

TEST_F(TreeWalkerTest, NodeIteratorMovesOffARemovedSubtree) {
    TdomNodeIterator* it = doc->createNodeIterator(root, 31, nullptr, true);
    EXPECT_EQ(it->nextNode(), root);
    EXPECT_EQ(it->nextNode(), nodes[u"a"]);
    EXPECT_EQ(it->nextNode(), nodes[u"a1"]);
    EXPECT_EQ(it->nextNode(), nodes[u"a2"]);
    // Removing the subtree that holds the reference node: the iterator continues after the
    // node before it, and the next step is the node after the removed subtree.
    root->removeChild(nodes[u"a"]);
    EXPECT_EQ(it->referenceNode(), root);
    EXPECT_EQ(it->nextNode(), nodes[u"b"]);
    // Standing before the reference (after a previousNode), removal moves it forward.
    EXPECT_EQ(it->previousNode(), nodes[u"b"]);
    nodes[u"b"]->removeChild(nodes[u"b1"]);  // not the reference: nothing moves
    EXPECT_EQ(it->referenceNode(), nodes[u"b"]);
    root->removeChild(nodes[u"b"]);
    EXPECT_EQ(it->referenceNode(), nodes[u"c"]);
    EXPECT_EQ(it->nextNode(), nodes[u"c"]);
    EXPECT_EQ(it->nextNode(), nullptr);
}

}  // namespace
}  // namespace wispel
