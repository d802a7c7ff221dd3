#include "feeds/ItemsTable.h"

#include <unistd.h>

#include <chrono>
#include <thread>
#include <string_view>
#include <unordered_map>

#include "feeds/ItemKey.h"
#include "feeds/ItemsSchema.h"
#include "feeds/TableLockScope.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/errors/StoreEngineError.h"

namespace wispel {

namespace {

// Days from 0001-01-01 to 1970-01-01.
constexpr double kUnixEpochMs = 719162.0 * 86400000.0;
constexpr double kDayMs = 86400000.0;
// The table store keeps no blob value longer than this.
constexpr std::size_t kMaxMemoBytes = 16u * 1024 * 1024;

// The start of `text` in at most `bytes` bytes, never inside a UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

// The author as the column keeps it: cut to its room, without trailing blanks.
std::string_view storedAuthor(std::string_view author) {
    author = utf8Prefix(author, kItemAuthorWidth);
    while (!author.empty() && author.back() == ' ') author.remove_suffix(1);
    return author;
}

// The text fields of an item as the table keeps them.
struct ItemTexts {
    std::string_view title, link, description, content, author;
    TItemTime date;
};

ItemTexts textsOf(const TRSSListedItem& item) {
    constexpr std::int64_t kSecondMs = 1000;
    return {utf8Prefix(item.Title, kMaxMemoBytes),
            utf8Prefix(item.Link, kMaxMemoBytes),
            utf8Prefix(item.Description, kMaxMemoBytes),
            utf8Prefix(item.Content, kMaxMemoBytes),
            storedAuthor(item.Author),
            item.Date ? itemTimeFromUnixMs(*item.Date * kSecondMs) : 0};
}

}  // namespace

TItemTime itemTimeFromUnixMs(std::int64_t unixMs) {
    return static_cast<double>(unixMs) + kUnixEpochMs;
}

std::int64_t unixMsFromItemTime(TItemTime time) {
    return static_cast<std::int64_t>(time - kUnixEpochMs);
}

TItemTime itemTimeNow() {
    using namespace std::chrono;
    return itemTimeFromUnixMs(
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

std::string storedItemKey(const TRSSListedItem& item) {
    std::string identity = itemIdentity(item);
    // The key column keeps no trailing blanks; a key must hold something.
    while (!identity.empty() && identity.back() == ' ') identity.pop_back();
    if (identity.empty()) identity = "#";
    if (identity.size() <= kItemKeyWidth) return identity;
    std::string key(utf8Prefix(identity, kItemKeyWidth - 17));
    return key + "#" + fnv1aHex(identity);
}

namespace {

// Another process making the table holds its new files for itself (11013) until they are
// complete, which takes a moment: so many tries, this far apart, before the refusal stands.
constexpr int kOpenTries = 40;
constexpr auto kOpenWait = std::chrono::milliseconds(50);

std::unique_ptr<TStoreTable> openItems(const std::string& folder, const char* index) {
    auto table = std::make_unique<TStoreTable>();
    table->SetDatabaseName(folder);
    table->SetTableName(kItemsTableName);
    for (int attempt = 1;; ++attempt) {
        try {
            table->Open();
            break;
        } catch (const EStoreEngineError& e) {
            if (e.ErrorCode() != storecode::kAccessDenied || attempt == kOpenTries) throw;
            std::this_thread::sleep_for(kOpenWait);
        }
    }
    table->SetIndexName(index);
    return table;
}

}  // namespace

struct TItemsTable::Fields {
    explicit Fields(const TStoreTable& table)
        : id(table.FieldNamed("ID")), site(table.FieldNamed("Site")),
          key(table.FieldNamed("ItemKey")), title(table.FieldNamed("Title")),
          link(table.FieldNamed("Link")), description(table.FieldNamed("Description")),
          content(table.FieldNamed("Content")), author(table.FieldNamed("Author")), date(table.FieldNamed("Date")),
          firstSeen(table.FieldNamed("FirstSeen")), read(table.FieldNamed("Read")) {}
    TStoreField &id, &site, &key, &title, &link, &description, &content, &author, &date,
        &firstSeen, &read;
};

TItemsTable::TItemsTable(const std::string& folder) {
    if (::access((folder + kItemsTableName).c_str(), F_OK) != 0) {
        TStoreTable table;
        table.SetDatabaseName(folder);
        table.SetTableName(kItemsTableName);
        addItemsFieldDefs(table.FieldDefs());
        addItemsIndexDefs(table.IndexDefs());
        table.BlobBlockSize = kItemsBlobBlockSize;
        try {
            table.CreateTable();
        } catch (const EStoreEngineError& e) {
            // Another process made it first, or is making it.
            if (e.ErrorCode() != storecode::kTableExists &&
                e.ErrorCode() != storecode::kAccessDenied)
                throw;
        }
    }
    byKey_ = openItems(folder, kItemsBySiteKey);
    byDate_ = openItems(folder, kItemsBySiteDate);
}

TItemsTable::~TItemsTable() = default;

void TItemsTable::refresh() {
    byKey_->RefreshRows();
    byDate_->RefreshRows();
}

bool TItemsTable::findItem(std::int32_t site, const std::string& key) {
    return byKey_->FindKey({std::to_string(site), key});
}

namespace {

void setDate(TStoreField& field, TItemTime date) {
    if (date != 0) field.SetFloatValue(date);
    else field.Clear();
}

// The fields of an item's texts, found by name once for a whole merge.
struct TextFields {
    TStoreField &title, &link, &description, &content, &author, &date;
};

void setTexts(const TextFields& fields, const ItemTexts& texts) {
    fields.title.SetTextValue(texts.title);
    fields.link.SetTextValue(texts.link);
    fields.description.SetTextValue(texts.description);
    fields.content.SetTextValue(texts.content);
    fields.author.SetTextValue(texts.author);
    setDate(fields.date, texts.date);
}

// The fields of the current row that differ from `texts`, each with how to set it; only
// those are written, so an unchanged memo keeps its blocks.
std::vector<std::function<void()>> changedTexts(const TextFields& fields, const ItemTexts& texts) {
    std::vector<std::function<void()>> changes;
    for (auto text : {std::pair{&fields.title, texts.title}, std::pair{&fields.link, texts.link},
                      std::pair{&fields.description, texts.description},
                      std::pair{&fields.content, texts.content},
                      std::pair{&fields.author, texts.author}}) {
        // A lambda takes a variable of its own, not a structured binding (clang before 16).
        const auto value = text.second;
        TStoreField& field = *text.first;
        if (field.TextValue() != value) changes.push_back([&field, value] { field.SetTextValue(value); });
    }
    TStoreField& date = fields.date;
    if ((date.IsNull() ? 0 : date.FloatValue()) != texts.date)
        changes.push_back([&date, &texts] { setDate(date, texts.date); });
    return changes;
}

// Runs `change` on the current row in edit state and posts it; the edit is cancelled when
// anything fails.
template <typename Change>
void editRow(TStoreTable& table, Change change) {
    table.StartEdit();
    try {
        change();
        table.PostRow();
    } catch (...) {
        table.CancelRow();
        throw;
    }
}

// Visits the rows of exactly `site` in `table`'s order (an index that starts with the site);
// `visit` may change the current row but not move.
void walkSite(TStoreTable& table, std::int32_t site,
              const std::function<void()>& visit) {
    // From the site's first row while the rows are the site's: a range would cost a pass
    // over the whole table's set of rows to set up.
    TStoreField& siteField = table.FieldNamed("Site");
    table.FindNearest({std::to_string(site)});
    for (; !table.AtEnd() && siteField.IntegerValue() == site; table.MoveNext()) visit();
}

// Deletes the rows `rows` mark; returns how many.
int deleteRows(TStoreTable& table, const std::vector<TStoreBookmark>& rows) {
    for (const TStoreBookmark& bookmark : rows) {
        table.GotoBookmark(bookmark);
        table.DeleteRow();
    }
    return static_cast<int>(rows.size());
}

TextFields textFields(const TItemsTable::Fields& fields) {
    return {fields.title, fields.link, fields.description, fields.content, fields.author,
            fields.date};
}

}  // namespace

void TItemsTable::writeItem(const Fields& fields, const TRSSListedItem& item,
                            const std::string& key, std::int32_t site, TItemTime now) {
    TStoreTable& table = *byKey_;
    table.StartInsert();
    try {
        fields.site.SetIntegerValue(site);
        fields.key.SetTextValue(key);
        setTexts(textFields(fields), textsOf(item));
        fields.firstSeen.SetFloatValue(now);
        fields.read.SetBooleanValue(false);
        table.PostRow();
    } catch (...) {
        table.CancelRow();
        throw;
    }
}

bool TItemsTable::refreshItem(const Fields& fields, const TRSSListedItem& item) {
    const ItemTexts texts = textsOf(item);
    const std::vector<std::function<void()>> changes = changedTexts(textFields(fields), texts);
    if (changes.empty()) return false;
    editRow(*byKey_, [&] {
        for (const auto& change : changes) change();
    });
    return true;
}

void TItemsTable::addItem(const Fields& fields, std::int32_t site, const TRSSListedItem& item,
                          const std::string& key, TItemTime now, TMergeCounts& counts) {
    try {
        writeItem(fields, item, key, site, now);
        ++counts.Added;
    } catch (const EStoreEngineError& e) {
        // The walk matched keys as the table gives them back; the index has the last word on
        // whether the site holds this one.
        if (e.ErrorCode() != storecode::kDuplicateKey || !findItem(site, key)) throw;
        if (refreshItem(fields, item)) ++counts.Changed;
    }
}

TMergeCounts TItemsTable::Merge(std::int32_t site, const TRSSListedItemCollection& items,
                                TItemTime now) {
    TTableLockScope transaction(*byKey_);
    refresh();
    std::vector<std::string> keys(items.Count());
    for (int i = 0; i < items.Count(); ++i) keys[i] = storedItemKey(*items[i]);
    // A feed that lists an item twice has it once: the first time counts.
    std::unordered_map<std::string_view, int> feed;
    feed.reserve(keys.size());
    for (int i = 0; i < items.Count(); ++i) feed.try_emplace(keys[i], i);
    TMergeCounts counts;
    const Fields fields(*byKey_);
    // One walk over the site's rows refreshes the items the site has and finds the old ones
    // the feed no longer holds, instead of a key search per item of the feed.
    std::vector<bool> known(keys.size());
    std::vector<TStoreBookmark> old;
    const TItemTime limit = RetentionDays > 0 ? now - RetentionDays * kDayMs : 0;
    walkSite(*byKey_, site, [&] {
        const auto found = feed.find(fields.key.TextValue());
        if (found != feed.end()) {
            known[found->second] = true;
            if (refreshItem(fields, *items[found->second])) ++counts.Changed;
        } else if (fields.read.BooleanValue() &&
                   currentItem(fields, TItemParts::Keys).SortTime() < limit) {
            old.push_back(byKey_->GetBookmark());
        }
    });
    for (int i = 0; i < items.Count(); ++i) {
        if (!known[i] && feed.at(keys[i]) == i)
            addItem(fields, site, *items[i], keys[i], now, counts);
    }
    counts.Removed = deleteRows(*byKey_, old);
    transaction.Release();
    return counts;
}

void TItemsTable::forEachRow(TStoreTable& table, std::int32_t site,
                             const std::function<void()>& visit) {
    if (site != 0) {
        const std::string value = std::to_string(site);
        table.SetRange({value}, {value});
    }
    try {
        for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) visit();
    } catch (...) {
        if (site != 0) table.CancelRange();
        throw;
    }
    if (site != 0) table.CancelRange();
}

TStoredItem TItemsTable::currentItem(const Fields& fields, TItemParts parts) {
    TStoredItem item;
    readCurrentItem(fields, parts, item);
    return item;
}

void TItemsTable::readCurrentItem(const Fields& fields, TItemParts parts, TStoredItem& item) {
    item.ID = fields.id.IntegerValue();
    item.Site = fields.site.IntegerValue();
    item.Key = fields.key.TextValue();
    item.Date = fields.date.FloatValue();
    item.FirstSeen = fields.firstSeen.FloatValue();
    item.Read = fields.read.BooleanValue();
    if (parts == TItemParts::Keys) return;
    fields.title.ReadTextValue(item.Title);
    if (parts == TItemParts::Titles) return;
    fields.link.ReadTextValue(item.Link);
    item.Author = fields.author.TextValue();
    if (parts == TItemParts::Whole) {
        fields.description.ReadTextValue(item.Description);
        fields.content.ReadTextValue(item.Content);
    }
}

void TItemsTable::ForEachItem(const std::function<void(TStoredItem&&)>& visit,
                              std::int32_t site, TItemParts parts) {
    TTableLockScope reading(*byKey_, TStoreLockType::ltReadLock);
    refresh();
    TStoreTable& table = *byDate_;
    const Fields fields(table);
    TStoredItem item;
    forEachRow(table, site, [&] {
        readCurrentItem(fields, parts, item);
        visit(std::move(item));
    });
}

bool TItemsTable::ReadItem(std::int32_t site, const std::string& key, TStoredItem& item) {
    TTableLockScope reading(*byKey_, TStoreLockType::ltReadLock);
    refresh();
    if (!findItem(site, key)) return false;
    item = currentItem(Fields(*byKey_), TItemParts::Whole);
    return true;
}

bool TItemsTable::SetRead(std::int32_t site, const std::string& key, bool read) {
    TTableLockScope transaction(*byKey_);
    refresh();
    if (!findItem(site, key)) return false;
    TStoreField& flag = byKey_->FieldNamed("Read");
    if (flag.BooleanValue() != read) editRow(*byKey_, [&] { flag.SetBooleanValue(read); });
    transaction.Release();
    return true;
}

int TItemsTable::MarkAllRead(std::int32_t site) {
    TTableLockScope transaction(*byKey_);
    refresh();
    int marked = 0;
    TStoreTable& table = *byDate_;
    TStoreField& flag = table.FieldNamed("Read");
    forEachRow(table, site, [&] {
        if (flag.BooleanValue()) return;
        editRow(table, [&] { flag.SetBooleanValue(true); });
        ++marked;
    });
    transaction.Release();
    return marked;
}

int TItemsTable::DeleteSite(std::int32_t site) {
    TTableLockScope transaction(*byKey_);
    refresh();
    TStoreTable& table = *byDate_;
    std::vector<TStoreBookmark> rows;
    forEachRow(table, site, [&] { rows.push_back(table.GetBookmark()); });
    const int deleted = deleteRows(table, rows);
    transaction.Release();
    return deleted;
}

std::vector<std::string> TItemsTable::Check() { return byKey_->CheckFiles(); }

int DeleteSiteItems(const std::string& folder, std::int32_t site) {
    if (::access((folder + kItemsTableName).c_str(), F_OK) != 0) return 0;
    TItemsTable items(folder);
    return items.DeleteSite(site);
}

}  // namespace wispel
