#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tablestore/files/FaultInjectingFileSystem.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/files/SystemErrors.h"

using namespace wispel;

namespace {

std::vector<unsigned char> bytesOf(const std::string& text) {
    return std::vector<unsigned char>(text.begin(), text.end());
}

// Runs the same checks on the disk and on the in-memory directory.
class StoreFileTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (onDisk()) {
            std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
            std::replace(name.begin(), name.end(), '/', '-');
            dir_ = std::filesystem::temp_directory_path() /
                   ("wispel-files-" + std::to_string(::getpid()) + "-" + name);
            std::filesystem::create_directories(dir_);
        }
    }
    void TearDown() override {
        if (onDisk()) std::filesystem::remove_all(dir_);
        else fs().remove(path("t.DAT"));
    }

    bool onDisk() const { return GetParam(); }
    StoreFileSystem& fs() { return onDisk() ? posixFileSystem() : memoryFileSystem(); }
    std::string path(const std::string& name) {
        return onDisk() ? (std::filesystem::path(dir_) / name).string() : "MEMORY/" + name;
    }
    std::unique_ptr<StoreFile> created(const std::string& name) {
        std::unique_ptr<StoreFile> file;
        EXPECT_EQ(fs().create(path(name), file), storecode::kOk);
        return file;
    }
    std::unique_ptr<StoreFile> opened(const std::string& name, StoreOpenOptions options = {}) {
        std::unique_ptr<StoreFile> file;
        EXPECT_EQ(fs().open(path(name), options, file), storecode::kOk);
        return file;
    }

    std::string dir_;
};

}  // namespace

TEST_P(StoreFileTest, WritesReadsSizesAndTruncates) {
    auto file = created("t.DAT");
    ASSERT_TRUE(file);
    auto data = bytesOf("header");
    ASSERT_EQ(file->write(10, data.data(), data.size()), storecode::kOk);
    std::uint64_t size = 0;
    ASSERT_EQ(file->size(size), storecode::kOk);
    EXPECT_EQ(size, 16u);

    std::vector<unsigned char> back(16, 0xFF);
    ASSERT_EQ(file->read(0, back.data(), back.size()), storecode::kOk);
    EXPECT_EQ(back[0], 0);  // the gap reads as zeros
    EXPECT_EQ(std::string(back.begin() + 10, back.end()), "header");

    std::size_t got = 99;
    ASSERT_EQ(file->readSome(12, back.data(), 10, got), storecode::kOk);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(file->read(12, back.data(), 10), storecode::kReadError);
    ASSERT_EQ(file->readSome(100, back.data(), 10, got), storecode::kOk);
    EXPECT_EQ(got, 0u);

    ASSERT_EQ(file->truncate(12), storecode::kOk);
    ASSERT_EQ(file->size(size), storecode::kOk);
    EXPECT_EQ(size, 12u);
    ASSERT_EQ(file->truncate(20), storecode::kOk);
    ASSERT_EQ(file->read(12, back.data(), 8), storecode::kOk);
    EXPECT_EQ(back[0], 0);
    EXPECT_EQ(file->flush(), storecode::kOk);
    EXPECT_FALSE(file->readOnly());
}

TEST_P(StoreFileTest, MissingFileIsAnInvalidPath) {
    std::unique_ptr<StoreFile> file;
    EXPECT_EQ(fs().open(path("none.DAT"), {}, file), storecode::kInvalidPath);
    EXPECT_FALSE(file);
    EXPECT_FALSE(fs().exists(path("none.DAT")));
    EXPECT_EQ(fs().remove(path("none.DAT")), storecode::kInvalidPath);
}

// On disk a file is only ever created new; the in-memory directory empties an existing one.
TEST_P(StoreFileTest, CreateRefusesOrEmptiesAnExistingFileAndRemoveDeletes) {
    {
        auto file = created("t.DAT");
        auto data = bytesOf("old");
        file->write(0, data.data(), data.size());
    }
    EXPECT_TRUE(fs().exists(path("t.DAT")));
    std::unique_ptr<StoreFile> file;
    if (onDisk()) {
        EXPECT_EQ(fs().create(path("t.DAT"), file), storecode::kTableExists);
        file = opened("t.DAT");
    } else {
        file = created("t.DAT");
    }
    std::uint64_t size = 1;
    file->size(size);
    EXPECT_EQ(size, onDisk() ? 3u : 0u);
    file.reset();
    EXPECT_EQ(fs().remove(path("t.DAT")), storecode::kOk);
    EXPECT_FALSE(fs().exists(path("t.DAT")));
}

