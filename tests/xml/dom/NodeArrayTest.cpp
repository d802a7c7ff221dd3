#include <random>
#include <vector>

#include "DomTestSupport.h"

namespace wispel {
namespace {

// Random insertions and removals at the front, the back and in the middle, checked against a
// plain vector: every member must know its position after every change.
TEST_F(DomTest, NodeArrayPositionsStayRightUnderRandomChanges) {
    std::vector<TdomNode*> pool;
    for (int i = 0; i < 64; ++i) pool.push_back(element(u"n"));
    TdomNodeArray array;
    std::vector<TdomNode*> model;
    std::vector<TdomNode*> outside = pool;
    std::mt19937 random(20261210);
    for (int step = 0; step < 5000; ++step) {
        bool insert = !outside.empty() && (model.empty() || random() % 2 == 0);
        if (insert) {
            TdomNode* node = outside.back();
            outside.pop_back();
            int at = static_cast<int>(random() % (model.size() + 1));
            if (random() % 4 == 0) at = 0;  // runs of insertions at the front
            array.insert(at, node);
            model.insert(model.begin() + at, node);
        } else {
            int at = static_cast<int>(random() % model.size());
            outside.push_back(model[static_cast<size_t>(at)]);
            array.removeAt(at);
            model.erase(model.begin() + at);
        }
        ASSERT_EQ(array.count(), static_cast<int>(model.size()));
        for (size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(array.at(static_cast<int>(i)), model[i]);
            ASSERT_EQ(array.indexOf(model[i]), static_cast<int>(i));
        }
        for (TdomNode* node : outside) ASSERT_EQ(array.indexOf(node), -1);
    }
    array.clear();
}

// A node held by two arrays (one entity in the maps of two document types) is found in both.
TEST_F(DomTest, NodeArrayMemberOfTwoArrays) {
    TdomNode* shared = doc->createEntity(u"e", u"", u"", u"");
    TdomNode* other = element(u"o");
    TdomNodeArray first;
    TdomNodeArray second;
    first.append(other);
    first.append(shared);
    second.append(shared);
    EXPECT_EQ(first.indexOf(shared), 1);
    EXPECT_EQ(second.indexOf(shared), 0);
    first.removeAt(0);
    EXPECT_EQ(first.indexOf(shared), 0);
    EXPECT_EQ(second.indexOf(shared), 0);
    second.removeAt(0);
    EXPECT_EQ(second.indexOf(shared), -1);
    EXPECT_EQ(first.indexOf(shared), 0);
    first.clear();
    EXPECT_EQ(first.indexOf(shared), -1);
}

// Making room at the front of one array must not disturb the slot a shared member has
// recorded for another array.
TEST_F(DomTest, NodeArrayFrontInsertionsKeepASharedMembersOtherSlot) {
    TdomNode* shared = doc->createEntity(u"e", u"", u"", u"");
    TdomNodeArray first;
    TdomNodeArray second;
    second.append(element(u"s"));
    second.append(shared);
    first.append(shared);  // the recorded slot is now the one in `first`
    for (int i = 0; i < 20; ++i) second.insert(0, element(u"f"));
    EXPECT_EQ(first.indexOf(shared), 0);
    EXPECT_EQ(second.indexOf(shared), 21);
    first.clear();
    second.clear();
}

}  // namespace
}  // namespace wispel
