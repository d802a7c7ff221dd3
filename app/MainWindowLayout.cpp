// The main window's size, position, splitter and columns, kept from one run to the next.

#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTreeWidget>

#include "app/MainWindow.h"
#include "ui_MainWindow.h"

namespace wispel {

namespace {

const QString kGeometry = QStringLiteral("MainWindow/Geometry");
const QString kSplitter = QStringLiteral("MainWindow/Splitter");
const QString kColumns = QStringLiteral("MainWindow/NewsColumns");
constexpr QSize kDesignSize(460, 480);

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
    if (!ui->splNews->restoreState(settings.value(kSplitter).toByteArray())) {
        // Two fifths for the tree; the splitter shares out its width by these weights.
        ui->splNews->setSizes({2000, 3000});
    }
    ui->tvList->header()->restoreState(settings.value(kColumns).toByteArray());
}

void TfrmMain::saveLayout() const {
    QSettings settings;
    settings.setValue(kGeometry, saveGeometry());
    settings.setValue(kSplitter, ui->splNews->saveState());
    settings.setValue(kColumns, ui->tvList->header()->saveState());
}

}  // namespace wispel
