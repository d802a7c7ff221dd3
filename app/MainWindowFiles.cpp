// The main window's File > Import... and Export...: subscription lists in OPML.

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QStatusBar>

#include <ctime>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "feeds/SitesOpml.h"
#include "ui_MainWindow.h"

namespace wispel {

namespace {

QString opmlFiles() {
    return TfrmMain::tr("Subscription lists (*.opml *.xml);;All files (*)");
}

// The lines shown in the box itself; the rest are behind its details button.
constexpr qsizetype kShownLines = 10;

}  // namespace

void TfrmMain::connectFiles() {
    connect(ui->actImport, &QAction::triggered, this, [this] { runHandler([this] { ImportClick(); }); });
    connect(ui->actExport, &QAction::triggered, this, [this] { runHandler([this] { ExportClick(); }); });
    ChooseImportFile = [this] {
        return QFileDialog::getOpenFileName(this, tr("Import Sites"), {}, opmlFiles());
    };
    ChooseExportFile = [this] {
        return QFileDialog::getSaveFileName(this, tr("Export Sites"), QStringLiteral("wispel-sites.opml"),
                                            opmlFiles());
    };
}

void TfrmMain::ImportClick() {
    if (update_->Running()) return;  // the update goes through the list an import changes
    const QString path = ChooseImportFile ? ChooseImportFile() : QString();
    if (path.isEmpty()) return;
    const TSitesImportReport report = ImportSitesOpml(dataFolder_, toText(path));
    ReloadSites();
    // The counts first, then a line per site; a long list behind the details button.
    const std::vector<std::string> lines = importReportLines(report);
    QStringList details;
    for (size_t i = 0; i + 1 < lines.size(); ++i) details << fromText(lines[i]);
    QString text = fromText(lines.back());
    if (!details.isEmpty()) text += QStringLiteral("\n\n") + details.mid(0, kShownLines).join(QLatin1Char('\n'));
    if (details.size() > kShownLines) text += QStringLiteral("\n\u2026");
    QMessageBox box(QMessageBox::Information, tr("Import"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("boxImported"));
    box.setTextFormat(Qt::PlainText);
    if (details.size() > kShownLines) box.setDetailedText(details.join(QLatin1Char('\n')));
    box.exec();
}

void TfrmMain::ExportClick() {
    const QString path = ChooseExportFile ? ChooseExportFile() : QString();
    if (path.isEmpty()) return;
    ExportSitesOpmlFile(dataFolder_, toText(path), static_cast<TUtcSeconds>(std::time(nullptr)));
    statusBar()->showMessage(tr("Sites exported to %1").arg(path));
}

}  // namespace wispel
