#include <gtest/gtest.h>

#include <cstdio>
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
