#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "tablestore/errors/StoreEngineError.h"

namespace wispel::test {

int engineCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const EStoreEngineError& e) {
        return e.ErrorCode();
    }
    return 0;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void patchBytes(const std::string& path, std::size_t offset, const std::string& bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SitesTableTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "wispel-ts-" + std::to_string(::getpid()) + "-" +
                       info->test_suite_name() + "-" + info->name();
    // Parameterised tests have slashes in their names: one folder each, all of it removed.
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    dirName_ = dir_.string() + "/";
}

void SitesTableTest::TearDown() { std::filesystem::remove_all(dir_); }

std::unique_ptr<TStoreTable> SitesTableTest::sitesTable() const {
    auto table = std::make_unique<TStoreTable>();
    table->SetDatabaseName(dirName_);
    table->SetTableName(kSitesTableName);
    addSitesFieldDefs(table->FieldDefs());
    return table;
}

std::unique_ptr<TStoreTable> SitesTableTest::createSites() const {
    auto table = sitesTable();
    table->CreateTable();
    table->Open();
    return table;
}

void SitesTableTest::addSite(TStoreTable& table, const std::string& name, const std::string& url,
                             int update, bool active) {
    table.StartInsert();
    table.FieldNamed("Name").SetTextValue(name);
    table.FieldNamed("URL").SetTextValue(url);
    table.FieldNamed("Update").SetIntegerValue(update);
    table.FieldNamed("Active").SetBooleanValue(active);
    table.PostRow();
}

std::string SitesTableTest::names(TStoreTable& table) {
    std::string out;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        out += (out.empty() ? "" : " ") + table.FieldNamed("Name").TextValue();
    return out;
}

}  // namespace wispel::test
