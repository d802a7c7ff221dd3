#pragma once
// What the window program's QTest suites share: a main that runs a suite under our own
// application object, an opener that records links instead of opening them, an error box
// that records its texts, and a way to answer a modal box from inside the test.

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/UrlOpener.h"

namespace wispel::test {

class RecordingOpener : public TUrlOpener {
public:
    RecordingOpener() : previous_(setUrlOpener(this)) {}
    ~RecordingOpener() override { setUrlOpener(previous_); }
    std::vector<QString> opened;

protected:
    bool openUrl(const QUrl& url) override {
        opened.push_back(url.toString());
        return desktopOpens;
    }

public:
    bool desktopOpens = true;  // false: as on a desktop without a browser

private:
    TUrlOpener* previous_;
};

// Records the texts of the error boxes shown while it exists.
class RecordingErrorBox {
public:
    RecordingErrorBox() {
        wispelApp()->SetErrorBoxShower([this](const QString& text) { texts.push_back(text); });
    }
    ~RecordingErrorBox() {
        wispelApp()->SetErrorBoxShower([](const QString& text) {
            QFAIL(qPrintable(QStringLiteral("unexpected error box: ") + text));
        });
    }
    std::vector<QString> texts;
};

// Runs `inspect` on the next modal widget (a box or dialog) as soon as it shows, then
// lets `inspect` close it. Call before the code that opens it. With `objectName`, modal
// widgets of other names that show first are left alone. A check that fails inside
// `inspect` leaves it early: the widget is closed then, so that the test ends with the
// failure instead of waiting for a click.
inline void whenModalShows(std::function<void(QWidget*)> inspect, const QString& objectName = {}) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, inspect, objectName] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (!objectName.isEmpty() && modal->objectName() != objectName) return;
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> shown(modal);
        inspect(modal);
        if (!QTest::currentTestFailed() || !shown || !shown->isVisible()) return;
        if (auto* dialog = qobject_cast<QDialog*>(shown.data())) {
            dialog->done(QDialog::Rejected);  // also a box without a button for Escape
        } else {
            shown->close();
        }
    });
    timer->start();
}

// The tooltip `node` shows when the pointer rests on it: a real tooltip request to the view.
inline QString toolTipShown(QTreeWidget* tree, QTreeWidgetItem* node) {
    tree->window()->show();
    if (!QTest::qWaitForWindowExposed(tree->window())) return QStringLiteral("(not shown)");
    tree->scrollToItem(node);
    const QPoint at = tree->visualItemRect(node).center();
    QHelpEvent request(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &request);
    return node->toolTip(0);
}

}  // namespace wispel::test

// A QTest main under our application object; an error box that nobody expected fails the
// test instead of waiting for a click. The settings the windows keep go to a configuration
// folder of the run's own, never the user's.
#define WISPEL_QTEST_MAIN(TestClass)                                                    \
    int main(int argc, char** argv) {                                                   \
        QTemporaryDir config;                                                           \
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());                             \
        wispel::TWispelApplication app(argc, argv);                                     \
        app.SetErrorBoxShower([](const QString& text) {                                 \
            QFAIL(qPrintable(QStringLiteral("unexpected error box: ") + text));         \
        });                                                                             \
        TestClass test;                                                                 \
        return QTest::qExec(&test, argc, argv);                                         \
    }
