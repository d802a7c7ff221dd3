#pragma once
// The one version of the program, its tools, its about box and its package. It is set once,
// in the top build file, and reaches the code only through here.

namespace wispel {

const char* wispelVersion();

}  // namespace wispel
