// Every program in bin/ follows the same command-line conventions: --help on standard output
// with exit status 0, --version, a wrong option on standard error with exit status 2, and
// "--" before arguments that look like options.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/support/ChildProcess.h"

using wispel::test::ProgramRun;
using wispel::test::runCapturing;
namespace fs = std::filesystem;

namespace {

const fs::path kBin = fs::path(WISPEL_BINARY_DIR) / "bin";

// Every program the build makes, found rather than listed, so that a new one is held to the
// same conventions.
std::vector<std::string> programs() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kBin)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && (name == "wispel" || name.starts_with("wispel-")))
            names.push_back(name);
    }
    return names;
}

ProgramRun run(const std::string& name, const std::vector<std::string>& arguments,
               const std::string& folder = {}) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return runCapturing((kBin / name).string(), arguments, folder);
}

struct Scratch {
    fs::path dir = fs::temp_directory_path() / ("wispel-cli-" + std::to_string(::getpid()));
    Scratch() { fs::create_directories(dir); }
    ~Scratch() { fs::remove_all(dir); }
};

}  // namespace

TEST(CommandLine, EveryProgramAnswersHelpVersionAndWrongOptions) {
    const std::vector<std::string> names = programs();
    ASSERT_GE(names.size(), 5u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ProgramRun help = run(name, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.starts_with("usage: " + name + " ")) << help.out;
        EXPECT_NE(help.out.find("--version"), std::string::npos);
        EXPECT_EQ(help.err, "");

        ProgramRun version = run(name, {"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, name + " " WISPEL_VERSION "\n");

        // The first of the two answers, wherever it stands before "--".
        EXPECT_EQ(run(name, {"--version", "--help"}).out, version.out);

        ProgramRun wrong = run(name, {"--no-such-option"});
        EXPECT_EQ(wrong.status, 2);
        EXPECT_EQ(wrong.out, "");
        // The toolkit may have warned about the environment before the window program's line.
        EXPECT_TRUE(wrong.err.starts_with(name + ": ") ||
                    (name == "wispel" && wrong.err.find("\nwispel: ") != std::string::npos))
            << wrong.err;
        EXPECT_NE(wrong.err.find("\nusage: " + name + " "), std::string::npos) << wrong.err;
    }
}

// After "--" an argument that looks like an option is a file, a source, a name or a URL.
TEST(CommandLine, DoubleDashEndsOptions) {
    Scratch scratch;
    const std::string folder = scratch.dir.string();
    std::ofstream(scratch.dir / "-doc.xml") << "<a><b/></a>";
    fs::copy_file(fs::path(WISPEL_TEST_DATA) / "feeds" / "atom.xml", scratch.dir / "-feed.xml");

    ProgramRun xml = run("wispel-xml", {"--", "-doc.xml"}, folder);
    EXPECT_EQ(xml.status, 0) << xml.out << xml.err;
    EXPECT_NE(xml.out.find("b"), std::string::npos);

    ProgramRun fetch = run("wispel-fetch", {"--tsv", "--file", "--", "-feed.xml"}, folder);
    EXPECT_EQ(fetch.status, 0) << fetch.err;
    EXPECT_TRUE(fetch.out.starts_with("-feed.xml\t")) << fetch.out;
    ProgramRun noFile = run("wispel-fetch", {"--file", "--", "--help"}, folder);
    EXPECT_EQ(noFile.status, 1);
    EXPECT_EQ(noFile.out.find("usage:"), std::string::npos);

    ASSERT_EQ(run("wispel-sites", {"--dir", folder, "create"}).status, 0);
    ProgramRun add = run("wispel-sites", {"--dir", folder, "add", "--", "--update", "http://h/-"});
    EXPECT_EQ(add.status, 0) << add.err;
    ProgramRun list = run("wispel-sites", {"--dir", folder, "list", "--tsv"});
    EXPECT_NE(list.out.find("\t--update\thttp://h/-\t"), std::string::npos) << list.out;

    // Port 1 of loopback refuses: the URL after "--" was taken and tried.
    ProgramRun get = run("wispel-get", {"--max-time", "5", "--", "http://127.0.0.1:1/"});
    EXPECT_EQ(get.status, 1) << get.err;

    // The window program takes no arguments, and "--help" after "--" is one.
    EXPECT_EQ(run("wispel", {"--", "--help"}).status, 2);
}
