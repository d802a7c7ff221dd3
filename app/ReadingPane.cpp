#include "app/ReadingPane.h"

#include <QDateTime>
#include <QLocale>

#include "app/QtText.h"
#include "app/UrlOpener.h"
#include "feeds/HtmlReduction.h"
#include "feeds/ItemsTable.h"

namespace wispel {

namespace {

// The title, as a link when the item's link is one the opener would open.
QString titleHtml(const std::string& title, const std::string& link) {
    QString text = fromText(title).simplified().toHtmlEscaped();
    if (text.isEmpty()) text = TReadingPane::tr("(no title)");
    const QUrl url = openableUrl(link);
    if (!url.isValid()) return QStringLiteral("<h2>") + text + QStringLiteral("</h2>");
    return QStringLiteral("<h2><a href=\"") + QString::fromLatin1(url.toEncoded()).toHtmlEscaped() +
           QStringLiteral("\">") + text + QStringLiteral("</a></h2>");
}

// "Site · date · author", each part when known.
QString bylineHtml(const TStoredItem& item, const QString& site) {
    QStringList parts;
    if (!site.isEmpty()) parts << site.toHtmlEscaped();
    if (item.Date != 0) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(unixMsFromItemTime(item.Date));
        parts << QLocale().toString(at, QLocale::LongFormat).toHtmlEscaped();
    }
    if (!item.Author.empty()) parts << fromText(item.Author).simplified().toHtmlEscaped();
    if (parts.isEmpty()) return {};
    return QStringLiteral("<p><i>") + parts.join(QStringLiteral(" \u00b7 ")) + QStringLiteral("</i></p>");
}

}  // namespace

TReadingPane::TReadingPane(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("txtItem"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &TReadingPane::openLink);
}

QString TReadingPane::ItemHtml(const TStoredItem& item, const QString& site) {
    const std::string& text = item.Content.empty() ? item.Description : item.Content;
    return titleHtml(item.Title, item.Link) + bylineHtml(item, site) + fromText(reduceHtml(text));
}

void TReadingPane::ShowItem(const TStoredItem& item, const QString& site) {
    setHtml(ItemHtml(item, site));
}

void TReadingPane::ShowHeadline(const std::string& title, const std::string& link, const QString& site) {
    TStoredItem item;
    item.Title = title;
    item.Link = link;
    setHtml(titleHtml(title, link) + bylineHtml(item, site));
}

void TReadingPane::ShowNothing() {
    clear();
}

// Nothing named by a feed is ever fetched, from the network or from a file.
QVariant TReadingPane::loadResource(int, const QUrl&) {
    return {};
}

void TReadingPane::openLink(const QUrl& url) {
    const std::string link = toText(url.toString());
    const QString why = urlOpener().Open(link);
    if (!why.isEmpty()) emit LinkNotOpened(notOpenedMessage(link, why));
}

}  // namespace wispel