TEST_P(StoreFileTest, SharingModesExcludeEachOther) {
    created("t.DAT").reset();
    auto shared1 = opened("t.DAT");
    auto shared2 = opened("t.DAT");
    std::unique_ptr<StoreFile> other;
    EXPECT_EQ(fs().open(path("t.DAT"), {.exclusive = true}, other), storecode::kAccessDenied);
    EXPECT_EQ(fs().create(path("t.DAT"), other),
              onDisk() ? storecode::kTableExists : storecode::kAccessDenied);
    shared1.reset();
    shared2.reset();
    auto exclusive = opened("t.DAT", {.exclusive = true});
    EXPECT_EQ(fs().open(path("t.DAT"), {}, other), storecode::kAccessDenied);
    exclusive.reset();
    EXPECT_TRUE(opened("t.DAT"));
}

TEST_P(StoreFileTest, LocksConflictBetweenHandlesOnExactRanges) {
    created("t.DAT").reset();
    auto a = opened("t.DAT");
    auto b = opened("t.DAT");
    const std::uint64_t record5 = 0x7FFFFFFE - 5;
    ASSERT_EQ(a->lock(record5, 1), storecode::kOk);
    EXPECT_EQ(b->lock(record5, 1), storecode::kTableLocked);
    EXPECT_EQ(b->lock(record5 + 1, 1), storecode::kOk);  // record 4: a byte of its own
    EXPECT_EQ(b->lock(0x7FFF0000, 65535), storecode::kTableLocked);  // covers record 5
    EXPECT_EQ(a->lock(record5, 1), storecode::kOk);  // the holder may take it again
    ASSERT_EQ(a->unlock(record5, 1), storecode::kOk);
    EXPECT_EQ(b->lock(record5, 1), storecode::kOk);
    EXPECT_EQ(a->unlock(record5 - 10, 1), storecode::kOk);  // not held: no error
    // Closing a handle releases what it held.
    b.reset();
    EXPECT_EQ(a->lock(record5, 1), storecode::kOk);
}

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, StoreFileTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Disk" : "Memory"; });

