#include "tests/tablestore/sitesfixture/NewsTableFixture.h"

namespace wispel::test {

void addNewsFieldDefs(TStoreFieldDefs& defs) {
    defs.Add("ID", TStoreFieldType::ftAutoInc);
    defs.Add("Site", TStoreFieldType::ftInteger);
    defs.Add("Title", TStoreFieldType::ftString, 40);
    defs.Add("Body", TStoreFieldType::ftMemo);
    defs.Add("Data", TStoreFieldType::ftBlob);
}

std::unique_ptr<TStoreTable> newsTable(const std::string& dir) {
    auto table = std::make_unique<TStoreTable>();
    table->SetDatabaseName(dir);
    table->SetTableName(kNewsTableName);
    addNewsFieldDefs(table->FieldDefs());
    return table;
}

std::string bodyText(int n, std::size_t length) {
    std::string text(length, ' ');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>('a' + (i / 7 + static_cast<std::size_t>(n)) % 26);
    return text;
}

std::string describeRows(TStoreTable& table) {
    std::string out;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
        const std::string body = table.FieldNamed("Body").TextValue();
        out += table.FieldNamed("ID").TextValue() + ":" + table.FieldNamed("Title").TextValue() +
               ":" + std::to_string(body.size()) + ":" +
               std::to_string(table.FieldNamed("Data").BlobValue().size());
        if (body != bodyText(table.FieldNamed("Site").IntegerValue(), body.size())) out += ":BAD";
        out += "\n";
    }
    return out;
}

}  // namespace wispel::test
