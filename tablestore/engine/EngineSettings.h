#pragma once
// The settings an engine session takes over from its session component; every table and
// cursor of the session reads them from there.

#include <cstdint>

namespace wispel {

class StoreFileSystem;

struct TEngineSettings {
    bool strictChangeDetection = false;  // re-read headers under a read lock at every operation
    bool forceBufferFlush = false;       // files opened write-through
    std::uint8_t lockRetryCount = 15;    // further rounds of a refused record lock
    std::uint16_t lockWaitTime = 100;    // milliseconds between those rounds
    std::uint16_t languageID = 0;        // locale of new tables
    std::uint16_t sortID = 0;
    // The file system of the session's tables on disk; null is the real disk. Tests put one
    // here that fails a chosen write, for the tables of their session only.
    StoreFileSystem* diskFiles = nullptr;
};

}  // namespace wispel