namespace {

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("wispel-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

// Runs `child` in a forked process and returns its exit status (0 when it returned true).
template <class Child>
int inChildProcess(Child child) {
    pid_t pid = ::fork();
    if (pid == 0) _exit(child() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

}  // namespace

TEST(PosixStoreFile, LocksAndSharingHoldBetweenProcesses) {
    std::string p = tempPath("procs.DAT");
    std::unique_ptr<StoreFile> file;
    ASSERT_EQ(posixFileSystem().create(p, file), storecode::kOk);
    file.reset();
    ASSERT_EQ(posixFileSystem().open(p, {}, file), storecode::kOk);
    ASSERT_EQ(file->lock(0x7FFFFFFF, 1), storecode::kOk);

    EXPECT_EQ(inChildProcess([&] {
                  std::unique_ptr<StoreFile> mine;
                  if (posixFileSystem().open(p, {}, mine) != storecode::kOk) return false;
                  std::unique_ptr<StoreFile> exclusive;
                  return mine->lock(0x7FFFFFFF, 1) == storecode::kTableLocked &&
                         mine->lock(0x7FFFFFFE, 1) == storecode::kOk &&
                         posixFileSystem().open(p, {.exclusive = true}, exclusive) ==
                             storecode::kAccessDenied;
              }),
              0);
    file.reset();
    ASSERT_EQ(posixFileSystem().open(p, {.exclusive = true}, file), storecode::kOk);
    EXPECT_EQ(inChildProcess([&] {
                  std::unique_ptr<StoreFile> mine;
                  return posixFileSystem().open(p, {}, mine) == storecode::kAccessDenied;
              }),
              0);
    file.reset();
    std::remove(p.c_str());
}

TEST(PosixStoreFile, FileWithoutWritePermissionOpensReadOnly) {
    std::string p = tempPath("ro.DAT");
    std::unique_ptr<StoreFile> file;
    ASSERT_EQ(posixFileSystem().create(p, file), storecode::kOk);
    file.reset();
    ::chmod(p.c_str(), 0444);
    auto opensReadOnly = [&] {
        std::unique_ptr<StoreFile> mine;
        if (posixFileSystem().open(p, {}, mine) != storecode::kOk) return false;
        unsigned char byte = 1;
        return mine->readOnly() && mine->write(0, &byte, 1) != storecode::kOk;
    };
    if (::geteuid() == 0) {
        // The superuser may write anything; an ordinary user may not write this file.
        EXPECT_EQ(inChildProcess([&] { return ::setuid(65534) == 0 && opensReadOnly(); }), 0);
    } else {
        EXPECT_TRUE(opensReadOnly());
    }
    ASSERT_EQ(posixFileSystem().open(p, {.readOnly = true}, file), storecode::kOk);
    EXPECT_TRUE(file->readOnly());
    file.reset();
    std::remove(p.c_str());
}

TEST(PosixStoreFile, DirectoryIsNoTableFile) {
    std::unique_ptr<StoreFile> file;
    EXPECT_EQ(posixFileSystem().open(std::filesystem::temp_directory_path().string(), {}, file),
              storecode::kInvalidPath);
}

TEST(SystemErrors, MapToEngineCodes) {
    struct Case {
        int error;
        StoreResult open, read, write;
    };
    const Case cases[] = {
        {ENOENT, 11010, 11010, 11010}, {ENOTDIR, 11010, 11010, 11010},
        {EISDIR, 11010, 11010, 11010},
        {EMFILE, 11012, 11012, 11012}, {ENFILE, 11012, 11012, 11012},
        {EACCES, 11013, 11013, 11013}, {EPERM, 11013, 11013, 11013},
        {EBADF, 11014, 11014, 11014},  {ENOMEM, 11016, 11016, 11016},
        {EXDEV, 11025, 11025, 11025},  {EIO, 11047, 9217, 9218},
        {ENOSPC, 11047, 9217, 9218},   {EINVAL, 11047, 9217, 9218},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(storeResultFromErrno(c.error), c.open) << c.error;
        EXPECT_EQ(readResultFromErrno(c.error), c.read) << c.error;
        EXPECT_EQ(writeResultFromErrno(c.error), c.write) << c.error;
    }
    EXPECT_EQ(lockResultFromErrno(ENOLCK), storecode::kLockFailure);
}

TEST(FaultInjectingFileSystem, FailsTheChosenWriteAndRead) {
    FaultInjectingFileSystem faulty(memoryFileSystem());
    std::unique_ptr<StoreFile> file;
    ASSERT_EQ(faulty.create("MEMORY/fault.DAT", file), storecode::kOk);
    auto data = bytesOf("abcdefgh");

    faulty.failWrite(2, StoreFault::ShortTransfer);
    EXPECT_EQ(file->write(0, data.data(), data.size()), storecode::kOk);
    EXPECT_EQ(file->write(8, data.data(), data.size()), storecode::kWriteError);
    std::uint64_t size = 0;
    file->size(size);
    EXPECT_EQ(size, 12u);  // half of the second write reached the file
    EXPECT_EQ(file->write(8, data.data(), data.size()), storecode::kOk);

    faulty.failWrite(1, StoreFault::NoSpace);
    EXPECT_EQ(file->write(0, data.data(), data.size()), storecode::kWriteError);
    faulty.failWrite(1, StoreFault::IoError, true);
    EXPECT_EQ(file->write(0, data.data(), data.size()), storecode::kWriteError);
    EXPECT_EQ(file->write(0, data.data(), data.size()), storecode::kWriteError);  // sticky
    faulty.failWrite(0, StoreFault::IoError);
    EXPECT_EQ(file->write(0, data.data(), data.size()), storecode::kOk);

    std::vector<unsigned char> back(8);
    faulty.failRead(1, StoreFault::ShortTransfer);
    EXPECT_EQ(file->read(0, back.data(), back.size()), storecode::kReadError);
    faulty.failRead(2, StoreFault::IoError);
    EXPECT_EQ(file->read(0, back.data(), back.size()), storecode::kOk);
    EXPECT_EQ(file->read(0, back.data(), back.size()), storecode::kReadError);
    EXPECT_EQ(file->read(0, back.data(), back.size()), storecode::kOk);
    EXPECT_EQ(faulty.readCount(), 4);
    EXPECT_EQ(faulty.writeCount(), 7);
    file.reset();
    memoryFileSystem().remove("MEMORY/fault.DAT");
}
