#include "app/FeedChooser.h"

#include <QHeaderView>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

#include "app/QtText.h"
#include "ui_FeedChooser.h"

namespace wispel {

namespace {

// A title wider than this many pixels is cut in the list, with its whole text as tooltip.
constexpr int kWidestTitleColumn = 220;
// The chooser opens wide enough for the longest address, up to this many pixels.
constexpr int kWidestOpening = 820;

}  // namespace

QString feedTypeName(const std::string& mediaType) {
    if (mediaType == "application/rss+xml") return QStringLiteral("RSS");
    if (mediaType == "application/atom+xml") return QStringLiteral("Atom");
    if (mediaType == "application/rdf+xml") return QStringLiteral("RDF");
    return fromText(mediaType);
}

QString feedTitle(const TAnnouncedFeed& feed) {
    const QString title = fromText(feed.Title).simplified();
    return title.isEmpty() ? TdlgFeedChooser::tr("(no title)") : title;
}

TdlgFeedChooser::TdlgFeedChooser(const std::string& typed, std::vector<TAnnouncedFeed> feeds, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TdlgFeedChooser>()), typed_(typed), feeds_(std::move(feeds)) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->lblQuestion->setText(tr("This address is a web page that announces %1 feeds:\n\n%2\n\n"
                                "Which one should the site read?")
                                 .arg(QString::number(feeds_.size()), fromText(typed_)));
    use_ = ui->buttons->addButton(tr("Use the feed"), QDialogButtonBox::AcceptRole);
    use_->setObjectName(QStringLiteral("btnUseFeed"));
    use_->setDefault(true);
    keep_ = ui->buttons->addButton(tr("Keep the page address"), QDialogButtonBox::AcceptRole);
    keep_->setObjectName(QStringLiteral("btnKeepPage"));
    connect(use_, &QPushButton::clicked, this, [this] {
        const int line = ui->lvFeeds->indexOfTopLevelItem(ui->lvFeeds->currentItem());
        if (line < 0) return;
        chosen_ = feeds_[static_cast<size_t>(line)].URL;
        accept();
    });
    connect(keep_, &QPushButton::clicked, this, [this] {
        chosen_ = typed_;
        accept();
    });
    connect(ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->lvFeeds, &QTreeWidget::itemDoubleClicked, use_, &QPushButton::click);
    fillList();
}

TdlgFeedChooser::~TdlgFeedChooser() = default;

void TdlgFeedChooser::fillList() {
    for (const TAnnouncedFeed& feed : feeds_) {
        auto* line = new QTreeWidgetItem(ui->lvFeeds, {feedTitle(feed), feedTypeName(feed.Type), fromText(feed.URL)});
        line->setToolTip(0, line->text(0));
        line->setToolTip(2, line->text(2));
    }
    QHeaderView* header = ui->lvFeeds->header();
    header->setStretchLastSection(true);
    ui->lvFeeds->resizeColumnToContents(0);
    ui->lvFeeds->resizeColumnToContents(1);
    const int titleWidth = std::min(header->sectionSize(0), kWidestTitleColumn);
    header->resizeSection(0, titleWidth);
    ui->lvFeeds->resizeColumnToContents(2);
    // Room for every column and a scroll bar beside the list's frame and the dialog's margins.
    const int listWidth = titleWidth + header->sectionSize(1) + header->sectionSize(2) +
                          2 * ui->lvFeeds->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QMargins margins = layout()->contentsMargins();
    resize(std::clamp(listWidth + margins.left() + margins.right(), width(), kWidestOpening), height());
    if (ui->lvFeeds->topLevelItemCount() > 0) ui->lvFeeds->setCurrentItem(ui->lvFeeds->topLevelItem(0));
    ui->lvFeeds->setFocus();
}

std::optional<std::string> TdlgFeedChooser::Choose() {
    chosen_.reset();
    exec();
    return chosen_;
}

QTreeWidget* TdlgFeedChooser::lvFeeds() const {
    return ui->lvFeeds;
}

}  // namespace wispel
