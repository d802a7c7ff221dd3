#include "app/FeedLookup.h"

#include <exception>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "core/Exception.h"
#include "feeds/Retriever.h"
#include "http/NetHTTP.h"

namespace wispel {

struct TFeedLookup::Shared {
    std::mutex mutex;
    TRSSRetriever retriever;
    bool done = false;
    TFeedSearch found;
    std::exception_ptr error;
    TFeedLookup* owner = nullptr;  // null once the owner has gone
};

namespace {

// The threads of searches nobody waits for. Each is joined once its search is done, so that
// its last release of the shared state (and of the socket stack) happens before anything
// this thread does later; those still running when the program ends are joined then, before
// the socket stack's own end.
class TLeftSearches {
public:
    static TLeftSearches& instance() {
        static TLeftSearches left;
        return left;
    }
    ~TLeftSearches() {
        for (auto& [thread, done] : threads_) thread.join();
    }
    // `done` tells when the thread has nothing left to do but end.
    void add(std::thread thread, std::function<bool()> done) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(threads_, [](auto& left) {
            if (!left.second()) return false;
            left.first.join();
            return true;
        });
        threads_.emplace_back(std::move(thread), std::move(done));
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<std::thread, std::function<bool()>>> threads_;
};

}  // namespace

TFeedLookup::TFeedLookup(const std::string& url, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
    shared_->retriever.HTTP()->TotalTimeout = kFeedSearchTimeout;
    // Made before the thread, which may end before this returns.
    TLeftSearches::instance();
    thread_ = std::thread(search, shared_, url);
}

TFeedLookup::~TFeedLookup() {
    Abort();
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->owner = nullptr;
        done = shared_->done;
    }
    if (done) {
        thread_.join();  // it only leaves its lock and ends
        return;
    }
    std::shared_ptr<Shared> shared = shared_;
    TLeftSearches::instance().add(std::move(thread_), [shared] {
        std::lock_guard<std::mutex> lock(shared->mutex);
        return shared->done;
    });
}

void TFeedLookup::search(const std::shared_ptr<Shared>& shared, const std::string& url) {
    TFeedSearch found;
    std::exception_ptr error;
    try {
        found = findFeeds(shared->retriever, url);
    } catch (...) {
        error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->found = std::move(found);
    shared->error = error;
    shared->done = true;
    // Posted while the owner cannot go: a call posted to an object is dropped when the
    // object is destroyed before it runs.
    if (TFeedLookup* owner = shared->owner) {
        QMetaObject::invokeMethod(owner, [owner] { emit owner->Finished(); }, Qt::QueuedConnection);
    }
}

void TFeedLookup::Abort() {
    // Abort is the one call on the socket that any thread may make.
    shared_->retriever.HTTP()->Binding().Abort();
}

TFeedSearch TFeedLookup::Result() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (!shared_->done) throw Exception("The search for the feed has not finished");
    if (shared_->error) std::rethrow_exception(shared_->error);
    return shared_->found;
}

}  // namespace wispel
