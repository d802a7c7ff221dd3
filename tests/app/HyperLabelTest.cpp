// The hyperlink label's colours and clicks, driven by real mouse and crossing events on a
// shown widget; the link goes to a recording opener.

#include <QEnterEvent>
#include <QMouseEvent>

#include <memory>

#include "app/HyperLabel.h"
#include "tests/app/AppTest.h"

using namespace wispel;

namespace {

void enter(THyperLabel& label) {
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), label.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&label, &event);
}

void leave(THyperLabel& label) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&label, &event);
}

void mouse(THyperLabel& label, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, label.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                      held, Qt::NoModifier);
    QApplication::sendEvent(&label, &event);
}

// A shown label with `url`, the pointer already over it.
std::unique_ptr<THyperLabel> hoveredLabel(const char* url) {
    auto label = std::make_unique<THyperLabel>();
    label->URL = url;
    label->resize(80, 14);
    label->show();
    enter(*label);
    return label;
}

}  // namespace

class HyperLabelTest : public QObject {
    Q_OBJECT

private slots:
    void startsNavyUnderlinedWithAHandCursor() {
        THyperLabel label;
        QCOMPARE(label.FontColour(), clNavy);
        QCOMPARE(label.HyperColour, clBlue);
        QCOMPARE(label.PressedColour, clRed);
        QVERIFY(label.font().underline());
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(label.URL.empty());
        QCOMPARE(label.SavedColour(), TColor(0));
        QVERIFY(!label.Pressed() && !label.MouseInside());
        QCOMPARE(toQColor(clBlue), QColor(0, 0, 255));  // 0x00BBGGRR
    }

    void turnsBlueOverTheLabelAndNavyAway() {
        THyperLabel label;
        label.show();
        enter(label);
        QCOMPARE(label.FontColour(), clBlue);
        QCOMPARE(label.SavedColour(), clNavy);
        QVERIFY(label.MouseInside());
        leave(label);
        QCOMPARE(label.FontColour(), clNavy);
        QVERIFY(!label.MouseInside());
    }

    void clickTurnsRedThenBlueAndOpensTheLinkOnce() {
        test::RecordingOpener opener;
        auto hovered = hoveredLabel(" https://wispel.invalid/news \n");
        THyperLabel& label = *hovered;
        mouse(label, QEvent::MouseButtonPress, {3, 3});
        QCOMPARE(label.FontColour(), clRed);
        QVERIFY(label.Pressed());
        mouse(label, QEvent::MouseButtonRelease, {3, 3});
        QCOMPARE(label.FontColour(), clBlue);
        QVERIFY(!label.Pressed());
        QCOMPARE(opener.opened, std::vector<QString>{QStringLiteral("https://wispel.invalid/news")});
    }

    void dragOffAndBackStillOpensOnRelease() {
        test::RecordingOpener opener;
        auto hovered = hoveredLabel("mailto:news@wispel.invalid");
        THyperLabel& label = *hovered;
        mouse(label, QEvent::MouseButtonPress, {3, 3}, Qt::RightButton);
        mouse(label, QEvent::MouseMove, {200, 3}, Qt::RightButton);  // off the label
        QCOMPARE(label.FontColour(), clNavy);
        QVERIFY(!label.MouseInside());
        mouse(label, QEvent::MouseMove, {4, 4}, Qt::RightButton);  // back on, still held
        QCOMPARE(label.FontColour(), clRed);
        mouse(label, QEvent::MouseButtonRelease, {4, 4}, Qt::RightButton);
        QCOMPARE(label.FontColour(), clBlue);
        QCOMPARE(opener.opened.size(), size_t(1));
    }

    void releaseOffTheLabelRestoresAndOpensNothing() {
        test::RecordingOpener opener;
        auto hovered = hoveredLabel("https://wispel.invalid/");
        THyperLabel& label = *hovered;
        mouse(label, QEvent::MouseButtonPress, {3, 3});
        mouse(label, QEvent::MouseMove, {200, 3});
        mouse(label, QEvent::MouseButtonRelease, {200, 3});
        QCOMPARE(label.FontColour(), clNavy);
        QVERIFY(opener.opened.empty());
    }

    void emptyOrUnsafeLinksChangeColourButOpenNothing() {
        test::RecordingOpener opener;
        for (const char* url : {"", "javascript:alert(1)", "file:///etc/passwd"}) {
            auto hovered = hoveredLabel(url);
            THyperLabel& label = *hovered;
            mouse(label, QEvent::MouseButtonPress, {1, 1});
            QCOMPARE(label.FontColour(), clRed);
            mouse(label, QEvent::MouseButtonRelease, {1, 1});
            QCOMPARE(label.FontColour(), clBlue);
        }
        QVERIFY(opener.opened.empty());
    }
};

WISPEL_QTEST_MAIN(HyperLabelTest)
#include "HyperLabelTest.moc"
