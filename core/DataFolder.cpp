#include "core/DataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Posix.h"

namespace wispel {

namespace {

// mkdir -p; failures are left for the first file operation to report with its own error.
void makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    }
}

// `dir` ends in "/".
bool isInstalledProgramFolder(const std::string& dir) {
    return ::access((dir + "../share/applications/" WISPEL_DESKTOP_ENTRY).c_str(), F_OK) == 0;
}

}  // namespace

std::string withTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string chooseDataFolder(const std::string& executableDir, const char* xdgDataHome,
                             const char* home) {
    if (!executableDir.empty()) {
        std::string dir = withTrailingSlash(executableDir);
        if (!isInstalledProgramFolder(dir) && (::access((dir + "Sites.DAT").c_str(), F_OK) == 0 ||
                                               ::access(dir.c_str(), W_OK) == 0))
            return dir;
    }
    // Relative values of the variable are to be ignored, as the XDG rules say.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return withTrailingSlash(xdgDataHome) + "wispel/";
    std::string base = home != nullptr && home[0] == '/' ? home : "";
    return withTrailingSlash(base) + ".local/share/wispel/";
}

std::string wispelDataFolder() {
    std::string folder =
        chooseDataFolder(executableDir(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder != withTrailingSlash(executableDir())) makeFolders(folder);
    return folder;
}

}  // namespace wispel
