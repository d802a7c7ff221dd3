// The Debian package, made by CPack from this build tree into a scratch folder: its file
// name, control fields and contents, and the checks Debian's tools make of its desktop entry
// and its software-centre metadata. It is made from the tree the tests run in (sanitizer
// build, already built) rather than from a release build of its own: what it checks is the
// install rules and the package configuration, which both trees share, and a second build
// would double the cost of the test command. scripts/package.sh makes the release package.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/support/ChildProcess.h"

using wispel::test::ProgramRun;
using wispel::test::runCapturing;
namespace fs = std::filesystem;

namespace {

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// Width and height from a PNG file's header chunk.
std::pair<uint32_t, uint32_t> pngSize(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    auto word = [&](int at) {
        return uint32_t{head[at]} << 24 | uint32_t{head[at + 1]} << 16 |
               uint32_t{head[at + 2]} << 8 | uint32_t{head[at + 3]};
    };
    return {word(16), word(20)};
}

// The package made into a scratch folder and unpacked there.
struct Made {
    fs::path work = fs::temp_directory_path() / ("wispel-package-" + std::to_string(::getpid()));
    fs::path root = work / "root";
    std::string arch = trimmed(runCapturing("dpkg", {"--print-architecture"}).out);
    fs::path deb = work / ("wispel_" WISPEL_VERSION "_" + arch + ".deb");
    ProgramRun cpack;

    Made() {
        fs::create_directories(work);
        cpack = runCapturing("cpack", {"--config", WISPEL_BINARY_DIR "/CPackConfig.cmake", "-B",
                                       work.string()});
        runCapturing("dpkg-deb", {"-x", deb.string(), root.string()});
    }
    ~Made() { fs::remove_all(work); }

    std::string field(const std::string& name) const {
        return trimmed(runCapturing("dpkg-deb", {"-f", deb.string(), name}).out);
    }
};

void checkControlFields(const Made& made) {
    EXPECT_EQ(made.field("Package"), "wispel");
    EXPECT_EQ(made.field("Version"), WISPEL_VERSION);
    EXPECT_EQ(made.field("Architecture"), made.arch);
    EXPECT_EQ(made.field("Section"), "news");
    EXPECT_NE(made.field("Maintainer").find('<'), std::string::npos);
    EXPECT_NE(made.field("Description").find("\n "), std::string::npos);  // an extended one
    const std::string depends = made.field("Depends");
    for (const char* library : {"libc6 (>=", "libqt6widgets6 (>=", "libssl3", "libqt6svg6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
}

void checkContents(const Made& made) {
    const std::string list = runCapturing("dpkg-deb", {"-c", made.deb.string()}).out;
    std::set<std::string> files;
    std::istringstream lines(list);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_NE(line.find(" root/root "), std::string::npos) << line;
        if (line.starts_with("d")) {
            EXPECT_TRUE(line.starts_with("drwxr-xr-x ")) << line;
            continue;
        }
        EXPECT_TRUE(line.starts_with("-rw-r--r-- ") || line.starts_with("-rwxr-xr-x ")) << line;
        files.insert(line.substr(line.find("./usr/") + 2));
    }
    std::set<std::string> expected = {
        "usr/share/applications/" WISPEL_APP_ID ".desktop",
        "usr/share/metainfo/" WISPEL_APP_ID ".metainfo.xml",
        "usr/share/icons/hicolor/scalable/apps/wispel.svg",
        "usr/share/doc/wispel/copyright",
        "usr/share/doc/wispel/changelog.gz",
    };
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        expected.insert("usr/share/icons/hicolor/" + name + "/apps/wispel.png");
        EXPECT_EQ(pngSize(made.root / "usr/share/icons/hicolor" / name / "apps/wispel.png"),
                  std::make_pair(uint32_t(size), uint32_t(size)));
    }
    // The window program, the four tools, and any tool added later, each with its manual page.
    for (const char* program : {"wispel", "wispel-fetch", "wispel-get", "wispel-xml", "wispel-sites"})
        EXPECT_TRUE(files.contains("usr/bin/" + std::string(program))) << program;
    for (const std::string& file : files) {
        if (!file.starts_with("usr/bin/")) continue;
        const std::string program = file.substr(8);
        expected.insert(file);
        expected.insert("usr/share/man/man1/" + program + ".1.gz");
    }
    std::set<std::string> missing, extra;
    for (const std::string& file : expected)
        if (!files.contains(file)) missing.insert(file);
    for (const std::string& file : files)
        if (!expected.contains(file)) extra.insert(file);
    EXPECT_EQ(missing, std::set<std::string>{});
    EXPECT_EQ(extra, std::set<std::string>{});
}

void checkDesktopFiles(const Made& made) {
    const fs::path share = made.root / "usr/share";
    ProgramRun desktop = runCapturing(
        "desktop-file-validate", {(share / "applications" / WISPEL_APP_ID ".desktop").string()});
    EXPECT_EQ(desktop.status, 0) << desktop.out << desktop.err;
    EXPECT_EQ(desktop.out + desktop.err, "");
    ProgramRun metainfo = runCapturing(
        "appstreamcli", {"validate", "--no-net", "--pedantic",
                         (share / "metainfo" / WISPEL_APP_ID ".metainfo.xml").string()});
    EXPECT_EQ(metainfo.status, 0) << metainfo.out << metainfo.err;
    EXPECT_NE(metainfo.out.find("Validation was successful"), std::string::npos) << metainfo.out;
}

// One version: the package's, each installed program's, the release in the metadata and the
// changelog's.
void checkVersions(const Made& made) {
    const fs::path& root = made.root;
    for (const auto& entry : fs::directory_iterator(root / "usr/bin")) {
        ProgramRun version = runCapturing(entry.path().string(), {"--version"});
        EXPECT_EQ(version.out, entry.path().filename().string() + " " + made.field("Version") + "\n");
    }
    std::ifstream in(root / "usr/share/metainfo" / WISPEL_APP_ID ".metainfo.xml");
    const std::string metainfo((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(metainfo.find("<release version=\"" WISPEL_VERSION "\""), std::string::npos);
    const std::string changelog =
        runCapturing("zcat", {(root / "usr/share/doc/wispel/changelog.gz").string()}).out;
    EXPECT_TRUE(changelog.starts_with("wispel (" WISPEL_VERSION ") ")) << changelog;
}

}  // namespace

TEST(Package, HoldsWhatDebianAndDesktopsLookFor) {
    const Made made;
    ASSERT_EQ(made.cpack.status, 0) << made.cpack.out << made.cpack.err;
    ASSERT_TRUE(fs::exists(made.deb)) << made.cpack.out;
    {
        SCOPED_TRACE("control fields");
        checkControlFields(made);
    }
    {
        SCOPED_TRACE("contents");
        checkContents(made);
    }
    {
        SCOPED_TRACE("desktop entry and metadata");
        checkDesktopFiles(made);
    }
    {
        SCOPED_TRACE("versions");
        checkVersions(made);
    }
}
