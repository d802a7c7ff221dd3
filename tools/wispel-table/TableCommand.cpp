#include "tools/wispel-table/TableCommand.h"

#include <algorithm>

#include "core/CommandLineTool.h"
#include "core/DataFolder.h"
#include "core/Exception.h"
#include "core/TerminalText.h"
#include "tablestore/component/StoreTable.h"

namespace wispel {

namespace {

std::vector<std::string> splitList(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

const char* typeName(TStoreFieldType type) {
    switch (type) {
        case TStoreFieldType::ftString: return "text";
        case TStoreFieldType::ftFixedChar: return "fixed text";
        case TStoreFieldType::ftSmallint: return "smallint";
        case TStoreFieldType::ftInteger: return "integer";
        case TStoreFieldType::ftWord: return "word";
        case TStoreFieldType::ftBoolean: return "boolean";
        case TStoreFieldType::ftFloat: return "float";
        case TStoreFieldType::ftCurrency: return "money";
        case TStoreFieldType::ftBCD: return "bcd";
        case TStoreFieldType::ftDate: return "date";
        case TStoreFieldType::ftTime: return "time";
        case TStoreFieldType::ftDateTime: return "timestamp";
        case TStoreFieldType::ftBytes: return "bytes";
        case TStoreFieldType::ftVarBytes: return "varbytes";
        case TStoreFieldType::ftAutoInc: return "autoinc";
        case TStoreFieldType::ftMemo: case TStoreFieldType::ftFmtMemo: return "memo";
        default: return "blob";
    }
}

void schema(TStoreTable& table, std::FILE* out) {
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TStoreField& field = table.Fields(i);
        std::string line = escapeControls(field.FieldName()) + "\t" + typeName(field.DataType());
        if (field.Size() != 0) line += "(" + std::to_string(field.Size()) + ")";
        if (field.Required()) line += "\trequired";
        std::fprintf(out, "%s\n", line.c_str());
    }
    for (const TStoreTableIndexInfo& index : table.IndexInfo()) {
        std::string line = "index " + (index.Name.empty() ? std::string("(primary)") : escapeControls(index.Name)) +
                           "\t" + escapeControls(index.Fields);
        if (index.Unique) line += "\tunique";
        if (index.CaseInsensitive) line += "\tcase-insensitive";
        if (!index.DescFields.empty()) line += "\tdescending " + escapeControls(index.DescFields);
        std::fprintf(out, "%s\n", line.c_str());
    }
}

bool isMemo(const TStoreField& field) {
    return field.DataType() == TStoreFieldType::ftMemo || field.DataType() == TStoreFieldType::ftFmtMemo;
}

std::string shown(const TStoreField& field) {
    if (field.IsBlob() && !isMemo(field)) return std::to_string(field.BlobSize());
    return field.TextValue();
}

void list(TStoreTable& table, const TTableCommand& command, std::FILE* out) {
    std::vector<TStoreField*> fields;
    if (command.fields.empty()) {
        for (int i = 0; i < table.FieldCount(); ++i) fields.push_back(&table.Fields(i));
    } else {
        for (const std::string& name : command.fields) fields.push_back(&table.FieldNamed(name));
    }
    std::string line;
    if (!command.tsv) {
        for (const TStoreField* field : fields)
            line += (line.empty() ? "" : "  ") + escapeControls(field->FieldName());
        std::fprintf(out, "%s\n", line.c_str());
    }
    const char* separator = command.tsv ? "\t" : "  ";
    auto printRow = [&] {
        line.clear();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i != 0) line += separator;
            appendEscapedControls(line, shown(*fields[i]));
        }
        line += '\n';
        std::fputs(line.c_str(), out);
    };
    if (!command.key.empty()) {
        // Every row whose leading key fields equal the values: a range of one key.
        table.SetRange(command.key, command.key);
    } else if (!command.range.empty()) {
        table.SetRange({command.range[0]},
                       command.range.size() > 1 ? std::vector<std::string>{command.range[1]}
                                                : std::vector<std::string>{});
    }
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) printRow();
}

