#include "tools/wispel-fetch/FetchOutput.h"

namespace wispel {

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

void TFetchOutput::line(std::initializer_list<std::string_view> fields, std::string_view indent) {
    std::string text(indent);
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) text += '\t';
        text += escapeText(field);
        first = false;
    }
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), out_);
}

void TFetchOutput::begin() {
    if (format_ == Format::Tree) line({"Wispel"}, "");
    std::fflush(out_);
}

void TFetchOutput::site(const std::string& name, const TRSSListedItemCollection& items) {
    if (format_ == Format::Tree) line({name}, "  ");
    for (int i = 0; i < items.Count(); ++i) {
        const TRSSListedItem& item = *items[i];
        if (format_ == Format::Tree) {
            line({item.Title, item.Link}, "    ");
        } else {
            line({name, item.Title, item.Link, item.Description}, "");
        }
    }
    // What was printed stays visible even when a later source fails.
    std::fflush(out_);
}

}  // namespace wispel
