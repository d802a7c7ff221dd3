#include "feeds/FeedValidators.h"

#include <unistd.h>

#include "tablestore/component/StoreTable.h"

namespace wispel {

namespace {

constexpr int kUrlWidth = 250;
constexpr int kETagWidth = 250;
constexpr int kLastModifiedWidth = 40;

void addFeedsFieldDefs(TStoreFieldDefs& defs) {
    defs.Clear();
    defs.Add("URL", TStoreFieldType::ftString, kUrlWidth);
    defs.Add("ETag", TStoreFieldType::ftString, kETagWidth);
    defs.Add("LastModified", TStoreFieldType::ftString, kLastModifiedWidth);
}

void openFeedsTable(TStoreTable& table, const std::string& folder) {
    table.SetDatabaseName(folder);
    table.SetTableName(kFeedsTableName);
    if (::access((folder + kFeedsTableName).c_str(), F_OK) != 0) {
        addFeedsFieldDefs(table.FieldDefs());
        table.CreateTable();
    }
    table.Open();
}

// A text the table would keep exactly: within the width, without trailing blanks (which
// the table removes).
bool keepsExactly(const std::string& text, int width) {
    return text.size() <= static_cast<std::size_t>(width) &&
           (text.empty() || (text.back() != ' ' && text.back() != '\t'));
}

}  // namespace

void TFeedValidators::Load(const std::string& folder) {
    entries_.clear();
    TStoreTable table;
    openFeedsTable(table, folder);
    folder_ = folder;
    const TStoreField& url = table.FieldNamed("URL");
    const TStoreField& etag = table.FieldNamed("ETag");
    const TStoreField& modified = table.FieldNamed("LastModified");
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
        entries_[url.TextValue()].validator = {etag.TextValue(), modified.TextValue()};
    }
}

TFeedValidator TFeedValidators::Find(const std::string& url) const {
    auto found = entries_.find(url);
    return found == entries_.end() ? TFeedValidator{} : found->second.validator;
}

void TFeedValidators::Store(const std::string& url, const TFeedValidator& validator) {
    TFeedValidator kept = validator;
    if (!keepsExactly(kept.ETag, kETagWidth)) kept.ETag.clear();
    if (!keepsExactly(kept.LastModified, kLastModifiedWidth)) kept.LastModified.clear();
    if (!keepsExactly(url, kUrlWidth)) return;
    Entry& entry = entries_[url];
    if (entry.validator == kept) return;
    entry.validator = kept;
    entry.changed = true;
}

void TFeedValidators::Save() {
    if (folder_.empty()) return;
    std::map<std::string, const TFeedValidator*> pending;
    for (const auto& [url, entry] : entries_) {
        if (entry.changed) pending[url] = &entry.validator;
    }
    if (pending.empty()) return;
    TStoreTable table;
    openFeedsTable(table, folder_);
    const auto write = [&table](const std::string& url, const TFeedValidator& validator) {
        table.FieldNamed("URL").SetTextValue(url);
        table.FieldNamed("ETag").SetTextValue(validator.ETag);
        table.FieldNamed("LastModified").SetTextValue(validator.LastModified);
        table.PostRow();
    };
    for (table.MoveFirst(); !table.AtEnd() && !pending.empty(); table.MoveNext()) {
        auto found = pending.find(table.FieldNamed("URL").TextValue());
        if (found == pending.end()) continue;
        table.StartEdit();
        write(found->first, *found->second);
        pending.erase(found);
    }
    for (const auto& [url, validator] : pending) {
        table.StartInsert();
        write(url, *validator);
    }
    for (auto& [url, entry] : entries_) entry.changed = false;
}

}  // namespace wispel