void openTable(TStoreTable& table, const TTableCommand& command) {
    table.SetDatabaseName(command.dir);
    table.SetTableName(command.table);
    table.Open();
    if (!command.index.empty()) table.SetIndexName(command.index);
    if (!command.filter.empty()) {
        table.SetFilter(command.filter);
        table.SetFiltered(true);
    }
}

}  // namespace

bool parseTableArguments(const std::vector<std::string>& arguments, TTableCommand& command,
                         std::string& error) {
    std::size_t i = 0;
    if (!takeDirOption(arguments, i, command.dir, error)) return false;
    bool operands = false;  // after "--": every argument is a name or a value
    if (i < arguments.size() && arguments[i] == "--") {
        operands = true;
        ++i;
    }
    if (i + 1 >= arguments.size()) {
        error = i >= arguments.size() ? "no table" : "no command";
        return false;
    }
    command.table = arguments[i++];
    command.name = arguments[i++];
    const std::string& n = command.name;
    if (n != "schema" && n != "list" && n != "count" && n != "check") {
        error = "unknown command '" + n + "'";
        return false;
    }
    auto value = [&](std::string& into) {
        if (i + 1 >= arguments.size()) return false;
        into = arguments[++i];
        return true;
    };
    // Whether a value of --key or --range follows; "--" lets values that start with "--" follow.
    auto listValueFollows = [&] {
        if (!operands && i + 1 < arguments.size() && arguments[i + 1] == "--") {
            operands = true;
            ++i;
        }
        return i + 1 < arguments.size() && (operands || arguments[i + 1].rfind("--", 0) != 0);
    };
    for (; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        bool ok = true;
        if (!operands && a == "--") operands = true;
        else if (n == "list" && a == "--tsv") command.tsv = true;
        else if (n == "list" && a == "--index") ok = value(command.index);
        else if ((n == "list" || n == "count") && a == "--filter") ok = value(command.filter);
        else if (n == "list" && a == "--fields") {
            std::string list;
            ok = value(list);
            if (ok) command.fields = splitList(list, ',');
        } else if (n == "list" && a == "--range") {
            command.range.clear();
            while (command.range.size() < 2 && listValueFollows())
                command.range.push_back(arguments[++i]);
            ok = !command.range.empty();
        } else if (n == "list" && a == "--key") {
            command.key.clear();
            while (listValueFollows()) command.key.push_back(arguments[++i]);
            ok = !command.key.empty();
        } else {
            error = "unexpected argument '" + a + "' for '" + n + "'";
            return false;
        }
        if (!ok) {
            error = "'" + a + "' needs a value";
            return false;
        }
    }
    if ((!command.range.empty() || !command.key.empty()) && command.index.empty()) {
        error = "--range and --key need --index";
        return false;
    }
    if (!command.range.empty() && !command.key.empty()) {
        error = "--range and --key exclude each other";
        return false;
    }
    if (command.dir.empty()) command.dir = wispelDataFolder();
    return true;
}

int runTableCommand(const TTableCommand& command, std::FILE* out, std::FILE* err) {
    try {
        TStoreTable table;
        openTable(table, command);
        if (command.name == "schema") schema(table, out);
        else if (command.name == "list") list(table, command, out);
        else if (command.name == "count") std::fprintf(out, "%d\n", table.RecordCount());
        else if (command.name == "check") {
            const std::vector<std::string> problems = table.CheckFiles();
            for (const std::string& problem : problems)
                std::fprintf(out, "%s\n", escapeControls(problem).c_str());
            return problems.empty() ? 0 : 1;
        }
        return 0;
    } catch (const Exception& e) {
        std::fprintf(err, "%s\n", escapeControlsKeepingLines(e.message()).c_str());
        return 1;
    }
}

}  // namespace wispel
