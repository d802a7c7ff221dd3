#include "app/FeedLookup.h"

#include <exception>
#include <mutex>
#include <thread>

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

TFeedLookup::TFeedLookup(const std::string& url, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
    shared_->retriever.HTTP()->TotalTimeout = kFeedSearchTimeout;
    std::thread(search, shared_, url).detach();
}

TFeedLookup::~TFeedLookup() {
    Abort();
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->owner = nullptr;
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
