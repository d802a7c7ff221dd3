#include "core/Posix.h"

#include <climits>
#include <unistd.h>

namespace wispel {

std::string executablePath() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string executableDir() {
    std::string path = executablePath();
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace wispel
