#include "app/AboutDialog.h"

#include <QIcon>

#include "app/HyperLabel.h"
#include "core/Version.h"
#include "ui_AboutDialog.h"

namespace wispel {

TdlgAbout::TdlgAbout(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TdlgAbout>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont big = ui->ProductName->font();
    big.setPixelSize(19);
    ui->ProductName->setFont(big);
    ui->ProductName->setText(tr("Wispel - News Reader %1").arg(QString::fromUtf8(wispelVersion())));
    // Drawn from the SVG at the screen's pixel ratio, so they stay sharp at any scale.
    const qreal ratio = devicePixelRatioF();
    ui->ProgramIcon->setPixmap(QIcon(QStringLiteral(":/icons/wispel.svg")).pixmap(QSize(32, 32), ratio));
    ui->Image1->setPixmap(QIcon(QStringLiteral(":/icons/picture.svg")).pixmap(QSize(225, 73), ratio));
    // No address of ours to point at yet: the labels show the project and open nothing.
    ui->HyperLabel1->URL.clear();
    ui->HyperLabel2->URL.clear();
}

TdlgAbout::~TdlgAbout() = default;

THyperLabel* TdlgAbout::HyperLabel1() const {
    return ui->HyperLabel1;
}

THyperLabel* TdlgAbout::HyperLabel2() const {
    return ui->HyperLabel2;
}

}  // namespace wispel
