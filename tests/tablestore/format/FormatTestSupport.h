#pragma once
// Shared pieces of the format tests: the sites schema, fixture paths and whole-file reads.

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/TableCreation.h"

namespace wispel::formattest {

inline std::vector<ColumnDefinition> sitesDefinitions() {
    return {
        {"ID", enginetype::kInteger, enginesubtype::kAutoInc, 0, false},
        {"Name", enginetype::kText, 0, 10, false},
        {"URL", enginetype::kText, 0, 250, false},
        {"Update", enginetype::kInteger, 0, 0, false},
        {"Active", enginetype::kBoolean, 0, 0, false},
    };
}

// The fixtures' time of writing: 2026-12-10 12:00.
inline TDateTime fixtureTime() { return encodeDateTime(2026, 12, 10, 12); }

inline std::string fixturePath(const std::string& name) {
    return std::string(WISPEL_TEST_DATA) + "/tablestore/" + name;
}

inline std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace wispel::formattest
