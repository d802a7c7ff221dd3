#include <algorithm>
#include <random>
#include <vector>

#include "DomTestSupport.h"
#include "xml/dom/NodeList.h"

namespace wispel {
namespace {

// Every way of reading the children agrees with `model`.
void expectChildren(TdomNode* parent, const std::vector<TdomNode*>& model) {
    TdomNodeList* list = parent->childNodes();
    ASSERT_EQ(list->length(), static_cast<int>(model.size()));
    EXPECT_EQ(parent->firstChild(), model.empty() ? nullptr : model.front());
    EXPECT_EQ(parent->lastChild(), model.empty() ? nullptr : model.back());
    EXPECT_EQ(parent->hasChildNodes(), !model.empty());
    for (std::size_t i = 0; i < model.size(); ++i) {
        TdomNode* child = model[i];
        EXPECT_EQ(child->parentNode(), parent);
        EXPECT_EQ(child->previousSibling(), i == 0 ? nullptr : model[i - 1]);
        EXPECT_EQ(child->nextSibling(), i + 1 == model.size() ? nullptr : model[i + 1]);
        EXPECT_EQ(list->indexOf(child), static_cast<int>(i));
    }
    // By index from both ends: the list's remembered position must not lead it astray.
    for (std::size_t i = 0; i < model.size(); ++i)
        EXPECT_EQ(list->item(static_cast<int>(i)), model[i]);
    for (std::size_t i = model.size(); i-- > 0;)
        EXPECT_EQ(list->item(static_cast<int>(i)), model[i]);
    EXPECT_EQ(list->item(static_cast<int>(model.size())), nullptr);
    EXPECT_EQ(list->item(-1), nullptr);
}

// Random insertions, removals, replacements and moves at the front, the back and in the
// middle, checked against a plain vector after every change.
TEST_F(DomTest, ChildLinksStayRightUnderRandomChanges) {
    std::vector<TdomNode*> outside;
    for (int i = 0; i < 24; ++i)
        outside.push_back(i % 2 ? element(u"n") : static_cast<TdomNode*>(text(u"t")));
    std::vector<TdomNode*> model;
    std::mt19937 random(20261210);
    TdomNodeList* list = root->childNodes();
    for (int step = 0; step < 2000; ++step) {
        const int action = static_cast<int>(random() % 4);
        if (action == 0 && !outside.empty()) {
            TdomNode* node = outside.back();
            outside.pop_back();
            std::size_t at = random() % (model.size() + 1);
            root->insertBefore(node, at == model.size() ? nullptr : model[at]);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), node);
        } else if (action == 1 && !model.empty()) {
            std::size_t at = random() % model.size();
            root->removeChild(model[at]);
            outside.push_back(model[at]);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (action == 2 && !model.empty() && !outside.empty()) {
            std::size_t at = random() % model.size();
            TdomNode* node = outside.back();
            outside.pop_back();
            root->replaceChild(node, model[at]);
            outside.push_back(model[at]);
            model[at] = node;
        } else if (action == 3 && model.size() > 1) {
            // A child appended again moves to the end.
            std::size_t at = random() % model.size();
            TdomNode* node = model[at];
            root->appendChild(node);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            model.push_back(node);
        }
        if (step % 50 == 0) list->item(static_cast<int>(random() % (model.size() + 1)));
        if (step % 10 == 0) expectChildren(root, model);
    }
    expectChildren(root, model);
}

// Rotating children (the first one appended again, over and over) keeps order and positions.
TEST_F(DomTest, RotatingChildrenKeepsTheirOrder) {
    std::vector<TdomNode*> model;
    for (int i = 0; i < 3; ++i) model.push_back(root->appendChild(element(u"c")));
    for (int i = 0; i < 100000; ++i) root->appendChild(root->firstChild());
    // Each turn moves the first child to the end.
    std::rotate(model.begin(), model.begin() + 100000 % 3, model.end());
    expectChildren(root, model);
}

// Children go in at both ends and leave from both ends; order and positions hold
// throughout, and freeing leaves nothing behind.
TEST_F(DomTest, ChildrenKeepOrderAtBothEnds) {
    TdomElement* parent = element(u"p");
    root->appendChild(parent);
    std::vector<TdomNode*> expected;
    for (int i = 0; i < 80; ++i) {
        TdomNode* child = element(u"c");
        if (i % 3 == 0) {
            parent->insertBefore(child, parent->firstChild());
            expected.insert(expected.begin(), child);
        } else {
            parent->appendChild(child);
            expected.push_back(child);
        }
    }
    expectChildren(parent, expected);
    while (expected.size() > 2) {
        parent->removeChild(expected.front());
        expected.erase(expected.begin());
        parent->removeChild(expected.back());
        expected.pop_back();
    }
    expectChildren(parent, expected);
    const int before = doc->createdNodeCount();
    root->removeChild(parent);
    doc->freeAllNodes(parent);
    EXPECT_EQ(doc->createdNodeCount(), before - 3);
}

// A list view is live: what it remembered of its positions does not survive a change
// anywhere in the document.
TEST_F(DomTest, ChildListViewFollowsChanges) {
    TdomNodeList* list = root->childNodes();
    std::vector<TdomNode*> model;
    for (int i = 0; i < 6; ++i) model.push_back(root->appendChild(element(u"c")));
    EXPECT_EQ(list->item(4), model[4]);
    root->removeChild(model[2]);
    model.erase(model.begin() + 2);
    EXPECT_EQ(list->item(4), model[4]);
    EXPECT_EQ(list->length(), 5);
    root->insertBefore(text(u"x"), model[0]);
    EXPECT_EQ(list->item(0)->nodeType(), TEXT_NODE);
    EXPECT_EQ(list->item(5), model[4]);
    EXPECT_EQ(root->childNodes(), list);
    // A node that cannot have children has an empty view.
    EXPECT_EQ(list->item(0)->childNodes()->length(), 0);
}

}  // namespace
}  // namespace wispel
