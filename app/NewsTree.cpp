#include "app/NewsTree.h"

#include <QTreeWidget>

#include <algorithm>
#include <optional>

#include "app/QtText.h"

namespace wispel {

namespace {

constexpr int kIndexRole = Qt::UserRole;

// A node of the news tree holding its index and its boldness as plain members, answered as
// the index role and the font of both columns, instead of values the view's item stores and
// searches per role: a start-up makes many thousand of them.
class TNewsNode final : public QTreeWidgetItem {
public:
    explicit TNewsNode(const QStringList& columns) : QTreeWidgetItem(columns) {}

    QVariant data(int column, int role) const override {
        if (role == kIndexRole && column == 0) return index_;
        if (role == Qt::FontRole && bold_) return *bold_;
        return QTreeWidgetItem::data(column, role);
    }
    void setData(int column, int role, const QVariant& value) override {
        if (role == kIndexRole && column == 0) {
            index_ = value.toInt();
        } else if (role == Qt::FontRole) {
            bold_ = value.isValid() ? std::optional<QFont>(value.value<QFont>()) : std::nullopt;
            emitDataChanged();
        } else {
            QTreeWidgetItem::setData(column, role, value);
        }
    }

private:
    int index_ = 0;
    std::optional<QFont> bold_;  // the font of both columns when it is not the view's
};

void setIndex(QTreeWidgetItem* node, int index) {
    node->setData(0, kIndexRole, index);
}

}  // namespace

void TNewsTree::Clear() {
    view_->clear();
    last_ = nullptr;
    count_ = 0;
}

bool TNewsTree::appendsInPreOrder(const QTreeWidgetItem* parent) const {
    if (!parent) return true;  // a new top-level node follows everything
    for (const QTreeWidgetItem* node = last_; node; node = node->parent()) {
        if (node == parent) return true;  // at most the tree's depth, which is 3
    }
    return false;
}

QTreeWidgetItem* TNewsTree::AddChild(QTreeWidgetItem* parent, const QString& text) {
    return AddChildren(parent, {Node{text, {}}}).front();
}

std::vector<QTreeWidgetItem*> TNewsTree::AddChildren(QTreeWidgetItem* parent,
                                                     const std::vector<Node>& nodes) {
    const bool inOrder = appendsInPreOrder(parent);
    std::vector<QTreeWidgetItem*> added;
    added.reserve(nodes.size());
    QList<QTreeWidgetItem*> batch;
    batch.reserve(static_cast<qsizetype>(nodes.size()));
    const QVariant bold = boldFont();  // one font shared by every bold node
    for (const Node& node : nodes) {
        // Filled before it joins the view, so that no change is reported per field.
        QStringList columns(plainNodeText(node.text));
        if (!node.date.isEmpty()) columns << node.date;
        auto* item = new TNewsNode(columns);
        if (!node.toolTip.isEmpty()) item->setToolTip(0, node.toolTip);
        if (node.bold) item->setData(0, Qt::FontRole, bold);
        setIndex(item, count_++);
        added.push_back(item);
        batch.append(item);
    }
    if (parent) {
        parent->addChildren(batch);
    } else {
        view_->addTopLevelItems(batch);
    }
    if (!added.empty()) last_ = added.back();
    if (!inOrder) renumber();
    return added;
}

QTreeWidgetItem* TNewsTree::InsertChild(QTreeWidgetItem* parent, int position, const QString& text) {
    if (position >= parent->childCount()) return AddChild(parent, text);
    auto* item = new TNewsNode(QStringList(plainNodeText(text)));
    parent->insertChild(position, item);
    renumber();
    return item;
}

std::vector<QTreeWidgetItem*> TNewsTree::ReplaceChildren(QTreeWidgetItem* parent,
                                                         const std::vector<Node>& nodes) {
    if (parent->childCount() > 0) {
        qDeleteAll(parent->takeChildren());
        renumber();  // the last node in pre-order may have been among them
    }
    return AddChildren(parent, nodes);
}

QFont TNewsTree::boldFont() const {
    QFont font = view_->font();
    font.setBold(true);
    return font;
}

void TNewsTree::SetBold(QTreeWidgetItem* node, bool bold) const {
    const QVariant font = bold ? QVariant(boldFont()) : QVariant();
    node->setData(0, Qt::FontRole, font);  // a node of this tree shows both columns in it
}

void TNewsTree::Remove(QTreeWidgetItem* node) {
    delete node;  // takes itself out of its parent
    renumber();
}

int TNewsTree::AbsoluteIndex(const QTreeWidgetItem* node) {
    return node ? node->data(0, kIndexRole).toInt() : -1;
}

// Pre-order over the whole tree with an explicit stack; only for additions out of order.
void TNewsTree::renumber() {
    int index = 0;
    last_ = nullptr;
    std::vector<QTreeWidgetItem*> stack;
    for (int i = view_->topLevelItemCount() - 1; i >= 0; --i) stack.push_back(view_->topLevelItem(i));
    while (!stack.empty()) {
        QTreeWidgetItem* node = stack.back();
        stack.pop_back();
        setIndex(node, index++);
        last_ = node;
        for (int i = node->childCount() - 1; i >= 0; --i) stack.push_back(node->child(i));
    }
    count_ = index;
}

namespace {

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

}  // namespace

QString plainNodeText(const QString& text) {
    // Most texts have no control character: they are shared, not copied.
    if (std::none_of(text.begin(), text.end(), isControl)) return text;
    QString shown = text;
    for (QChar& c : shown) {
        const char16_t unit = c.unicode();
        if (unit == u'\t' || unit == u'\n' || unit == u'\r') {
            c = QLatin1Char(' ');  // a line of the tree is one line
        } else if (isControl(c)) {
            c = QChar(char16_t(0xFFFD));  // other controls show as the replacement character
        }
    }
    return shown;
}

}  // namespace wispel

namespace wispel {

namespace {

constexpr qsizetype kLongestTip = 400;  // characters; a tooltip is no place to read a story

// One line of a tooltip: blanks run together, cut to a readable length; empty when blank.
QString tipLine(const std::string& text) {
    QString line = fromText(text).simplified();
    if (line.size() > kLongestTip) line = line.left(kLongestTip - 1) + QChar(0x2026);
    return line;
}

// Escaped and wrapped, so that Qt's guess at rich text is never asked: markup in a feed
// shows as the characters it is.
QString plainTip(const QStringList& lines) {
    QStringList escaped;
    for (const QString& line : lines) {
        if (!line.isEmpty()) escaped << plainNodeText(line).toHtmlEscaped();
    }
    if (escaped.isEmpty()) return {};
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + escaped.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

}  // namespace

QString itemToolTip(const std::string& description) {
    if (description.empty()) return {};  // headlines read without their descriptions
    return plainTip({tipLine(description)});
}

QString siteToolTip(const std::string& title, const std::string& address) {
    return plainTip({tipLine(title), tipLine(address)});
}

QString failedSiteToolTip(const std::string& message, const std::string& address) {
    return plainTip({tipLine(message), tipLine(address)});
}

}  // namespace wispel
