#include "feeds/FeedUpdate.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "core/ErrorText.h"
#include "core/Exception.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedValidators.h"
#include "feeds/Retriever.h"
#include "feeds/SiteFetch.h"
#include "http/NetHTTP.h"

namespace wispel {

// The running update. Jobs and the settings are fixed before the workers start; results
// and the hand-over counters change under `mutex`.
struct TFeedUpdate::Batch {
    struct Job {
        TUpdateSite site;
        TFeedValidator known;  // sent with the request
    };
    struct Slot {
        bool done = false;
        TSiteOutcome outcome;
    };

    std::vector<Job> jobs;
    int totalTimeout = 0;
    std::function<std::unique_ptr<TRSSRetriever>()> makeRetriever;
    std::function<void()> onResultReady;

    std::mutex mutex;
    std::condition_variable ready;      // a slot is done, or a worker ended
    std::vector<Slot> slots;            // one per job
    std::size_t nextJob = 0;            // the next job a worker takes
    std::vector<int> fetching;          // the job each worker is on, -1 between jobs
    std::vector<TRSSRetriever*> retrievers;  // each worker's, while it lives
    bool stopping = false;
    int workersRunning = 0;

    std::size_t nextReport = 0;  // owner's thread only
    TUpdateSummary summary;      // owner's thread only
    std::vector<std::thread> threads;

    class Registration;
    void work(std::size_t worker);
    // The next job for `worker`, or false when there is none or the update stops.
    bool take(std::size_t worker, std::size_t& job);
    void put(std::size_t worker, std::size_t job, TSiteOutcome outcome);
    void abortAll();
    // Ends a worker: `setupError` is why it could not start (empty when it ran).
    void leave(const std::string& setupError);
};

// Makes a worker's retriever known to Stop for the lifetime of this object.
class TFeedUpdate::Batch::Registration {
public:
    Registration(Batch& batch, std::size_t worker, TRSSRetriever& retriever)
        : batch_(batch), worker_(worker) {
        std::lock_guard<std::mutex> lock(batch_.mutex);
        batch_.retrievers[worker_] = &retriever;
        // A stop that came before the retriever was known still reaches it.
        if (batch_.stopping && retriever.HTTP()) retriever.HTTP()->Binding().Abort();
    }
    ~Registration() {
        std::lock_guard<std::mutex> lock(batch_.mutex);
        batch_.retrievers[worker_] = nullptr;
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    Batch& batch_;
    std::size_t worker_;
};

void TFeedUpdate::Batch::work(std::size_t worker) {
    std::string setupError;
    try {
        std::unique_ptr<TRSSRetriever> retriever =
            makeRetriever ? makeRetriever() : std::make_unique<TRSSRetriever>();
        if (totalTimeout > 0 && retriever->HTTP()) retriever->HTTP()->TotalTimeout = totalTimeout;
        TRSSParser parser;
        // Known to Stop from here until just before the retriever goes.
        const Registration registration(*this, worker, *retriever);
        std::size_t job;
        while (take(worker, job)) {
            put(worker, job, fetchSite(*retriever, parser, jobs[job].site.URL, jobs[job].known));
        }
    } catch (const std::exception& error) {
        setupError = errorBoxText(error);
    } catch (...) {
        setupError = "Unknown error.";
    }
    leave(setupError);
}

void TFeedUpdate::Batch::leave(const std::string& setupError) {
    bool failedRest = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        // The last worker to go fails the sites no worker could take, so that none is
        // left waiting; that only happens when no worker could be set up.
        if (--workersRunning == 0 && !stopping) {
            for (; nextJob < jobs.size(); ++nextJob) {
                slots[nextJob].outcome.kind = TSiteOutcome::Kind::Failed;
                slots[nextJob].outcome.message = setupError.empty() ? "Unknown error." : setupError;
                slots[nextJob].done = true;
                failedRest = true;
            }
        }
    }
    ready.notify_all();
    if (failedRest && onResultReady) onResultReady();
}

bool TFeedUpdate::Batch::take(std::size_t worker, std::size_t& job) {
    std::lock_guard<std::mutex> lock(mutex);
    if (stopping || nextJob == jobs.size()) return false;
    job = nextJob++;
    fetching[worker] = static_cast<int>(job);
    return true;
}

void TFeedUpdate::Batch::put(std::size_t worker, std::size_t job, TSiteOutcome outcome) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        fetching[worker] = -1;
        // After a stop an outcome may be the work of a shut-down socket: it is not reported.
        if (stopping) return;
        slots[job].outcome = std::move(outcome);
        slots[job].done = true;
    }
    ready.notify_all();
    if (onResultReady) onResultReady();
}

void TFeedUpdate::Batch::abortAll() {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
    for (TRSSRetriever* retriever : retrievers) {
        if (retriever && retriever->HTTP()) retriever->HTTP()->Binding().Abort();
    }
}

TFeedUpdate::TFeedUpdate(TUpdateView& view)
    : view_(view), owner_(std::make_unique<TComponent>()), sources_(new TRSSSources(owner_.get())) {}

TFeedUpdate::~TFeedUpdate() {
    if (batch_) waitForWorkers(true);
}

bool TFeedUpdate::Running() const noexcept {
    return batch_ != nullptr;
}

