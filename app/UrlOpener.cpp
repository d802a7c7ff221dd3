#include "app/UrlOpener.h"

#include <QCoreApplication>
#include <QDesktopServices>

#include "app/NewsTree.h"
#include "app/QtText.h"

namespace wispel {

QUrl openableUrl(const std::string& link) {
    // QString::trimmed cuts blanks, tabs and line breaks at both ends.
    const QString text = fromText(link).trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto")) return url.path().isEmpty() ? QUrl() : url;
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                     scheme == QLatin1String("ftp");
    return web && !url.host().isEmpty() ? url : QUrl();
}

QString TUrlOpener::Open(const std::string& link) {
    if (fromText(link).trimmed().isEmpty()) {
        return QCoreApplication::translate("TUrlOpener", "the item has no link");
    }
    const QUrl url = openableUrl(link);
    if (!url.isValid()) {
        return QCoreApplication::translate("TUrlOpener", "not a web or mail link");
    }
    if (!openUrl(url)) {
        return QCoreApplication::translate("TUrlOpener", "no program to open it was found");
    }
    return {};
}

bool TDesktopUrlOpener::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

QString notOpenedMessage(const std::string& link, const QString& why) {
    constexpr qsizetype kLongest = 40;  // characters of the link; the reason must still show
    QString shown = plainNodeText(fromText(link).trimmed());
    if (shown.size() > kLongest) {
        shown = shown.left(kLongest / 2 - 1) + QChar(0x2026) + shown.right(kLongest / 2);
    }
    return QCoreApplication::translate("TUrlOpener", "Cannot open \"%1\": %2").arg(shown, why);
}

namespace {

TUrlOpener* current = nullptr;

}  // namespace

TUrlOpener& urlOpener() {
    static TDesktopUrlOpener desktop;
    return current ? *current : desktop;
}

TUrlOpener* setUrlOpener(TUrlOpener* opener) {
    TUrlOpener* previous = current;
    current = opener;
    return previous;
}

}  // namespace wispel
