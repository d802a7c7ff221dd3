// Float values typed and shown as text through the table component, under the locale the
// process runs in: a window takes LC_NUMERIC from its environment, and a decimal-comma
// locale must change neither what a typed number means nor the text a table stores.

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/Exception.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;

namespace {

struct FloatCase {
    const char* typed;
    double value;
    const char* shown;
};

const FloatCase kFloats[] = {
    {"1.5", 1.5, "1.5"},
    {"-0.25", -0.25, "-0.25"},
    {" +3 ", 3, "3"},
    {"1e3", 1000, "1000"},
    {"0.1", 0.1, "0.1"},
    {"3.14159265358979", 3.14159265358979, "3.14159265358979"},
    {"1234567.125", 1234567.125, "1234567.125"},
    {"2.5E+20", 2.5e20, "2.5e+20"},
};

// "1,5" is one and a half only to a reader in a comma locale; a table refuses it everywhere.
const char* const kRefused[] = {"1,5", "1.5x", "0x10", "nan", "1e400"};

// Runs the process under a decimal-comma LC_NUMERIC for one test, as a window under such an
// environment does.
class CommaLocale {
public:
    CommaLocale() : saved_(std::setlocale(LC_NUMERIC, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) {
                active_ = *std::localeconv()->decimal_point == ',';
                if (active_) return;
            }
        }
        std::setlocale(LC_NUMERIC, saved_.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    bool active() const noexcept { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

class FloatText : public SitesTableTest {
protected:
    std::unique_ptr<TStoreTable> create() const {
        auto table = std::make_unique<TStoreTable>();
        table->SetDatabaseName(dirName_);
        table->SetTableName("Amounts");
        table->FieldDefs().Add("Amount", TStoreFieldType::ftFloat);
        table->FieldDefs().Add("Note", TStoreFieldType::ftString, 30);
        table->CreateTable();
        table->Open();
        return table;
    }

    // Each typed number goes into the float field and, as a float, into the text field; the
    // row is stored and read back.
    void checkEveryCase() const {
        auto table = create();
        for (const auto& c : kFloats) {
            table->StartInsert();
            table->FieldNamed("Amount").SetTextValue(c.typed);
            table->FieldNamed("Note").SetFloatValue(c.value);
            table->PostRow();
        }
        table->MoveFirst();
        for (const auto& c : kFloats) {
            ASSERT_FALSE(table->AtEnd());
            EXPECT_EQ(table->FieldNamed("Amount").FloatValue(), c.value) << c.typed;
            EXPECT_EQ(table->FieldNamed("Amount").TextValue(), c.shown) << c.typed;
            EXPECT_EQ(table->FieldNamed("Note").TextValue(), c.shown) << c.typed;
            EXPECT_EQ(table->FieldNamed("Note").FloatValue(), c.value) << c.typed;
            table->MoveNext();
        }
        table->StartInsert();
        for (const char* text : kRefused) {
            EXPECT_THROW(table->FieldNamed("Amount").SetTextValue(text), EConvertError) << text;
            table->FieldNamed("Note").SetTextValue(text);
            EXPECT_THROW((void)table->FieldNamed("Note").FloatValue(), EConvertError) << text;
        }
        table->CancelRow();
    }
};

}  // namespace

TEST_F(FloatText, NumbersReadAndShowWithAPoint) { checkEveryCase(); }

TEST_F(FloatText, ADecimalCommaLocaleChangesNoNumber) {
    CommaLocale locale;
    if (!locale.active()) GTEST_SKIP() << "no decimal-comma locale is installed";
    checkEveryCase();
}
