// The error box of the running program and the start-up failure text: caption, icon,
// button, the full-stop rule, and the silent-abort kind that shows nothing.

#include <QAbstractButton>
#include <QEvent>

#include <stdexcept>

#include "app/ErrorBox.h"
#include "core/Exception.h"
#include "tests/app/AppTest.h"

using namespace wispel;

namespace {

// An object whose event handler fails, as a command handler would.
class FailingObject : public QObject {
public:
    static QEvent::Type type() { return static_cast<QEvent::Type>(QEvent::User + 1); }
    bool event(QEvent* e) override {
        if (e->type() == type()) throw EListError("List index out of bounds (7)");
        return QObject::event(e);
    }
};

}  // namespace

class ErrorBoxTest : public QObject {
    Q_OBJECT

private slots:
    void appliesTheFullStopRule_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "No RSS Retriever Assigned" << "No RSS Retriever Assigned.";
        QTest::newRow("full stop") << "Connection refused." << "Connection refused.";
        QTest::newRow("bracket") << "List index out of bounds (3)" << "List index out of bounds (3)";
        QTest::newRow("blank") << "Socket Error # 10061 " << "Socket Error # 10061 ";
        QTest::newRow("empty") << "" << "";
    }
    void appliesTheFullStopRule() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        test::RecordingErrorBox box;
        runHandler([&] { throw Exception(message.toStdString()); });
        QCOMPARE(box.texts, std::vector<QString>{shown});
    }

    void silentAbortShowsNothing() {
        test::RecordingErrorBox box;
        runHandler([] { throw EAbort("Operation aborted"); });
        QVERIFY(box.texts.empty());
    }

    void errorsLeavingAnEventHandlerAreCaughtWhereEventsAreDispatched() {
        test::RecordingErrorBox box;
        FailingObject failing;
        QEvent event(FailingObject::type());
        QCoreApplication::sendEvent(&failing, &event);
        QCOMPARE(box.texts, std::vector<QString>{QStringLiteral("List index out of bounds (7)")});
    }

    void theBoxHasTheTitleAStopIconAndOneOkButton() {
        bool seen = false;
        test::whenModalShows([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Wispel"));
            QCOMPARE(box->icon(), QMessageBox::Critical);
            QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->text(), QStringLiteral("<b>Feed</b> failed."));
            seen = true;
            box->button(QMessageBox::Ok)->click();
        });
        showErrorBox(nullptr, errorBoxMessage(Exception("<b>Feed</b> failed")));
        QVERIFY(seen);
    }

    void startUpFailureNamesTheClassTheProgramAndTheMessage() {
        QCOMPARE(applicationErrorText(EListError("List index out of bounds (2)"), "wispel"),
                 QStringLiteral("Exception EListError in module wispel.\nList index out of bounds (2)"));
        QCOMPARE(applicationErrorText(std::runtime_error("no room"), "wispel"),
                 QStringLiteral("Exception std::runtime_error in module wispel.\nno room."));
    }
};

WISPEL_QTEST_MAIN(ErrorBoxTest)
#include "ErrorBoxTest.moc"
