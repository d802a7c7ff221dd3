#include "tablestore/index/IndexChecker.h"

#include <cstring>

#include "tablestore/index/PageCodec.h"

namespace wispel {

using namespace indexlayout;

std::string TIndexCheckReport::text() const {
    std::string out;
    for (const std::string& problem : Problems) out += problem + "\n";
    return out;
}

namespace {

constexpr int kNoOwner = -1;
constexpr int kFreeOwner = 100;  // owner codes from here on: a slot's free chain

// A page one level down as its parent entry announces it.
struct Expected {
    std::uint32_t Offset;
    std::vector<std::uint8_t> FirstKey;  // empty for the root
    std::uint32_t Count;
};

class Checker {
public:
    Checker(TIndexFile& file, TIndexCheckReport& report)
        : file_(file),
          header_(file.header()),
          report_(report),
          owners_(header_.EndOfFile / kPageSize, kNoOwner) {}

    void run() {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const TIndexSlot& s = header_.Slots[slot];
            if (header_.slotHoldsKeys(slot)) {
                checkTree(slot);
            } else if (s.Root != 0) {
                problem(slot, "holds no keys but has a root page " + std::to_string(s.Root));
            }
            if (s.FreeHead != 0) checkFreeChain(slot);
        }
        for (std::size_t page = 1; page < owners_.size(); ++page) {
            if (owners_[page] == kNoOwner) {
                report_.Problems.push_back("page " + std::to_string(page * kPageSize) +
                                           " is in no index and no free chain");
            }
        }
        if (systemActive_ != header_.ActiveRecords) {
            report_.Problems.push_back(
                "the header counts " + std::to_string(header_.ActiveRecords) +
                " active records, the system index holds " + std::to_string(systemActive_));
        }
    }

private:
    static std::string slotName(int slot, const TIndexSlot& s) {
        if (slot == kPrimarySlot) return "primary index";
        if (slot == kSystemSlot) return "system index";
        return "index '" + s.Name + "'";
    }

    void problem(int slot, const std::string& what) {
        report_.Problems.push_back(slotName(slot, header_.Slots[slot]) + ": " + what);
    }
    void pageProblem(int slot, std::uint32_t offset, const std::string& what) {
        problem(slot, "page " + std::to_string(offset) + " " + what);
    }

    // Claims the page for `owner`; false (with a problem) when it is not a page of the used
    // file or is claimed already.
    bool claim(int slot, std::uint32_t offset, int owner) {
        if (offset == 0 || !validPageOffset(offset, header_.EndOfFile)) {
            problem(slot, "link to " + std::to_string(offset) + ", which is not a page");
            return false;
        }
        int& current = owners_[offset / kPageSize];
        if (current != kNoOwner) {
            pageProblem(slot, offset, "is used twice");
            return false;
        }
        current = owner;
        return true;
    }

    bool readPage(int slot, std::uint32_t offset, TIndexPage& page) {
        std::uint8_t image[kPageSize];
        StoreResult result = file_.pages().readImage(offset, image);
        if (result == storecode::kOk) {
            result = decodePage(image, file_.pages().format(slot), header_.EndOfFile, page,
                                false);
        }
        if (result != storecode::kOk) {
            pageProblem(slot, offset, "cannot be read (error " + std::to_string(result) + ")");
            return false;
        }
        page.Offset = offset;
        return true;
    }

