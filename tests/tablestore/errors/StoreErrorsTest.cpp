#include <gtest/gtest.h>

#include "tablestore/errors/StoreEngineError.h"

using namespace wispel;

namespace {

struct TextCase {
    StoreResult code;
    StoreErrorNames names;
    const char* expected;
};

const TextCase kTextCases[] = {
    {11010, {"/data/Sites.DAT", "", "", ""},
     "Invalid path or file name for table '/data/Sites.DAT'"},
    {12035, {"Sites", "", "", ""}, "table 'Sites' is not the correct version"},
    {8961, {"Sites", "", "", ""}, "Header information corrupt in table 'Sites'"},
    {9729, {"Sites", "ByName", "", ""}, "Duplicate key found in index 'ByName' of table 'Sites'"},
    {9732, {"Sites", "Name", "", ""},
     "A value must be provided for the field 'Name' in table 'Sites'"},
    {10023, {"Sites", "7", "ByName", ""},
     "Invalid field number '7' specified in index 'ByName' for table 'Sites'"},
    {10051, {"Sites", "", "", "Type mismatch"}, "Filter error for table 'Sites' - Type mismatch"},
    {11949, {"Sites", "", "", "bad"}, "SQL error - bad"},
    {11016, {"Sites", "", "", ""},
     "There is insufficient operating system memory available for the current operation"},
    {10758, {"Sites", "", "", ""}, "Engine not initialized"},
    // Names are filled in, never read as patterns themselves.
    {9218, {"50%s off", "", "", ""}, "Error writing to table '50%s off'"},
    {1, {"Sites", "", "", ""}, "Unknown error occurred with table 'Sites'"},
    {9999, {"Sites", "x", "", ""}, "Unknown error occurred with table 'Sites'"},
};

}  // namespace

TEST(StoreErrorTexts, FillTheirNamesInOrder) {
    for (const auto& c : kTextCases) {
        EXPECT_EQ(storeErrorText(c.code, c.names), c.expected) << c.code;
    }
}

TEST(StoreErrorTexts, EveryNamedCodeHasItsOwnText) {
    for (StoreResult code : storecode::kAllCodes) {
        EXPECT_TRUE(isKnownStoreError(code)) << code;
        EXPECT_EQ(storeErrorText(code, "T").find("Unknown error"), std::string::npos) << code;
    }
    EXPECT_FALSE(isKnownStoreError(storecode::kOk));
}

TEST(StoreEngineError, MessageCarriesCodeAndText) {
    EStoreEngineError error(storecode::kInvalidPath, StoreErrorNames{"/x/Sites.DAT", {}, {}, {}});
    EXPECT_EQ(error.message(),
              "Table Engine Error # 11010 Invalid path or file name for table '/x/Sites.DAT'");
    EXPECT_STREQ(error.className(), "EStoreEngineError");
    EXPECT_EQ(error.ErrorCode(), 11010);
    ASSERT_EQ(error.ErrorCount(), 1);
    EXPECT_EQ(error.Errors(0).Message, "Invalid path or file name for table '/x/Sites.DAT'");
    const EDatabaseError& base = error;
    EXPECT_EQ(base.message(), error.message());
}

TEST(StoreEngineError, FirstEntryIsTheErrorRaised) {
    EStoreEngineError error({{9218, "Error writing to table 'A'"}, {11047, "second"}});
    EXPECT_EQ(error.ErrorCode(), 9218);
    EXPECT_EQ(error.ErrorCount(), 2);
    EXPECT_EQ(error.Errors(1).ErrorCode, 11047);
    EXPECT_EQ(error.message(), "Table Engine Error # 9218 Error writing to table 'A'");
    EXPECT_THROW(error.Errors(2), std::out_of_range);
}

TEST(StoreEngineError, TextIsCutAt254BytesNeverInsideACharacter) {
    // "Access denied to table '" is 24 bytes; a path of two-byte characters puts the limit
    // in the middle of one of them.
    std::string path = "x";
    for (int i = 0; i < 200; ++i) path += "\xC3\xA9";  // é
    EStoreEngineError error(storecode::kAccessDenied, StoreErrorNames{path, {}, {}, {}});
    const std::string prefix = "Table Engine Error # 11013 ";
    std::string text = error.message().substr(prefix.size());
    EXPECT_EQ(text.size(), 253u);  // 24 + "x" + 114 é; 254 would split the next one
    EXPECT_EQ(text.substr(0, 24), "Access denied to table '");
    EXPECT_EQ(error.Errors(0).Message.size(), 24u + 401u + 1u);  // the entry keeps it whole

    EStoreEngineError ascii(storecode::kAccessDenied,
                            StoreErrorNames{std::string(300, 'a'), {}, {}, {}});
    EXPECT_EQ(ascii.message().size(), prefix.size() + 254);
}
