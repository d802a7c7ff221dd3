#pragma once
// The invariant check of an index file: for every index, keys in strictly ascending order
// within and across the pages of each level, the per-level previous and next links, the
// page kinds of roots, branches and leaves with all leaves at one depth, every branch
// entry's first key and record count equal to its child's, the free-page chains, and every
// page of the used file in exactly one tree or free chain. It also compares the header's count
// of active records with the active keys of the system index.
//
// The check reads the pages as they stand, changes not yet written included, and never
// follows more links than the file has pages: a damaged file gives a report, never a hang.

#include <cstdint>
#include <string>
#include <vector>

#include "tablestore/index/IndexFile.h"

namespace wispel {

struct TIndexCheckReport {
    std::vector<std::string> Problems;  // one sentence each; empty when the file is sound
    std::uint32_t PagesInTrees = 0;
    std::uint32_t PagesFree = 0;

    bool ok() const { return Problems.empty(); }
    // The problems, one per line.
    std::string text() const;
};

TIndexCheckReport checkIndexFile(TIndexFile& file);

}  // namespace wispel
