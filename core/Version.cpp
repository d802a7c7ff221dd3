#include "core/Version.h"

namespace wispel {

const char* wispelVersion() {
    return WISPEL_VERSION;
}

}  // namespace wispel
