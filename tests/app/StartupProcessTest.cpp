// The program as a process: a start-up that fails outside the main window's creation
// handler reports "Application Error" with the error's class and message and ends with
// exit status 1, without entering the event loop.

#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

#include "tests/app/AppTest.h"

class StartupProcessTest : public QObject {
    Q_OBJECT

private slots:
    void aTableThatCannotBeCreatedEndsTheProgramWithStatusOne() {
        // The program looks for its table beside itself, so it runs from a folder of its own
        // (on the build's file system, where a hard link serves as the copy).
        QTemporaryDir dir(QStringLiteral(WISPEL_BINARY_DIR "/tests/app/startup-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString program = dir.filePath("wispel");
        const QByteArray built = WISPEL_BINARY_DIR "/bin/wispel";
        if (::link(built.constData(), program.toLocal8Bit().constData()) != 0) {
            QVERIFY(QFile::copy(QString::fromLocal8Bit(built), program));
        }
        // "Sites.DAT" points into a folder that does not exist: the first-start creation fails.
        QVERIFY(QFile::link("/nonexistent-wispel-folder/Sites.DAT", dir.filePath("Sites.DAT")));

        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        if (!process.waitForFinished(60000)) {
            process.kill();
            QFAIL("the program did not end");
        }
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 1, qPrintable(err));
        QVERIFY2(err.contains("Application Error: Exception EStoreEngineError in module wispel.\n"
                              "Table Engine Error # "),
                 qPrintable(err));
    }
};

WISPEL_QTEST_MAIN(StartupProcessTest)
#include "StartupProcessTest.moc"
