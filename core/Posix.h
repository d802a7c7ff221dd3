#pragma once
// Thin helpers over POSIX calls shared by the subsystems that talk to the system directly.

#include <cerrno>
#include <string>

namespace wispel {

// Repeats a system call for as long as it is interrupted by a signal.
template <class Call>
auto retryOnEintr(Call call) {
    for (;;) {
        auto result = call();
        if (!(result == -1 && errno == EINTR)) return result;
    }
}

// Full path of the running executable, and its folder with a trailing "/".
std::string executablePath();
std::string executableDir();

}  // namespace wispel
