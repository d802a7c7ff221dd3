// The sites dialog's search for the feed behind a new or changed address, and what it asks.

#include <QMessageBox>
#include <QPushButton>

#include "app/ErrorBox.h"
#include "app/FeedChooser.h"
#include "app/FeedSearchDialog.h"
#include "app/QtText.h"
#include "app/SitesDialog.h"
#include "core/Exception.h"
#include "feeds/SiteValues.h"
#include "tablestore/component/StoreTable.h"
#include "ui_SitesDialog.h"

namespace wispel {

namespace {

// A title longer than this is cut in a box: a page may put anything into it.
constexpr qsizetype kLongestTitleShown = 120;

QString shortTitle(const TAnnouncedFeed& feed) {
    const QString title = feedTitle(feed);
    return title.size() <= kLongestTitleShown ? title : title.left(kLongestTitleShown) + QStringLiteral("\u2026");
}

}  // namespace

void TdlgOptions::lookForFeed(TStoreField& url) {
    const std::string typed = url.TextValue();
    TdlgFeedSearch search(typed, this);
    switch (search.Run()) {
        case TFeedSearchEnd::Cancelled: backToAddress();
        case TFeedSearchEnd::KeepAddress: return;
        case TFeedSearchEnd::Finished: break;
    }
    TFeedSearch found;
    try {
        found = search.Result();
    } catch (const std::exception& error) {
        // No such host, a reply that is no success, the time limit: nothing typed is lost.
        if (!keepAfterFailure(typed, errorBoxMessage(error))) backToAddress();
        return;
    }
    const std::optional<std::string> chosen = addressAfterSearch(typed, found);
    if (!chosen) backToAddress();
    if (*chosen == typed) return;
    if (const auto problem = siteAddressProblem(*chosen)) {
        refuse("The page announces the feed " + *chosen + ", which cannot be saved: " + *problem, ui->DBEdit2);
    }
    url.SetTextValue(*chosen);
}

std::optional<std::string> TdlgOptions::addressAfterSearch(const std::string& typed, const TFeedSearch& found) {
    if (found.IsFeed) return typed;
    if (found.Feeds.empty()) return keepWithoutFeed(typed) ? std::optional<std::string>(typed) : std::nullopt;
    if (found.Feeds.size() == 1) return offerTheFeed(typed, found);
    return TdlgFeedChooser(typed, found.Feeds, this).Choose();
}

std::optional<std::string> TdlgOptions::offerTheFeed(const std::string& typed, const TFeedSearch& found) {
    const TAnnouncedFeed& feed = found.Feeds.front();
    QMessageBox box(QMessageBox::Question, tr("Feed"),
                    tr("This address is a web page that announces a feed:\n\n%1 (%2)\n%3\n\n"
                       "Save the feed's address for the site?")
                        .arg(shortTitle(feed), feedTypeName(feed.Type), fromText(feed.URL)),
                    QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("boxOneFeed"));
    box.setTextFormat(Qt::PlainText);
    QPushButton* use = box.addButton(tr("Use the feed"), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(tr("Keep the page address"), QMessageBox::AcceptRole);
    box.setDefaultButton(use);
    box.exec();
    if (box.clickedButton() == use) return feed.URL;
    if (box.clickedButton() == keep) return typed;
    return std::nullopt;
}

bool TdlgOptions::keepWithoutFeed(const std::string& typed) {
    return keepOrChange(QMessageBox::Information, QStringLiteral("boxNoFeed"),
                        tr("This address is a web page that announces no feed:\n\n%1\n\n"
                           "Keep it, or change it to the address of the site's feed?")
                            .arg(fromText(typed)));
}

bool TdlgOptions::keepAfterFailure(const std::string& typed, const QString& error) {
    return keepOrChange(QMessageBox::Warning, QStringLiteral("boxFeedSearchFailed"),
                        tr("Could not look for the feed of this address:\n\n%1\n\n%2").arg(fromText(typed), error));
}

// Changing is the default: what the box says usually means the address is not the one.
bool TdlgOptions::keepOrChange(int icon, const QString& name, const QString& text) {
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), tr("Feed"), text, QMessageBox::NoButton, this);
    box.setObjectName(name);
    box.setTextFormat(Qt::PlainText);
    QPushButton* keep = box.addButton(tr("Keep the address"), QMessageBox::AcceptRole);
    QPushButton* change = box.addButton(tr("Change the address"), QMessageBox::RejectRole);
    box.setDefaultButton(change);
    box.setEscapeButton(change);
    box.exec();
    return box.clickedButton() == keep;
}

// The row stays as typed, in edit or insert state, and nothing more is said.
void TdlgOptions::backToAddress() {
    ui->DBEdit2->setFocus();
    ui->DBEdit2->selectAll();
    throw EAbort("The address stays to be changed");
}

}  // namespace wispel
