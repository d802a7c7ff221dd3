#pragma once
// Where the program and its tools keep "Sites.DAT": the executable's folder when the table
// is already there or the folder is writable (a build tree, a portable copy); otherwise,
// and always for an installed program, $XDG_DATA_HOME/wispel (~/.local/share/wispel when
// the variable is unset or not absolute). Every answer ends in "/".
//
// An installed program is one whose folder is the bin/ of a prefix that holds the program's
// desktop entry in share/applications/. Its folder is no place for a user's data even where
// the user may write there (root and /usr/bin).

#include <string>

namespace wispel {

// The folder name as this system writes folder names: ending in "/".
std::string withTrailingSlash(std::string path);

// The data folder of this process; the XDG folder is created when it is chosen and missing.
std::string wispelDataFolder();

// The choice itself, for a given executable folder and environment (no folder is created).
std::string chooseDataFolder(const std::string& executableDir, const char* xdgDataHome,
                             const char* home);

}  // namespace wispel
