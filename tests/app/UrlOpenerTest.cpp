// Which links the program hands to the desktop: only http, https, ftp and mailto, trimmed.

#include "tests/app/AppTest.h"

using namespace wispel;

class UrlOpenerTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnlyWebAndMailLinks_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("opened");  // empty: nothing is opened
        QTest::newRow("http") << "http://example.com/a?b=1" << "http://example.com/a?b=1";
        QTest::newRow("https, upper-case scheme") << "HTTPS://example.com/" << "https://example.com/";
        QTest::newRow("ftp") << "ftp://ftp.example.com/pub" << "ftp://ftp.example.com/pub";
        QTest::newRow("mailto") << "mailto:news@example.com" << "mailto:news@example.com";
        QTest::newRow("blanks and line breaks around") << "\n\t  http://example.com/x \r\n"
                                                       << "http://example.com/x";
        QTest::newRow("file") << "file:///etc/passwd" << "";
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        QTest::newRow("data") << "data:text/html,<b>x</b>" << "";
        QTest::newRow("bare path") << "/usr/bin/xterm" << "";
        QTest::newRow("option-like") << "--help" << "";
        QTest::newRow("relative") << "news/today.html" << "";
        QTest::newRow("http without host") << "http:foo" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blank inside") << "http://exa mple.com/" << "";
    }
    void opensOnlyWebAndMailLinks() {
        QFETCH(QString, link);
        QFETCH(QString, opened);
        test::RecordingOpener opener;
        const QString why = urlOpener().Open(link.toStdString());
        if (opened.isEmpty()) {
            QVERIFY(opener.opened.empty());
            QCOMPARE(why, link.trimmed().isEmpty() ? QStringLiteral("the item has no link")
                                                   : QStringLiteral("not a web or mail link"));
        } else {
            QCOMPARE(opener.opened, std::vector<QString>{opened});
            QCOMPARE(why, QString());
        }
    }

    void aLinkNothingOpensIsReportedOnOneShortLine() {
        test::RecordingOpener opener;
        opener.desktopOpens = false;
        const std::string link = "  http://127.0.0.1/" + std::string(100, 'a') + "/end\n";
        const QString why = urlOpener().Open(link);
        QCOMPARE(why, QStringLiteral("no program to open it was found"));
        QCOMPARE(notOpenedMessage(link, why),
                 "Cannot open \"http://127.0.0.1/aa" + QString(QChar(0x2026)) +
                     "aaaaaaaaaaaaaaaa/end\": no program to open it was found");
        QCOMPARE(notOpenedMessage("java\nscript:x", QStringLiteral("why")),
                 QStringLiteral("Cannot open \"java script:x\": why"));
    }
};

WISPEL_QTEST_MAIN(UrlOpenerTest)
#include "UrlOpenerTest.moc"
