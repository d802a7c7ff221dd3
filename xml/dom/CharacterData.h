#pragma once
// Character data nodes: text, comment and CDATA section. The data lives in the owner
// document's text storage, the node keeps where and how long; offsets and counts are in
// UTF-16 code units. A view of the data stays valid until the data changes.

#include "xml/dom/Node.h"

namespace wispel {

class TdomCharacterData : public TdomNode {
public:
    DOMString nodeValue() const override { return DOMString(data()); }
    void nodeValue(const DOMString& value) override;

    virtual std::u16string_view data() const;
    virtual void data(const DOMString& value);
    virtual int length() const;
    virtual DOMString substringData(int offset, int count) const;
    virtual void appendData(const DOMString& arg);
    virtual void insertData(int offset, const DOMString& arg);
    virtual void deleteData(int offset, int count);
    virtual void replaceData(int offset, int count, const DOMString& arg);

protected:
    TdomCharacterData(TdomDocument* ownerDocument, const DOMString& name, TdomNodeType type);

    // Stores `value` as the data; in place when it is no longer than the data now.
    void setData(std::u16string_view value);

    const char16_t* text_ = nullptr;
};

class TdomText : public TdomCharacterData {
public:
    explicit TdomText(TdomDocument* ownerDocument);

    bool validateNode(TdomCustomErrorHandler* handler) override;

    virtual bool isWhitespaceInElementContent() const;
    // The data with ", &, ', < and > written as character references.
    virtual DOMString escapedData() const;
    // Moves the data from `offset` on into a new text node (a plain text node even for a
    // CDATA section), placed after this one when it has a parent.
    virtual TdomText* splitText(int offset);

protected:
    TdomText(TdomDocument* ownerDocument, const DOMString& name, TdomNodeType type);
};

class TdomComment : public TdomCharacterData {
public:
    explicit TdomComment(TdomDocument* ownerDocument);

    bool validateNode(TdomCustomErrorHandler* handler) override;
};

class TdomCDATASection : public TdomText {
public:
    explicit TdomCDATASection(TdomDocument* ownerDocument);
};

// ", &, ', < and > of `text` as "&#34;", "&#38;", "&#39;", "&#60;" and "&#62;".
DOMString escapeMarkupChars(std::u16string_view text);

}  // namespace wispel
