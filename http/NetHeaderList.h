#pragma once
// Header lines ("Name: value") in arrival or composition order, with lookups by name.
// A line that is not empty and begins with a space or a tab continues the nearest line
// before it that does not; lookups join such lines and writes can fold long lines.

#include <string>
#include <vector>

namespace wispel {

class TNetHeaderList {
public:
    TNetHeaderList() = default;
    explicit TNetHeaderList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    // The string-list operations.
    int Count() const noexcept { return static_cast<int>(lines_.size()); }
    const std::string& Strings(int index) const;  // EListError when out of range
    void Put(int index, std::string line);
    int Add(std::string line);
    void Insert(int index, std::string line);
    void Delete(int index);
    void Clear() noexcept { lines_.clear(); }
    int IndexOf(const std::string& line) const;
    void AddStrings(const TNetHeaderList& other);
    const std::vector<std::string>& Lines() const noexcept { return lines_; }
    // The lines joined, each followed by CR LF.
    std::string Text() const;

    // The name of line `index`: the text before the first ":", upper-cased (ASCII letters)
    // unless caseSensitiveNames is set; empty for a line without ":".
    std::string nameOfLine(int index) const;
    // The first line whose name equals `name` ignoring case, or -1.
    int indexOfName(const std::string& name) const;
    // The value of the header at `index` with its continuation lines; empty for -1.
    std::string valueOfLine(int index) const;
    std::string value(const std::string& name) const { return valueOfLine(indexOfName(name)); }
    // Sets or replaces a header; an empty text removes it.
    void setValue(const std::string& name, const std::string& text);

    // Wraps `line` at `width` characters at blanks outside double quotes; every piece after
    // the first starts with one space.
    static std::vector<std::string> foldLine(const std::string& line, int width);

    std::string valueSeparator = ": ";
    bool caseSensitiveNames = false;
    bool unfoldOnRead = true;
    bool foldOnWrite = true;
    int foldWidth = 78;

private:
    bool isContinuation(int index) const;
    // Index just past the continuation lines that follow line `index`.
    int endOfContinuation(int index) const;

    std::vector<std::string> lines_;
};

}  // namespace wispel
