#include "app/NewsTree.h"

#include <QTreeWidget>

#include <algorithm>
#include <optional>
#include <utility>

#include "app/QtText.h"

namespace wispel {

namespace {

constexpr int kIndexRole = Qt::UserRole;

constexpr int kColumns = 2;  // the title and the date

bool isText(int role) {
    return role == Qt::DisplayRole || role == Qt::EditRole;
}

// A node of the news tree holding its texts, its index and its boldness as plain members,
// answered as the display role of both columns, the index role and the font of both
// columns, instead of values the view's item allocates, stores and searches per role: a
// start-up makes many thousand of them.
class TNewsNode final : public QTreeWidgetItem {
public:
    // A node not yet in a view, with the texts of its columns (an empty date: none).
    TNewsNode(const QString& text, const QString& date) {
        texts_[0] = text;
        columns_ = 1;
        if (!date.isEmpty()) texts_[columns_++] = date;
    }
    // Shown in `font` (the bold one every bold node shares), set before the node joins a view.
    void setFont(const QFont& font) { bold_ = font; }
    // The index, set without a value of the index role made and taken apart.
    void setIndex(int index) { index_ = index; }

    QVariant data(int column, int role) const override {
        if (isText(role) && column >= 0 && column < columns_) return texts_[column];
        if (role == kIndexRole && column == 0) return index_;
        if (role == Qt::FontRole && bold_) return *bold_;
        return QTreeWidgetItem::data(column, role);
    }
    void setData(int column, int role, const QVariant& value) override {
        if (isText(role) && column >= 0 && column < kColumns) {
            setText(column, value);
        } else if (role == kIndexRole && column == 0) {
            index_ = value.toInt();
        } else if (role == Qt::FontRole) {
            bold_ = value.isValid() ? std::optional<QFont>(value.value<QFont>()) : std::nullopt;
            emitDataChanged();
        } else {
            QTreeWidgetItem::setData(column, role, value);
        }
    }

private:
    // A column left out before this one counts as set to no value, as in the view's items.
    void setText(int column, const QVariant& value) {
        if (column < columns_ && texts_[column] == value) return;
        columns_ = std::max(columns_, column + 1);
        texts_[column] = value;
        emitDataChanged();
    }

    QVariant texts_[kColumns];  // as given, so that a column reads back what was set
    int columns_ = 0;           // the columns with a text
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

TNewsTree::TMadeNodes::TMadeNodes(TMadeNodes&& other) noexcept
    : nodes_(std::exchange(other.nodes_, {})), bold_(std::move(other.bold_)) {}

TNewsTree::TMadeNodes::~TMadeNodes() {
    qDeleteAll(nodes_);
}

void TNewsTree::TMadeNodes::Add(const Node& node) {
    // Filled before it joins the view, so that no change is reported per field.
    auto* item = new TNewsNode(plainNodeText(node.text), node.date);
    nodes_.append(item);
    if (!node.toolTip.isEmpty()) item->setToolTip(0, node.toolTip);
    if (node.bold) item->setFont(bold_);
}

std::vector<QTreeWidgetItem*> TNewsTree::AddChildren(QTreeWidgetItem* parent,
                                                     const std::vector<Node>& nodes) {
    TMadeNodes made(*this);
    made.Reserve(nodes.size());
    for (const Node& node : nodes) made.Add(node);
    return AddChildren(parent, std::move(made));
}

std::vector<QTreeWidgetItem*> TNewsTree::AddChildren(QTreeWidgetItem* parent, TMadeNodes made) {
    const bool inOrder = appendsInPreOrder(parent);
    const QList<QTreeWidgetItem*> batch = std::exchange(made.nodes_, {});
    // Every node made ahead is one of ours.
    for (QTreeWidgetItem* node : batch) static_cast<TNewsNode*>(node)->setIndex(count_++);
    if (parent) {
        parent->addChildren(batch);
    } else {
        view_->addTopLevelItems(batch);
    }
    if (!batch.empty()) last_ = batch.back();
    if (!inOrder) renumber();
    return {batch.begin(), batch.end()};
}

QTreeWidgetItem* TNewsTree::InsertChild(QTreeWidgetItem* parent, int position, const QString& text) {
    if (position >= parent->childCount()) return AddChild(parent, text);
    auto* item = new TNewsNode(plainNodeText(text), {});
    parent->insertChild(position, item);
    renumber();
    return item;
}

std::vector<QTreeWidgetItem*> TNewsTree::ReplaceChildren(QTreeWidgetItem* parent,
                                                         const std::vector<Node>& nodes) {
    TMadeNodes made(*this);
    made.Reserve(nodes.size());
    for (const Node& node : nodes) made.Add(node);
    return ReplaceChildren(parent, std::move(made));
}

std::vector<QTreeWidgetItem*> TNewsTree::ReplaceChildren(QTreeWidgetItem* parent, TMadeNodes made) {
    if (parent->childCount() > 0) {
        qDeleteAll(parent->takeChildren());
        renumber();  // the last node in pre-order may have been among them
    }
    return AddChildren(parent, std::move(made));
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