bool TFeedUpdate::Fetching(int index) const {
    if (!batch_) return false;
    std::lock_guard<std::mutex> lock(batch_->mutex);
    for (int job : batch_->fetching) {
        if (job >= 0 && batch_->jobs[static_cast<std::size_t>(job)].site.Index == index) return true;
    }
    return false;
}

int TFeedUpdate::Start(const std::function<bool(const TRSSSourceItem&)>& pick, TDateTime at) {
    if (batch_) throw Exception("An update is running already");
    auto batch = std::make_unique<Batch>();
    const TRSSSourceCollection& list = sources_->RSSSourceList();
    for (int i = 0; i < list.Count(); ++i) {
        const TRSSSourceItem& source = *list[i];
        if (!source.IsDueAt(at) || (pick && !pick(source))) continue;
        Batch::Job job{{i, source.Site, source.URL, {}, source.SiteID}, {}};
        if (Validators) job.known = Validators->Find(source.URL);
        batch->jobs.push_back(std::move(job));
    }
    batch->slots.resize(batch->jobs.size());
    batch->totalTimeout = TotalTimeout;
    batch->makeRetriever = MakeRetriever;
    batch->onResultReady = OnResultReady;
    const std::size_t workers =
        std::min(batch->jobs.size(), static_cast<std::size_t>(std::clamp(Jobs, 1, kMaxUpdateJobs)));
    batch->fetching.assign(workers, -1);
    batch->retrievers.assign(workers, nullptr);
    batch->workersRunning = static_cast<int>(workers);
    batch_ = std::move(batch);
    stopRequested_ = false;
    for (std::size_t w = 0; w < workers; ++w) {
        Batch* running = batch_.get();
        batch_->threads.emplace_back([running, w] { running->work(w); });
    }
    const int count = static_cast<int>(batch_->jobs.size());
    if (count == 0) finish(false);
    return count;
}

void TFeedUpdate::Deliver() {
    if (!batch_ || delivering_) return;
    delivering_ = true;
    for (;;) {
        std::size_t job;
        {
            std::lock_guard<std::mutex> lock(batch_->mutex);
            job = batch_->nextReport;
            if (job == batch_->jobs.size() || !batch_->slots[job].done) break;
            ++batch_->nextReport;
        }
        report(static_cast<int>(job));
        if (stopRequested_) break;
    }
    delivering_ = false;
    if (stopRequested_) {
        Stop();
    } else if (batch_->nextReport == batch_->jobs.size()) {
        finish(false);
    }
}

void TFeedUpdate::report(int job) {
    Batch& batch = *batch_;
    TUpdateSite& site = batch.jobs[static_cast<std::size_t>(job)].site;
    TSiteOutcome& outcome = batch.slots[static_cast<std::size_t>(job)].outcome;
    TUpdateSummary& summary = batch.summary;
    ++summary.Sites;
    if (outcome.kind == TSiteOutcome::Kind::Failed) {
        ++summary.Failed;
        view_.SiteFailed(site, outcome.message);
        return;
    }
    if (outcome.kind == TSiteOutcome::Kind::NotModified) {
        ++summary.NotModified;
        if (Validators && !outcome.validator.Empty()) Validators->Store(site.URL, outcome.validator);
        view_.SiteNotModified(site);
    } else {
        summary.Items += outcome.items->Count();
        site.FeedTitle = std::move(outcome.title);
        if (Validators) Validators->Store(site.URL, outcome.validator);
        view_.SiteRetrieved(site, *outcome.items);
        outcome.items.reset();
    }
    // Stamped after the view took it, as the cycle does. The list may have been loaded
    // afresh meanwhile: only the same source in its place is stamped.
    TRSSSourceCollection& list = sources_->RSSSourceList();
    if (site.Index < list.Count()) {
        TRSSSourceItem& source = *list[site.Index];
        if (source.URL == site.URL && source.Site == site.Site) source.MarkUpdated();
    }
}

void TFeedUpdate::Run(const std::function<bool(const TRSSSourceItem&)>& pick) {
    Start(pick);
    while (batch_) {
        {
            Batch& batch = *batch_;
            std::unique_lock<std::mutex> lock(batch.mutex);
            batch.ready.wait(lock, [&batch] {
                return batch.nextReport == batch.jobs.size() || batch.slots[batch.nextReport].done ||
                       batch.workersRunning == 0;
            });
        }
        Deliver();
    }
}

void TFeedUpdate::Stop() {
    if (!batch_) return;
    if (delivering_) {
        // The view asked from within Deliver: the sockets go down now, the rest after it.
        stopRequested_ = true;
        batch_->abortAll();
        return;
    }
    waitForWorkers(true);
    // What was complete is reported, in list order; sites still under way stay due.
    delivering_ = true;
    bool missing = false;
    for (std::size_t job = batch_->nextReport; job < batch_->jobs.size(); ++job) {
        if (batch_->slots[job].done) {
            report(static_cast<int>(job));
        } else {
            missing = true;
        }
    }
    delivering_ = false;
    finish(missing);
}

void TFeedUpdate::waitForWorkers(bool abort) {
    if (abort) batch_->abortAll();
    for (std::thread& thread : batch_->threads) {
        if (thread.joinable()) thread.join();
    }
}

void TFeedUpdate::finish(bool stopped) {
    waitForWorkers(false);
    std::unique_ptr<Batch> batch = std::move(batch_);
    TUpdateSummary summary = batch->summary;
    summary.Stopped = stopped;
    stopRequested_ = false;
    view_.UpdateFinished(summary);
}

}  // namespace wispel
