#include "tablestore/files/StoreFile.h"

namespace wispel {

StoreResult StoreFile::read(std::uint64_t offset, void* buffer, std::size_t size) {
    std::size_t got = 0;
    StoreResult result = readSome(offset, buffer, size, got);
    if (result != storecode::kOk) return result;
    return got == size ? storecode::kOk : storecode::kReadError;
}

}  // namespace wispel
