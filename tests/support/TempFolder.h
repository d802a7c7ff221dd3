#pragma once
// A fresh folder under /tmp for one test, removed with everything in it when the object goes.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace wispel::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "wispel-test") {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder in /tmp");
        path_ = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, ending in "/".
    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace wispel::test
