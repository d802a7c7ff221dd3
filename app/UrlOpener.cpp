#include "app/UrlOpener.h"

#include <QDesktopServices>

namespace wispel {

QUrl openableUrl(const std::string& link) {
    // QString::trimmed cuts blanks, tabs and line breaks at both ends.
    const QString text = QString::fromUtf8(link.data(), static_cast<qsizetype>(link.size())).trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto")) return url.path().isEmpty() ? QUrl() : url;
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                     scheme == QLatin1String("ftp");
    return web && !url.host().isEmpty() ? url : QUrl();
}

void TUrlOpener::Open(const std::string& link) {
    const QUrl url = openableUrl(link);
    if (url.isValid()) openUrl(url);
}

void TDesktopUrlOpener::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
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
