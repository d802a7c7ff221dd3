#pragma once
// A table with blob columns beside the sites table: "News.DAT" with an auto-increment ID, an
// integer Site, a text Title of 40, a memo Body and a binary Data column.

#include <string>

#include "tablestore/component/StoreTable.h"

namespace wispel::test {

inline const std::string kNewsTableName = "News.DAT";

void addNewsFieldDefs(TStoreFieldDefs& defs);
// A closed table on News.DAT in `dir` with the news field definitions.
std::unique_ptr<TStoreTable> newsTable(const std::string& dir);
// The body of test value n, `length` bytes long: every byte tells its place, so a block
// read from the wrong place shows.
std::string bodyText(int n, std::size_t length);
// Every row as "ID:Title:Body length:Data length" lines, and whether every body is the
// bodyText its row's Site names (Site holds n, Title the length).
std::string describeRows(TStoreTable& table);

}  // namespace wispel::test
