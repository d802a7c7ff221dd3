#include "core/CommandLineTool.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>

#include "core/DataFolder.h"
#include "core/Version.h"

namespace wispel {

namespace {

// "usage: NAME FORM" for the first form, the others indented under it.
void printUsage(const TCommandUsage& usage, std::FILE* out) {
    const char* lead = "usage:";
    for (const char* form = usage.forms; *form != '\0';) {
        const char* end = std::strchr(form, '\n');
        const int length = static_cast<int>(end != nullptr ? end - form : std::strlen(form));
        std::fprintf(out, "%-6s %s %.*s\n", lead, usage.name, length, form);
        lead = "";
        form += length + (end != nullptr ? 1 : 0);
    }
}

std::string writeErrorText(const char* name, int error) {
    std::string text = std::string("Cannot write to ") + name;
    return error != 0 ? text + ": " + std::strerror(error) + "." : text + ".";
}

}  // namespace

bool answerCommonOption(const std::vector<std::string>& arguments, const TCommandUsage& usage,
                        std::FILE* out) {
    for (const std::string& argument : arguments) {
        if (argument == "--") return false;
        if (argument == "--help") {
            printUsage(usage, out);
            std::fprintf(out, "%s\n\n%s", usage.summary, usage.options);
            std::fprintf(out, "  --help              show this help and exit\n"
                              "  --version           show the version and exit\n"
                              "  --                  end of options: what follows is an argument\n");
            return true;
        }
        if (argument == "--version") {
            std::fprintf(out, "%s %s\n", usage.name, wispelVersion());
            return true;
        }
    }
    return false;
}

int usageError(const TCommandUsage& usage, const std::string& message, std::FILE* err) {
    std::fprintf(err, "%s: %s\n", usage.name, message.c_str());
    printUsage(usage, err);
    return 2;
}

void ignoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

std::string outputError(std::FILE* out, const char* name) {
    errno = 0;
    // A write that failed earlier leaves the stream's error flag, though errno has moved on.
    if (std::fflush(out) != 0) return writeErrorText(name, errno);
    return std::ferror(out) != 0 ? writeErrorText(name, 0) : std::string();
}

std::string outputError(std::ostream& out, const char* name) {
    errno = 0;
    out.flush();
    return out.fail() ? writeErrorText(name, errno) : std::string();
}

int runReportingErrors(const std::function<int()>& command) {
    int status = 1;
    try {
        status = command();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown error.\n");
    }
    const std::string writeError = outputError(stdout, "standard output");
    if (writeError.empty()) return status;
    std::fprintf(stderr, "%s\n", writeError.c_str());
    return 1;
}

bool parseSeconds(const std::string& text, int& milliseconds) {
    constexpr long long kMaxMs = 2000000LL * 1000;
    long long total = 0;      // in milliseconds, the fraction's digits beyond them dropped
    long long scale = 1000;   // the worth of the next digit in milliseconds
    bool digits = false;
    bool nonZero = false;
    bool fraction = false;
    for (char c : text) {
        if (c == '.' && !fraction) {
            fraction = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        digits = true;
        nonZero = nonZero || c != '0';
        if (!fraction) {
            total = total * 10 + (c - '0') * 1000;
            if (total > kMaxMs) return false;
        } else {
            scale /= 10;
            total += (c - '0') * scale;
        }
    }
    if (!digits || !nonZero || total > kMaxMs) return false;
    milliseconds = static_cast<int>(total > 0 ? total : 1);
    return true;
}

bool takeDirOption(const std::vector<std::string>& arguments, std::size_t& next,
                   std::string& dir, std::string& error) {
    if (next + 1 >= arguments.size() || arguments[next] != "--dir") return true;
    if (arguments[next + 1].empty()) {
        error = "--dir needs a folder name, not an empty one";
        return false;
    }
    dir = withTrailingSlash(arguments[next + 1]);
    next += 2;
    return true;
}

}  // namespace wispel
