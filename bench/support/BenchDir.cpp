#include "bench/support/BenchDir.h"

#include <unistd.h>

namespace wispel::bench {

std::filesystem::path benchDir(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() /
                   ("wispel-bench-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace wispel::bench
