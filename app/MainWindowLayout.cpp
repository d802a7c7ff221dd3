// The main window's size, position, splitter and columns, kept from one run to the next.

#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

#include "app/MainWindow.h"
#include "ui_MainWindow.h"

namespace wispel {

namespace {

const QString kGeometry = QStringLiteral("MainWindow/Geometry");
const QString kSplitter = QStringLiteral("MainWindow/Splitter");
const QString kColumns = QStringLiteral("MainWindow/NewsColumns");
constexpr QSize kDesignSize(460, 480);
// The first start gives the tree room for a title of about this many characters beside the
// date, as far as the window lets it.
constexpr int kTitleCharacters = 32;

}  // namespace

void TfrmMain::restoreLayout() {
    const QSettings settings;
    // A value that does not restore (another version's, a damaged file) leaves the default.
    if (!restoreGeometry(settings.value(kGeometry).toByteArray())) {
        // The first start: room for the tree and the pane, in the middle of the screen.
        // On a small screen, never below the size of the window's design, as far as it fits.
        const QRect screen = this->screen()->availableGeometry();
        const QSize size = (screen.size() * 2 / 3).expandedTo(kDesignSize).boundedTo(screen.size());
        setGeometry(QRect(screen.topLeft() + QPoint((screen.width() - size.width()) / 2,
                                                    (screen.height() - size.height()) / 2),
                          size));
    }
    // A wider window widens the reading pane: the tree already shows its titles.
    ui->splNews->setStretchFactor(0, 0);
    ui->splNews->setStretchFactor(1, 1);
    // The first start's split waits for the first showing, when the window's width is
    // the one the person sees.
    firstSplit_ = !ui->splNews->restoreState(settings.value(kSplitter).toByteArray());
    ui->tvList->header()->restoreState(settings.value(kColumns).toByteArray());
}

// Room for the date and a title of kTitleCharacters in the tree, but never less than two
// fifths of the width and always less than half: the pane stays the wider of the two.
void TfrmMain::placeFirstSplit() {
    if (QLayout* layout = centralWidget()->layout()) layout->activate();
    QTreeWidget* tree = ui->tvList;
    const int levels = 3;  // the root, a site, an item
    const int wanted = tree->header()->sectionSize(1) + levels * tree->indentation() +
                       kTitleCharacters * tree->fontMetrics().averageCharWidth() + 2 * tree->frameWidth() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int width = ui->splNews->width() - ui->splNews->handleWidth();
    const int treeWidth = std::clamp(wanted, width * 2 / 5, std::max(width * 2 / 5, (width - 1) / 2));
    ui->splNews->setSizes({treeWidth, width - treeWidth});
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstSplit_) return;
    firstSplit_ = false;
    placeFirstSplit();
}

void TfrmMain::saveLayout() const {
    QSettings settings;
    settings.setValue(kGeometry, saveGeometry());
    settings.setValue(kSplitter, ui->splNews->saveState());
    settings.setValue(kColumns, ui->tvList->header()->saveState());
}

}  // namespace wispel
