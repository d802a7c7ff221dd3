#pragma once
// A fresh folder for a benchmark's files under the system's temporary folder, named after the
// process and `name`; the benchmark removes it when done.

#include <filesystem>
#include <string>

namespace wispel::bench {

std::filesystem::path benchDir(const std::string& name);

}  // namespace wispel::bench
