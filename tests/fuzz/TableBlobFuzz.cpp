// Feeds arbitrary bytes to the blob file's readers and writers: the input's first byte picks
// the block size, the next 64 bytes are eight value references, the rest is the blob file.
// The header is checked; each reference is read; the chains and the free-block chain are
// checked and then made again around the references; a value is written, read back and freed.
// Every input must end in a result code, never a crash, a leak, a hang or an allocation the
// input cannot justify, and a value written must read back as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tablestore/files/StoreFile.h"
#include "tablestore/format/BlobChains.h"
#include "tablestore/format/BlobFile.h"

namespace {

using namespace wispel;

constexpr std::size_t kReferences = 8;
constexpr std::uint32_t kBlockSizes[] = {64, 100, 512, 4096};

void exercise(StoreFile& file, std::uint32_t blockSize, const std::vector<BlobReference>& refs) {
    BlobHeader header;
    if (loadBlobHeader(file, blockSize, header) != storecode::kOk) return;
    std::vector<BlobUse> uses;
    std::string value;
    for (std::size_t i = 0; i < refs.size(); ++i) {
        if (readBlob(file, header, blockSize, refs[i], value) == storecode::kOk)
            uses.push_back({static_cast<std::uint32_t>(i + 1), refs[i]});
    }
    std::vector<std::string> problems;
    checkBlobChains(file, header, blockSize, uses, problems);
    if (rebuildFreeBlocks(file, header, blockSize, uses) != storecode::kOk) return;
    problems.clear();
    checkBlobChains(file, header, blockSize, uses, problems);
    // After the rebuild every block is in a value or free: a new value must not land in
    // another value's blocks, so each value still reads as before.
    const std::string written(3 * blockSize + 5, 'w');
    BlobReference ref;
    if (writeBlob(file, header, blockSize, written, ref) != storecode::kOk) return;
    if (readBlob(file, header, blockSize, ref, value) != storecode::kOk || value != written) std::abort();
    if (!problems.empty()) return;
    freeBlob(file, header, blockSize, ref);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 + kReferences * 8) return 0;
    const std::uint32_t blockSize = kBlockSizes[data[0] % 4];
    std::vector<BlobReference> refs;
    for (std::size_t i = 0; i < kReferences; ++i) refs.push_back(readBlobReference(data + 1 + i * 8));
    const std::size_t skip = 1 + kReferences * 8;
    StoreFileSystem& files = memoryFileSystem();
    std::unique_ptr<StoreFile> file;
    if (files.create("MEMORY/fuzz.BLB", file) != storecode::kOk) return 0;
    if (file->write(0, data + skip, size - skip) == storecode::kOk) exercise(*file, blockSize, refs);
    file.reset();
    files.remove("MEMORY/fuzz.BLB");
    return 0;
}
