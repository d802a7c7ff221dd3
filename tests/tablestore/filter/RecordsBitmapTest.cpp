#include <gtest/gtest.h>

#include "FilterTestTable.h"
#include "tablestore/filter/RecordsBitmap.h"

namespace wispel {
namespace {

TEST(RecordsBitmap, MembersAcrossWordEdges) {
    TRecordsBitmap set(200);
    for (std::uint32_t n : {1u, 64u, 65u, 128u, 129u, 200u}) set.include(n);
    set.include(0);    // ignored
    set.include(201);  // ignored
    EXPECT_EQ(listMembers(set), "1,64,65,128,129,200");
    EXPECT_EQ(set.count(), 6u);
    EXPECT_EQ(set.nextMember(2), 64u);
    EXPECT_EQ(set.nextMember(130), 200u);
    EXPECT_EQ(set.nextMember(201), 0u);
    EXPECT_EQ(set.priorMember(127), 65u);
    EXPECT_EQ(set.priorMember(500), 200u);
    EXPECT_EQ(set.priorMember(0), 0u);
    set.exclude(1);
    EXPECT_EQ(set.priorMember(63), 0u);
    EXPECT_FALSE(set.contains(1));
    EXPECT_TRUE(set.contains(65));
}

TEST(RecordsBitmap, ResizeKeepsMembersAndFillsNewOnes) {
    TRecordsBitmap set(3, true);
    set.exclude(2);
    set.resize(70, true);
    EXPECT_EQ(set.count(), 69u);
    EXPECT_FALSE(set.contains(2));
    EXPECT_TRUE(set.contains(4));
    EXPECT_TRUE(set.contains(70));
    set.resize(2);
    EXPECT_EQ(listMembers(set), "1");
    set.resize(66);
    EXPECT_EQ(listMembers(set), "1");
    set.includeAll();
    EXPECT_EQ(set.count(), 66u);
    set.excludeAll();
    EXPECT_EQ(set.nextMember(1), 0u);
}

TEST(RecordsBitmap, IntersectWithAShorterSet) {
    TRecordsBitmap a(130, true);
    TRecordsBitmap b(65, true);
    b.exclude(3);
    a.intersect(b);
    EXPECT_EQ(a.count(), 64u);
    EXPECT_FALSE(a.contains(3));
    EXPECT_FALSE(a.contains(66));
    EXPECT_EQ(a.size(), 130u);
}

}  // namespace
}  // namespace wispel
