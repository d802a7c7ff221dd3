// The news list's look-up by tree index and the tree's absolute indexes, without the window.

#include <QTreeWidget>

#include "app/NewsItems.h"
#include "app/NewsTree.h"
#include "tests/app/AppTest.h"

using namespace wispel;

class NewsListTest : public QObject {
    Q_OBJECT

private slots:
    void findsAnEntryByItsTreeIndex() {
        TNewsCollection news;
        QCOMPARE(news.FindByTreeIndex(0), static_cast<TNewsItem*>(nullptr));
        for (int index : {2, 3, 4, 6, 7, 900}) news.Add()->TreeIndex = index;
        for (int i = 0; i < news.Count(); ++i) {
            QCOMPARE(news.FindByTreeIndex(news[i]->TreeIndex), news[i]);
        }
        for (int missing : {-1, 0, 1, 5, 8, 899, 901}) {
            QCOMPARE(news.FindByTreeIndex(missing), static_cast<TNewsItem*>(nullptr));
        }
    }

    void nodesKeepTheirPreOrderIndexes() {
        QTreeWidget view;
        TNewsTree tree(&view);
        QTreeWidgetItem* root = tree.AddChild(nullptr, "Wispel");
        QTreeWidgetItem* first = tree.AddChild(root, "First");
        const auto items = tree.AddChildren(first, {{"a", {}}, {"b", "tip"}});
        QTreeWidgetItem* second = tree.AddChild(root, "Second");
        QCOMPARE(TNewsTree::AbsoluteIndex(root), 0);
        QCOMPARE(TNewsTree::AbsoluteIndex(items[1]), 3);
        QCOMPARE(TNewsTree::AbsoluteIndex(second), 4);
        QCOMPARE(items[1]->toolTip(0), QStringLiteral("tip"));
        // A node added out of order (under the first site) renumbers what follows it.
        QTreeWidgetItem* late = tree.AddChild(first, "c");
        QCOMPARE(TNewsTree::AbsoluteIndex(late), 4);
        QCOMPARE(TNewsTree::AbsoluteIndex(second), 5);
        QCOMPARE(tree.Count(), 6);
        QCOMPARE(TNewsTree::AbsoluteIndex(tree.AddChild(second, "d")), 6);
        // A site's items replaced, a site put between two, a site taken away: counted afresh.
        const auto replaced = tree.ReplaceChildren(first, {{"x", {}}});
        QCOMPARE(TNewsTree::AbsoluteIndex(replaced[0]), 2);
        QCOMPARE(TNewsTree::AbsoluteIndex(second), 3);
        QTreeWidgetItem* between = tree.InsertChild(root, 1, "Between");
        QCOMPARE(TNewsTree::AbsoluteIndex(between), 3);
        QCOMPARE(TNewsTree::AbsoluteIndex(second), 4);
        tree.Remove(first);
        QCOMPARE(TNewsTree::AbsoluteIndex(between), 1);
        QCOMPARE(TNewsTree::AbsoluteIndex(tree.AddChild(second, "e")), 4);
        QCOMPARE(tree.Count(), 5);
        tree.Clear();
        QCOMPARE(TNewsTree::AbsoluteIndex(tree.AddChild(nullptr, "Wispel")), 0);
    }

    void feedTextIsShownAsPlainText() {
        QCOMPARE(plainNodeText(QStringLiteral("a\tb\nc\rd\x01" "e\x7F")),
                 QStringLiteral("a b c d\uFFFDe\uFFFD"));
        QCOMPARE(plainNodeText(QStringLiteral("<b>bold</b>")), QStringLiteral("<b>bold</b>"));
        const QString tip = itemToolTip("<script>x</script> &amp; more");
        QVERIFY2(tip.contains("&lt;script&gt;x&lt;/script&gt; &amp;amp; more"), qPrintable(tip));
        QCOMPARE(itemToolTip("  \n "), QString());
        QVERIFY(itemToolTip(std::string(5000, 'x')).size() < 600);
    }
};

WISPEL_QTEST_MAIN(NewsListTest)
#include "NewsListTest.moc"
