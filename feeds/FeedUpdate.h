#pragma once
// The update: every due source of the list fetched and parsed side by side by a small pool of
// worker threads, and each site's outcome reported to a view in the order of the list.
//
//   TFeedUpdate update(view);                 // view: a TUpdateView
//   LoadActiveSites(table, update.Sources().RSSSourceList());
//   update.Run();                             // or Start(), then Deliver() on each wake-up
//
// Threads. Each worker owns its retriever (with its HTTP client) and its feed parser, takes
// the next due site, fetches it, parses it and leaves the result for the owner's thread: the
// thread that called Start. Only that thread touches the source list, the validators and the
// view. A result is reported once every site before it in the list has been reported, so a
// slow site holds back the reports of the sites after it, never the fetching.
//
// Outcomes. A site that fails is reported with its error and stays due; the others go on.
// A retrieved or unchanged site is stamped (MarkUpdated) when it is reported. Stop ends the
// update at once: the workers' sockets are shut down, the results already complete are
// reported in list order, and nothing of a site still under way reaches the view.
//
// The view must not destroy the update, nor start another, from within its calls; it may
// call Stop.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "feeds/ItemModel.h"
#include "feeds/Sources.h"

namespace wispel {

class TFeedValidators;
class TRSSRetriever;

inline constexpr int kDefaultUpdateJobs = 6;  // sites fetched at once
inline constexpr int kMaxUpdateJobs = 64;

// One site of the update as the view sees it.
struct TUpdateSite {
    int Index = 0;     // its place in the source list when the update started
    std::string Site;  // the display name
    std::string URL;
    std::string FeedTitle;    // the feed's own title, once it was retrieved
    std::int32_t SiteID = 0;  // its row in the sites table; 0 when it came from none
};

struct TUpdateSummary {
    int Sites = 0;        // sites reported, whatever their outcome
    int Items = 0;        // items of the retrieved sites
    int NotModified = 0;  // sites whose feed had not changed
    int Failed = 0;
    bool Stopped = false;  // Stop ended the update before every site was reported
};

// What an update tells its view, always on the owner's thread.
class TUpdateView {
public:
    virtual ~TUpdateView() = default;
    // The site's feed with its items in feed order (valid only during the call).
    virtual void SiteRetrieved(const TUpdateSite& site, const TRSSListedItemCollection& items) = 0;
    // The server says the feed has not changed since the last retrieval: the news shown for
    // the site stay as they are.
    virtual void SiteNotModified(const TUpdateSite& site) = 0;
    // The site could not be fetched or read; `message` is the error as the error box words it.
    virtual void SiteFailed(const TUpdateSite& site, const std::string& message) = 0;
    // Every site has been reported, or the update was stopped.
    virtual void UpdateFinished(const TUpdateSummary& summary) = 0;
};

class TFeedUpdate {
public:
    explicit TFeedUpdate(TUpdateView& view);
    // Stops a running update without reporting anything more.
    ~TFeedUpdate();
    TFeedUpdate(const TFeedUpdate&) = delete;
    TFeedUpdate& operator=(const TFeedUpdate&) = delete;

    // The list of sites and their due rules; used on the owner's thread only.
    TRSSSources& Sources() noexcept { return *sources_; }

    // --- Settings, read by Start.
    int Jobs = kDefaultUpdateJobs;  // workers at most; 1 to kMaxUpdateJobs
    int TotalTimeout = 0;           // ms for each site's request; 0: the client's default
    // Makes a worker's retriever, on that worker's thread; unset: a TRSSRetriever.
    std::function<std::unique_ptr<TRSSRetriever>()> MakeRetriever;
    // Where the sites' validators live, for requests that ask for a changed feed only; not
    // owned, may be unset. Read at Start and changed as sites are reported.
    TFeedValidators* Validators = nullptr;
    // Called on a worker's thread whenever a result is ready: the owner then calls Deliver
    // on its own thread. Must be safe to call from any thread.
    std::function<void()> OnResultReady;

    // Starts fetching every source that is due at `at` and that `pick` (when set) accepts.
    // Returns the number of sites under way; with none, the view hears UpdateFinished at once.
    // Raises an error when an update is running.
    int Start(const std::function<bool(const TRSSSourceItem&)>& pick = {}, TDateTime at = Now());
    bool Running() const noexcept;
    // True while the site at `index` of the list is being fetched.
    bool Fetching(int index) const;
    // On the owner's thread: reports the results that are next in order, and the end.
    void Deliver();
    // Start, then report everything as it comes, on this thread, until the update ends.
    void Run(const std::function<bool(const TRSSSourceItem&)>& pick = {});
    // Shuts the workers' sockets down, waits for them (at most the time a parse under way
    // takes), reports the complete results and then UpdateFinished with Stopped.
    void Stop();

private:
    struct Batch;
    void report(int job);
    void finish(bool stopped);
    void waitForWorkers(bool abort);

    TUpdateView& view_;
    std::unique_ptr<TComponent> owner_;  // owns sources_
    TRSSSources* sources_;
    std::unique_ptr<Batch> batch_;  // the running update, or null
    bool delivering_ = false;       // within Deliver's calls of the view
    bool stopRequested_ = false;    // Stop was called from within one of them
};

}  // namespace wispel
