#pragma once
// The reading pane beside the news tree: the selected item's title (a link), its site, date
// and author when known, and its text. The text is the item's full text when the feed gave
// one, else its description, reduced to safe rich text (feeds/HtmlReduction.h); a plain
// description stays plain.
//
// Nothing is ever loaded: every resource the text might name (an image, a style sheet) is
// answered with nothing, and links are not followed by the view but handed to the
// program's link opener (app/UrlOpener.h), which opens only web and mail links. A link that
// was not opened is reported through LinkNotOpened.

#include <QTextBrowser>

#include <string>

namespace wispel {

struct TStoredItem;

class TReadingPane : public QTextBrowser {
    Q_OBJECT
public:
    explicit TReadingPane(QWidget* parent = nullptr);

    // Shows `item` of the site named `site`.
    void ShowItem(const TStoredItem& item, const QString& site);
    // Shows only a title and link (an item that is not kept).
    void ShowHeadline(const std::string& title, const std::string& link, const QString& site);
    // Empties the pane.
    void ShowNothing();

    // The pane's content as HTML, for ShowItem; static for tests.
    static QString ItemHtml(const TStoredItem& item, const QString& site);

signals:
    void LinkNotOpened(const QString& message);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void openLink(const QUrl& url);
};

}  // namespace wispel
