#pragma once
// Opening links with the desktop. A feed is untrusted, so only http, https, ftp and mailto
// links are handed on, after the blanks and line breaks that feeds put around links are cut
// off; anything else (file:, javascript:, data:, a bare path, text starting with "-") is
// refused. The caller learns why a link was not opened and may tell the user.
//
// The window and the hyperlink labels open links through the current `TUrlOpener`, so tests
// can put a recorder in place of the desktop.

#include <QString>
#include <QUrl>

#include <string>

namespace wispel {

// The link as it will be opened, or an invalid QUrl when it must not be opened.
QUrl openableUrl(const std::string& link);

class TUrlOpener {
public:
    virtual ~TUrlOpener() = default;
    // Opens `link` when it is openable. Returns why it was not opened (the link was empty
    // or not safe to open, or nothing on the desktop opens it); empty when it was handed on.
    QString Open(const std::string& link);

protected:
    // False when nothing could open the link.
    virtual bool openUrl(const QUrl& url) = 0;
};

// Hands the link to QDesktopServices (the desktop's default handler; never a shell).
class TDesktopUrlOpener : public TUrlOpener {
protected:
    bool openUrl(const QUrl& url) override;
};

// The opener in use: the desktop one unless another was set. Not owned.
TUrlOpener& urlOpener();
// Sets the opener in use (null: the desktop one again); returns the previous one.
TUrlOpener* setUrlOpener(TUrlOpener* opener);

// The status bar's line for a link that was not opened: the link (on one line, cut in
// the middle when long) and `why`.
QString notOpenedMessage(const std::string& link, const QString& why);

}  // namespace wispel