    void checkTree(int slot) {
        const TIndexSlot& s = header_.Slots[slot];
        if (s.Root == 0) return;
        const std::size_t keyLength = s.KeyLength;
        std::vector<Expected> level{Expected{s.Root, {}, 0}};
        for (std::size_t depth = 0; !level.empty(); ++depth) {
            if (depth == TIndexTree::kMaxDepth) {
                problem(slot, "is deeper than " + std::to_string(depth) + " levels");
                return;
            }
            std::vector<Expected> below;
            std::vector<std::uint8_t> lastKey;
            int leafLevel = -1;
            for (const Expected& expected : level) {
                TIndexPage page;
                if (!claim(slot, expected.Offset, slot) || !readPage(slot, expected.Offset, page)) {
                    continue;
                }
                ++report_.PagesInTrees;
                const std::uint32_t offset = expected.Offset;
                if (page.isRoot() != (depth == 0)) {
                    pageProblem(slot, offset, "has kind " + std::to_string(page.Kind) +
                                                  " at depth " + std::to_string(depth));
                }
                if (leafLevel == -1) leafLevel = page.isLeaf();
                if (leafLevel != static_cast<int>(page.isLeaf())) {
                    pageProblem(slot, offset, "mixes leaf and branch pages on one level");
                }
                checkLinks(slot, page, level, &expected - level.data());
                for (std::size_t i = 0; i < page.count(); ++i) {
                    const std::uint8_t* key = page.key(i);
                    if ((i > 0 || !lastKey.empty()) &&
                        std::memcmp(i > 0 ? page.key(i - 1) : lastKey.data(), key, keyLength) >= 0) {
                        pageProblem(slot, offset, "has keys out of order at entry " +
                                                      std::to_string(i));
                    }
                    if (slot == kSystemSlot && page.isLeaf() && key[0] == 0) ++systemActive_;
                }
                lastKey.assign(page.key(page.count() - 1), page.key(page.count() - 1) + keyLength);
                if (depth > 0) {
                    if (std::memcmp(expected.FirstKey.data(), page.key(0), keyLength) != 0) {
                        pageProblem(slot, offset, "has a first key other than its parent's entry");
                    }
                    if (expected.Count != page.total()) {
                        pageProblem(slot, offset, "holds " + std::to_string(page.total()) +
                                                      " records, its parent's entry says " +
                                                      std::to_string(expected.Count));
                    }
                }
                if (!page.isLeaf()) {
                    for (std::size_t i = 0; i < page.count(); ++i) {
                        below.push_back(Expected{page.Refs[i],
                                                 {page.key(i), page.key(i) + keyLength},
                                                 page.Counts[i]});
                    }
                }
            }
            level = std::move(below);
        }
    }

    // The page's previous link names the page before it on its level, its next link the
    // page after it (as the parents list them), 0 at either end.
    void checkLinks(int slot, const TIndexPage& page, const std::vector<Expected>& level,
                    std::size_t position) {
        const std::uint32_t wantPrev = position == 0 ? 0 : level[position - 1].Offset;
        const std::uint32_t wantNext = position + 1 < level.size() ? level[position + 1].Offset : 0;
        if (page.Prev != wantPrev) {
            pageProblem(slot, page.Offset, "links back to " + std::to_string(page.Prev) +
                                               " instead of " + std::to_string(wantPrev));
        }
        if (page.Next != wantNext) {
            pageProblem(slot, page.Offset, "links on to " + std::to_string(page.Next) +
                                               " instead of " + std::to_string(wantNext));
        }
    }

    void checkFreeChain(int slot) {
        for (std::uint32_t offset = header_.Slots[slot].FreeHead; offset != 0;) {
            if (!claim(slot, offset, kFreeOwner + slot)) {
                problem(slot, "free chain is broken at " + std::to_string(offset));
                return;
            }
            ++report_.PagesFree;
            std::uint8_t image[kPageSize];
            if (file_.pages().readImage(offset, image) != storecode::kOk) {
                pageProblem(slot, offset, "of the free chain cannot be read");
                return;
            }
            const TFreePageHeader free = readFreePageHeader(image);
            if (free.Count != 0) pageProblem(slot, offset, "is on the free chain but holds entries");
            offset = free.Next;
        }
    }

    TIndexFile& file_;
    const TIndexHeader& header_;
    TIndexCheckReport& report_;
    std::vector<int> owners_;  // per page of the used file: the slot, or kFreeOwner + slot
    std::uint32_t systemActive_ = 0;
};

}  // namespace

TIndexCheckReport checkIndexFile(TIndexFile& file) {
    TIndexCheckReport report;
    Checker(file, report).run();
    return report;
}

}  // namespace wispel
