#pragma once
// The list of news sources and the update cycle over it. Each due source is fetched by the
// retriever into a fresh memory stream, which is handed to the owner through an event.

#include <cstdint>
#include <string>

#include "core/Collection.h"
#include "core/Component.h"
#include "core/DateTime.h"
#include "core/Event.h"
#include "core/MemoryStream.h"

namespace wispel {

class TRSSRetriever;
class TRSSSources;
class TRSSSourceCollection;
void ReplaceSourcesKeepingStamps(TRSSSourceCollection& list, const TRSSSourceCollection& fresh);

class TRSSSourceItem : public TCollectionItem {
public:
    std::string URL;                   // the feed's address, passed unchanged to the retriever
    std::int32_t UpdateFrequency = 0;  // minutes that must pass between two retrievals
    std::string Site;                  // display name: the text of the site's tree node
    std::int32_t SiteID = 0;           // the site's row ID in the sites table; 0: none

    // True when the interval since the last completed retrieval has passed; 0 or a negative
    // frequency makes the source due at every cycle, and a new source is always due.
    virtual bool IsDue() const { return IsDueAt(Now()); }
    bool IsDueAt(TDateTime now) const;
    // Stamps the source with the current local time.
    void MarkUpdated() { lastUpdate_ = Now(); }
    TDateTime LastUpdate() const noexcept { return lastUpdate_; }

private:
    friend void ReplaceSourcesKeepingStamps(TRSSSourceCollection& list,
                                            const TRSSSourceCollection& fresh);
    TDateTime lastUpdate_ = 0;  // 0 until the first completed retrieval; never stored
};

class TRSSSourceCollection : public TOwnedCollection<TRSSSourceItem> {
public:
    explicit TRSSSourceCollection(TRSSSources* owner) : owner_(owner) {}
    TRSSSources* Owner() const noexcept { return owner_; }

private:
    TRSSSources* owner_;  // not owned; the component that owns this collection
};

// Sender, the stream just retrieved (owned by the sender, valid only during the call), and
// the source's site name.
using TRSSDataRetrieved = TEvent<TRSSSources*, TMemoryStream*, std::string>;

class TRSSSources : public TComponent {
public:
    explicit TRSSSources(TComponent* owner = nullptr);

    // Not owned. The reference is cleared when the retriever is destroyed first.
    TRSSRetriever* Retriever() const noexcept { return retriever_; }
    void SetRetriever(TRSSRetriever* retriever);

    TRSSSourceCollection& RSSSourceList() noexcept { return sources_; }
    TRSSDataRetrieved OnRSSDataRetrieved;

    // One update cycle over the sources in list order. Raises "No RSS Retriever Assigned"
    // without a retriever; any error of a retrieval or of the event ends the cycle and
    // reaches the caller unchanged, and the failing source keeps its old stamp.
    virtual void UpdateSources();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void retrieveSource(TRSSSourceItem& source, int index);

    TRSSRetriever* retriever_ = nullptr;  // not owned
    TRSSSourceCollection sources_{this};
};

// Replaces the entries of `list` with copies of those of `fresh`, in fresh's order. An
// entry whose site name and address `list` already held keeps that entry's stamp (and takes
// its new interval), so reading an unchanged table again makes nothing due; a new or
// changed site starts due.
void ReplaceSourcesKeepingStamps(TRSSSourceCollection& list, const TRSSSourceCollection& fresh);

// The design-time source a new source list starts with; the window replaces it with the
// sites of its table. It points at this machine so that a bare run never leaves it.
inline constexpr const char* kDesignTimeSourceSite = "Local news";
inline constexpr const char* kDesignTimeSourceURL = "http://127.0.0.1/news.rdf";
inline constexpr std::int32_t kDesignTimeSourceUpdateFrequency = 60;

// Appends the design-time source to `list`.
void AddDesignTimeSource(TRSSSourceCollection& list);

}  // namespace wispel
