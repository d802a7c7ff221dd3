#pragma once
// The news tree's nodes with their absolute indexes: a node's position in a pre-order count
// of all nodes from 0, nodes under collapsed parents included.
//
// A node appended as the last in pre-order gets the number of nodes before it, without a walk
// of the tree; asking for an index never walks it. A node added elsewhere, and a change of a
// site's items or a removal, count the indexes afresh once: each such change walks the tree,
// which is as cheap as the change itself for the few thousand nodes a window holds.

#include <QFont>
#include <QList>
#include <QString>
#include <QVariant>

#include <string>
#include <utility>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace wispel {

class TNewsTree {
public:
    explicit TNewsTree(QTreeWidget* view = nullptr) : view_(view) {}

    // A node to add: its text and its tooltip (both shown as plain text), the text of its
    // second column (the date), and bold or not.
    struct Node {
        QString text;
        QString toolTip;
        QString date = {};
        bool bold = false;
    };

    // Nodes made ahead of their place, as what they show is read, and added at once later:
    // no list of what they will show is held between. Nodes never added go with it.
    class TMadeNodes {
    public:
        explicit TMadeNodes(const TNewsTree& tree) : bold_(tree.boldFont()) {}
        TMadeNodes(TMadeNodes&& other) noexcept;
        TMadeNodes& operator=(TMadeNodes&&) = delete;
        TMadeNodes(const TMadeNodes&) = delete;
        TMadeNodes& operator=(const TMadeNodes&) = delete;
        ~TMadeNodes();
        void Add(const Node& node);
        void Reserve(std::size_t count) { nodes_.reserve(static_cast<qsizetype>(count)); }

    private:
        friend class TNewsTree;
        QList<QTreeWidgetItem*> nodes_;  // owned until added
        QFont bold_;                     // one font shared by every bold node
    };

    // Removes every node.
    void Clear();
    // Appends a node with `text` as the last child of `parent` (null: a top-level node).
    QTreeWidgetItem* AddChild(QTreeWidgetItem* parent, const QString& text);
    // Appends the nodes under `parent` at once (much cheaper for a view than one insertion
    // per node); returns them in order.
    std::vector<QTreeWidgetItem*> AddChildren(QTreeWidgetItem* parent,
                                              const std::vector<Node>& nodes);
    std::vector<QTreeWidgetItem*> AddChildren(QTreeWidgetItem* parent, TMadeNodes made);
    // Inserts a node with `text` as child `position` of `parent` (not null).
    QTreeWidgetItem* InsertChild(QTreeWidgetItem* parent, int position, const QString& text);
    // Puts `nodes` in the place of the children of `parent` (not null); returns them in order.
    std::vector<QTreeWidgetItem*> ReplaceChildren(QTreeWidgetItem* parent,
                                                  const std::vector<Node>& nodes);
    std::vector<QTreeWidgetItem*> ReplaceChildren(QTreeWidgetItem* parent, TMadeNodes made);
    // Shows `node` (both columns) in bold or not.
    void SetBold(QTreeWidgetItem* node, bool bold) const;
    // Removes `node` (not a top-level node) with its children.
    void Remove(QTreeWidgetItem* node);

    // The node's absolute index; -1 for null.
    static int AbsoluteIndex(const QTreeWidgetItem* node);
    int Count() const noexcept { return count_; }

private:
    bool appendsInPreOrder(const QTreeWidgetItem* parent) const;
    void renumber();

    QFont boldFont() const;

    QTreeWidget* view_;               // not owned
    QTreeWidgetItem* last_ = nullptr;  // the last node in pre-order; owned by the view
    int count_ = 0;
};

// A tree text shown as it is, yet harmless: tabs and line breaks become blanks, other
// control characters the replacement character.
QString plainNodeText(const QString& text);

// A feed item's description as a node's tooltip: plain text (markup in it is shown, never
// obeyed), cut to a readable length; empty when there is nothing to show.
QString itemToolTip(const std::string& description);

// A site node's tooltip: the feed's own title (when it has one) over its address, as text.
QString siteToolTip(const std::string& title, const std::string& address);

// A failed site node's tooltip: what went wrong over the site's address, as text.
QString failedSiteToolTip(const std::string& message, const std::string& address);

}  // namespace wispel
