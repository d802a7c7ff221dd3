#include "app/ErrorBox.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

#include "core/ErrorText.h"

namespace wispel {

QString errorBoxMessage(const std::exception& error) {
    return QString::fromStdString(errorBoxText(error));
}

void showErrorBox(QWidget* parent, const QString& text) {
    // Error messages may quote feed text or file names: never read them as markup.
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString applicationErrorText(const std::exception& error, const QString& program) {
    return QCoreApplication::translate("Wispel", "Exception %1 in module %2.\n%3")
        .arg(QString::fromStdString(errorClassName(error)), program, errorBoxMessage(error));
}

namespace {

// The offscreen and minimal platforms draw for nobody: a box there would only wait for
// a click that never comes.
bool somebodySeesWindows() {
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != QLatin1String("offscreen") &&
           platform != QLatin1String("minimal");
}

}  // namespace

void showApplicationError(const std::exception& error) {
    const QString text =
        applicationErrorText(error, QCoreApplication::applicationFilePath().section('/', -1));
    const QByteArray line = (QCoreApplication::translate("Wispel", "Application Error") +
                             QStringLiteral(": ") + text + QLatin1Char('\n'))
                                .toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    if (!somebodySeesWindows()) return;
    QMessageBox box(QMessageBox::Critical,
                    QCoreApplication::translate("Wispel", "Application Error"), text,
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace wispel
