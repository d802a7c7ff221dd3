#include "feeds/Sources.h"

#include <memory>
#include <string>
#include <unordered_map>

#include "core/Exception.h"
#include "feeds/Retriever.h"

namespace wispel {

bool TRSSSourceItem::IsDueAt(TDateTime now) const {
    // However long its interval, a source is fetched once before it waits.
    if (lastUpdate_ == 0) return true;
    const double interval = UpdateFrequency / kMinutesPerDay;
    return lastUpdate_ + interval <= now;
}

TRSSSources::TRSSSources(TComponent* owner) : TComponent(owner) {}

void TRSSSources::SetRetriever(TRSSRetriever* retriever) {
    if (retriever_ == retriever) return;
    if (retriever_) RemoveFreeNotification(retriever_);
    retriever_ = retriever;
    if (retriever_) FreeNotification(retriever_);
}

void TRSSSources::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == retriever_) retriever_ = nullptr;
}

namespace {

void requireRetriever(const TRSSRetriever* retriever) {
    if (!retriever) throw Exception("No RSS Retriever Assigned");
}

}  // namespace

void TRSSSources::UpdateSources() {
    requireRetriever(retriever_);
    // The count is taken once: sources the event handler adds wait for the next cycle.
    const int count = sources_.Count();
    for (int index = 0; index < count; ++index) {
        TRSSSourceItem* source = sources_.Items(index);
        if (source->IsDue()) retrieveSource(*source, index);
    }
}

void TRSSSources::retrieveSource(TRSSSourceItem& source, int index) {
    // An event handler may have destroyed the retriever, which cleared the reference.
    requireRetriever(retriever_);
    auto stream = std::make_unique<TMemoryStream>();
    retriever_->Retrieve(source.URL, stream.get());
    if (OnRSSDataRetrieved) OnRSSDataRetrieved(this, stream.get(), source.Site);
    // Stamped only after the handler returned, so a failed hand-over stays due. A handler
    // that emptied the list has freed the source: only one still in its place is stamped.
    if (index < sources_.Count() && sources_.Items(index) == &source) source.MarkUpdated();
}

void ReplaceSourcesKeepingStamps(TRSSSourceCollection& list, const TRSSSourceCollection& fresh) {
    // A name cannot hold a NUL, so name and address joined by one are a key of their own.
    const auto key = [](const TRSSSourceItem& source) { return source.Site + '\0' + source.URL; };
    std::unordered_multimap<std::string, TDateTime> stamps;
    for (int i = 0; i < list.Count(); ++i) stamps.emplace(key(*list[i]), list[i]->lastUpdate_);
    list.Clear();
    for (int i = 0; i < fresh.Count(); ++i) {
        const TRSSSourceItem& from = *fresh[i];
        TRSSSourceItem* source = list.Add();
        source->Site = from.Site;
        source->URL = from.URL;
        source->UpdateFrequency = from.UpdateFrequency;
        source->SiteID = from.SiteID;
        const auto earlier = stamps.find(key(from));
        if (earlier == stamps.end()) continue;
        source->lastUpdate_ = earlier->second;
        stamps.erase(earlier);  // one earlier entry for each new one
    }
}

void AddDesignTimeSource(TRSSSourceCollection& list) {
    TRSSSourceItem* source = list.Add();
    source->URL = kDesignTimeSourceURL;
    source->Site = kDesignTimeSourceSite;
    source->UpdateFrequency = kDesignTimeSourceUpdateFrequency;
}

}  // namespace wispel
