#pragma once
// TdlgFeedChooser: asks which of the feeds a web page announces a site is to read. The list
// shows each feed's title, type and address in page order, the first one chosen; "Use the
// feed" (or Enter, or a double click) takes the chosen one, "Keep the page address" the
// address as typed, and Cancel (Escape, the close box) neither.

#include <QDialog>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "feeds/FeedDiscovery.h"

class QPushButton;
class QTreeWidget;

namespace Ui {
class TdlgFeedChooser;
}

namespace wispel {

class TdlgFeedChooser : public QDialog {
    Q_OBJECT
public:
    // `typed`: the address as the person typed it, which points at the page.
    TdlgFeedChooser(const std::string& typed, std::vector<TAnnouncedFeed> feeds, QWidget* parent = nullptr);
    ~TdlgFeedChooser() override;

    // Shows the chooser: the address to save (a feed's, or the typed one), or nothing on
    // Cancel.
    std::optional<std::string> Choose();

    QTreeWidget* lvFeeds() const;
    QPushButton* UseButton() const noexcept { return use_; }
    QPushButton* KeepButton() const noexcept { return keep_; }

private:
    void fillList();

    std::unique_ptr<Ui::TdlgFeedChooser> ui;
    std::string typed_;
    std::vector<TAnnouncedFeed> feeds_;
    QPushButton* use_;
    QPushButton* keep_;
    std::optional<std::string> chosen_;
};

// How a feed's media type reads for a person: "RSS", "Atom", "RDF", else the type itself.
QString feedTypeName(const std::string& mediaType);
// The feed's title on one line, or "(no title)".
QString feedTitle(const TAnnouncedFeed& feed);

}  // namespace wispel
