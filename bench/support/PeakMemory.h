#pragma once
// Live heap bytes and their high-water mark, so that a benchmark can report the peak memory
// of one run of ours next to the peer's, both counted the same way: linking this file
// replaces the program's operator new and delete with counted ones, and the peer's
// allocator hooks are pointed at countedMalloc and the others (libxml2's xmlMemSetup). The
// bulk memory of large documents, mapped outside the heap, counts as live bytes too.

#include <cstddef>

namespace wispel::bench {

// Counts a block the caller got from the C library.
void countBlock(void* block);
void* countedMalloc(std::size_t size);
void countedFree(void* block);
void* countedRealloc(void* block, std::size_t size);
char* countedStrdup(const char* text);

// The peak growth of live heap bytes, in kB, while `run` runs once. Node chunks kept from
// earlier documents are handed back first, so that the run takes all it uses from the heap.
template <class Run>
double peakKb(Run run);

// What peakKb is made of, for callers that cannot pass a callable.
void startPeak();
double peakKbSinceStart();

template <class Run>
double peakKb(Run run) {
    startPeak();
    run();
    return peakKbSinceStart();
}

}  // namespace wispel::bench
