#pragma once
// TdlgFeedSearch: the box shown while a site's address is searched for the feed it stands
// for. The search runs on a thread of its own (TFeedLookup); the box says what it looks at
// and lets the person stop waiting, either to save the address as typed ("Keep the
// address") or to go back to it (Cancel, Escape, the close box). It closes by itself when
// the search ends, which kFeedSearchTimeout bounds.

#include <QDialog>

#include <memory>
#include <string>

#include "feeds/FeedFinder.h"

class QPushButton;

namespace Ui {
class TdlgFeedSearch;
}

namespace wispel {

class TFeedLookup;

enum class TFeedSearchEnd {
    Finished,     // the search is over: Result tells what it found
    KeepAddress,  // the person stopped it to save the address as typed
    Cancelled,    // the person stopped it to change the address
};

class TdlgFeedSearch : public QDialog {
    Q_OBJECT
public:
    TdlgFeedSearch(const std::string& url, QWidget* parent = nullptr);
    ~TdlgFeedSearch() override;

    // Starts the search and shows the box until it ends.
    TFeedSearchEnd Run();
    // After Finished: what the search found; raises the error that ended it.
    TFeedSearch Result() const;

    QPushButton* KeepButton() const noexcept { return keep_; }

private:
    std::unique_ptr<Ui::TdlgFeedSearch> ui;
    std::string url_;
    std::unique_ptr<TFeedLookup> lookup_;
    QPushButton* keep_;
    TFeedSearchEnd end_ = TFeedSearchEnd::Cancelled;
};

}  // namespace wispel
