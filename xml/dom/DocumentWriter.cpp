// The document's serialization: the XML declaration followed by the children's markup, as
// UTF-16 or UTF-8.

#include <string>

#include "core/Stream.h"
#include "xml/dom/Document.h"
#include "xml/dom/Markup.h"

namespace wispel {

namespace {

// Sets a field for the duration of a scope and puts the old value back, also on errors.
class TScopedValue {
public:
    TScopedValue(DOMString& field, const DOMString& value) : field_(field), saved_(field) {
        field_ = value;
    }
    ~TScopedValue() { field_ = saved_; }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    DOMString& field_;
    DOMString saved_;
};

}  // namespace

void TdomDocument::writeMarkup(DOMString& out) {
    out += u"<?xml version=\"" + (version_.empty() ? DOMString(u"1.0") : version_) + u"\"";
    if (!encoding_.empty()) out += u" encoding=\"" + encoding_ + u"\"";
    if (!standalone_.empty()) out += u" standalone=\"" + standalone_ + u"\"";
    out += u"?>";
    for (const TdomNode* child = firstChild(); child != nullptr; child = child->nextSibling()) {
        out += u"\n";
        appendMarkup(child, out);
    }
}

void TdomDocument::writeXml(TStream& stream) {
    DOMString markup;
    writeMarkup(markup);
    writeUtf16LE(stream, markup);
}

std::string TdomDocument::xmlTextUtf8() {
    TScopedValue scoped(encoding_, u"UTF-8");
    DOMString markup;
    writeMarkup(markup);
    return toUtf8(markup);
}

DOMString TdomDocument::xmlTextUtf16() {
    TScopedValue scoped(encoding_, u"UTF-16");
    DOMString markup(1, u'\xFEFF');
    writeMarkup(markup);
    return markup;
}

void TdomDocument::writeXmlUtf8(TStream& stream) {
    std::string bytes = xmlTextUtf8();
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TdomDocument::writeXmlUtf16(TStream& stream) {
    writeUtf16LE(stream, xmlTextUtf16());
}

}  // namespace wispel
