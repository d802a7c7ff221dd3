#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/DataFolder.h"

using namespace wispel;
namespace fs = std::filesystem;

namespace {

struct DataFolderTest : ::testing::Test {
    fs::path root = fs::temp_directory_path() /
                    ("wispel-datafolder-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(root / "bin"); }
    void TearDown() override {
        fs::permissions(root / "bin", fs::perms::owner_all);
        fs::remove_all(root);
    }
    std::string bin() const { return (root / "bin").string(); }
};

}  // namespace

TEST_F(DataFolderTest, WritableExecutableFolderIsTheDataFolder) {
    EXPECT_EQ(chooseDataFolder(bin(), "/xdg", "/home/u"), bin() + "/");
}

TEST_F(DataFolderTest, ReadOnlyFolderWithTheTableIsTheDataFolder) {
    std::ofstream(root / "bin" / "Sites.DAT") << "x";
    fs::permissions(root / "bin", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(chooseDataFolder(bin(), "/xdg", "/home/u"), bin() + "/");
}

TEST_F(DataFolderTest, InstalledProgramUsesTheUsersDataFolder) {
    fs::permissions(root / "bin", fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(bin().c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights to any folder";
    EXPECT_EQ(chooseDataFolder(bin(), "/xdg/", "/home/u"), "/xdg/wispel/");
    EXPECT_EQ(chooseDataFolder(bin(), nullptr, "/home/u"), "/home/u/.local/share/wispel/");
    EXPECT_EQ(chooseDataFolder(bin(), "relative", "/home/u"), "/home/u/.local/share/wispel/");
}

// Root may write to /usr/bin, and an installed program must still not keep its table there,
// nor read one that an older copy left there.
TEST_F(DataFolderTest, InstalledProgramUsesTheUsersDataFolderWhereverItMayWrite) {
    fs::create_directories(root / "share" / "applications");
    std::ofstream(root / "share" / "applications" / "io.github.wispel.Wispel.desktop") << "x";
    std::ofstream(root / "bin" / "Sites.DAT") << "x";
    EXPECT_EQ(chooseDataFolder(bin(), "/xdg", "/home/u"), "/xdg/wispel/");
    fs::remove(root / "share" / "applications" / "io.github.wispel.Wispel.desktop");
    EXPECT_EQ(chooseDataFolder(bin(), "/xdg", "/home/u"), bin() + "/");
}
