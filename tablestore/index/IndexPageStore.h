#pragma once
// The pages of one index file between the file and the trees: a cache of decoded pages,
// the taking and releasing of pages through each index's free-page chain, and the writing of
// changed pages. Pages stay put while an operation runs (the cache is only trimmed between
// operations), so a tree may hold on to the pages along its path.
//
// *file and *header must outlive the store; the header is the index file's, whose end of
// the used file and free-chain heads the store moves.

#include <cstdint>
#include <memory>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/index/IndexHeader.h"
#include "tablestore/index/IndexPage.h"

namespace wispel {

class TIndexPageStore {
public:
    TIndexPageStore(StoreFile& file, TIndexHeader& header) : file_(file), header_(header) {}
    TIndexPageStore(const TIndexPageStore&) = delete;
    TIndexPageStore& operator=(const TIndexPageStore&) = delete;

    TPageFormat format(int slot) const;

    // The page of index `slot` at `offset`, from the cache or the file. 8965 when the offset
    // is not a page of the used file, the page does not decode, is free, or belongs to
    // another index; read errors as the file gives them.
    StoreResult load(int slot, std::uint32_t offset, TIndexPage*& page);
    // A new, empty page of `slot`: the head of its free chain, or a page at the end of the
    // used file (9479 when that would reach the limit). 8965 when the chain's head is not a
    // free page.
    StoreResult allocate(int slot, std::uint8_t kind, TIndexPage*& page);
    // Puts the page at the head of its index's free chain.
    void release(TIndexPage& page);
    void markDirty(TIndexPage& page);

    // The page's 4096 bytes as they stand, the pending changes included.
    StoreResult readImage(std::uint32_t offset, std::uint8_t* image);

    bool hasPending() const { return !dirty_.empty(); }
    std::size_t pendingPages() const { return dirty_.size(); }
    // Writes every changed page, in file order.
    StoreResult writePending();
    // Forgets every change not yet written.
    void discardPending();
    // Forgets every page.
    void dropAll();
    // Forgets unchanged pages when the cache holds more than its bound. No page pointer may
    // be held across a call.
    void trim();

    // While set, a page that is not cached is not read: load fails (9217) and `missed` tells
    // so, so that a reader without a lock can try the cached pages first and go to the file
    // under a lock only when they do not suffice.
    void setCachedOnly(bool cachedOnly) {
        cachedOnly_ = cachedOnly;
        missed_ = false;
    }
    bool missed() const { return missed_; }

private:
    StoreResult readPage(std::uint32_t offset, std::uint8_t* image);
    TIndexPage* cached(std::uint32_t offset) const {
        const std::size_t at = offset / indexlayout::kPageSize;
        return at < pages_.size() ? pages_[at].get() : nullptr;
    }
    TIndexPage& cacheNew(std::uint32_t offset);
    void forget(std::uint32_t offset);

    StoreFile& file_;
    TIndexHeader& header_;
    // Cached pages by page number (offset / 4096): one look-up per level of a descent.
    std::vector<std::unique_ptr<TIndexPage>> pages_;
    std::size_t cachedCount_ = 0;
    std::size_t cachedBytes_ = 0;  // key bytes of the pages read since the last trim, about
    std::vector<std::uint32_t> dirty_;  // offsets of changed pages, each once
    bool cachedOnly_ = false;
    bool missed_ = false;
};

}  // namespace wispel
