// wispel-xml on the fixtures in tests/data/xml: each NAME.xml has its expected output with
// the exit status in NAME.out.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the tool in the fixture folder (so that records name the file the same everywhere).
std::string runTool(const std::filesystem::path& folder, const std::string& file) {
    const std::string command = "cd '" + folder.string() +
                                "' && '" WISPEL_BINARY_DIR "/bin/wispel-xml' '" + file + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return "(cannot run)";
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return output + "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "\n";
}

TEST(WispelXmlTool, PrintsEachFixtureAsExpected) {
    const std::filesystem::path folder = std::filesystem::path(WISPEL_TEST_DATA) / "xml";
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".xml") continue;
        std::filesystem::path expected = entry.path();
        expected.replace_extension(".out");
        ASSERT_TRUE(std::filesystem::exists(expected)) << expected;
        EXPECT_EQ(runTool(folder, entry.path().filename().string()), readFile(expected))
            << entry.path();
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

}  // namespace
