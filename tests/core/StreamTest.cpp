#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/Exception.h"
#include "core/FileStream.h"
#include "core/MemoryStream.h"

using namespace wispel;

TEST(MemoryStream, GrowsSeeksAndResizes) {
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(s.Size(), 5);
    EXPECT_EQ(s.Position(), 5);
    s.Seek(8, TSeekOrigin::soBeginning);  // past the end: the gap reads as zeros
    s.WriteBuffer("!", 1);
    EXPECT_EQ(s.Size(), 9);
    EXPECT_EQ(s.View(), std::string("hello\0\0\0!", 9));
    EXPECT_EQ(s.Seek(-4, TSeekOrigin::soEnd), 5);
    EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.View(), "he");
    s.SetPosition(0);
    char buffer[4];
    EXPECT_EQ(s.Read(buffer, 4), 2);
    EXPECT_THROW(s.ReadBuffer(buffer, 1), EReadError);
}

TEST(MemoryStream, LargeWritesKeepEveryByte) {
    TMemoryStream s;
    std::string block(1000, 'x');
    for (int i = 0; i < 1000; ++i) {
        block[0] = static_cast<char>('a' + i % 26);
        s.WriteBuffer(block.data(), static_cast<std::int64_t>(block.size()));
    }
    ASSERT_EQ(s.Size(), 1000000);
    EXPECT_EQ(s.View()[999 * 1000], static_cast<char>('a' + 999 % 26));
}

TEST(MemoryStream, GrowingAgainAfterShrinkingReadsZeros) {
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    s.SetSize(2);
    s.SetSize(5);  // the old bytes beyond the size must not come back
    EXPECT_EQ(s.View(), std::string("he\0\0\0", 5));
    s.SetCapacity(100);
    EXPECT_EQ(s.Size(), 5);
    s.Seek(20, TSeekOrigin::soBeginning);  // a gap inside reserved storage still reads zeros
    s.WriteBuffer("!", 1);
    EXPECT_EQ(s.View(), std::string("he") + std::string(18, '\0') + "!");
    s.SetCapacity(0);  // never below the content
    EXPECT_EQ(s.Capacity(), 21);
    EXPECT_EQ(s.View().back(), '!');
}

TEST(MemoryStream, WritesInPlaceThroughPreparedRoom) {
    TMemoryStream s;
    s.WriteBuffer("ab", 2);
    s.Seek(4, TSeekOrigin::soBeginning);
    char* room = s.PrepareWrite(10);
    std::memcpy(room, "xyz-unused", 10);
    s.CommitWrite(3);  // only what is committed becomes content, the gap before it zeros
    EXPECT_EQ(s.View(), std::string("ab\0\0xyz", 7));
    EXPECT_EQ(s.Position(), 7);
    EXPECT_THROW(s.CommitWrite(s.Capacity()), EStreamError);
    // Growth keeps the content while the storage moves.
    std::string big(1 << 20, 'q');
    s.WriteBuffer(big.data(), static_cast<std::int64_t>(big.size()));
    EXPECT_EQ(s.View().substr(0, 7), std::string("ab\0\0xyz", 7));
    EXPECT_EQ(s.Size(), 7 + (1 << 20));
}

TEST(FileStream, WritesReadsAndCopies) {
    std::string path = ::testing::TempDir() + "wispel_stream_" + std::to_string(::getpid());
    {
        TFileStream out(path, TFileMode::fmCreate);
        out.WriteBuffer("0123456789", 10);
        out.SetSize(4);
    }
    TFileStream in(path, TFileMode::fmOpenRead);
    EXPECT_EQ(in.Size(), 4);
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(in, 0), 4);
    EXPECT_EQ(copy.View(), "0123");
    std::remove(path.c_str());
    try {
        TFileStream missing(path, TFileMode::fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.message().find("Cannot open file"), std::string::npos);
    }
}
