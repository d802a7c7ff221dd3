#pragma once
// TFeedLookup: the search for the feed an address stands for (findFeeds), on a thread of its
// own, so that a slow or dead host never holds the window. The object hears `Finished` on
// its own thread once the search is over, and then holds its result.
//
// Abort ends the exchange at once: the socket is shut down from here. A name lookup under
// way cannot be cut short, so the destructor of an unfinished search does not wait for its
// thread: the thread is handed to a keeper that joins it once it is done (at the next
// search that ends, or when the program ends), and what it finds reaches nobody. The state
// both sides use is shared and lives until the later of the two lets it go.

#include <QObject>

#include <memory>
#include <string>
#include <thread>

#include "feeds/FeedFinder.h"

namespace wispel {

class TFeedLookup : public QObject {
    Q_OBJECT
public:
    // Starts the search of `url` at once.
    explicit TFeedLookup(const std::string& url, QObject* parent = nullptr);
    // Aborts a search still under way; `Finished` is not heard afterwards.
    ~TFeedLookup() override;
    TFeedLookup(const TFeedLookup&) = delete;
    TFeedLookup& operator=(const TFeedLookup&) = delete;

    void Abort();
    // After `Finished`: what the search found; raises the error that ended it.
    TFeedSearch Result() const;

signals:
    void Finished();

private:
    struct Shared;
    static void search(const std::shared_ptr<Shared>& shared, const std::string& url);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace wispel
