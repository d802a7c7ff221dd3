#pragma once
// One field object per column of an open table: reads and writes that column's value in
// the table's current row buffer (the active row in browse, edit and insert state).
//
// Lifetime: the table creates its fields when it opens and frees them when it closes, so a
// field reference is valid from open to close of its table; after reopening, ask
// `TStoreTable::FieldNamed` again (data links hear of both through StateChanged).
// Fields cannot be copied.
//
// Reading a field that holds no value gives empty text, 0 or false. Writing is allowed
// only in edit or insert state ("Dataset not in edit or insert mode"); the auto-increment
// column is read-only ("Field '%s' cannot be modified"). Text is cut at the column width
// on a UTF-8 character boundary, trailing blanks are removed and the column's declared
// case applied; text that ends up empty leaves the field without a value.

#include <cstdint>
#include <string>
#include <string_view>

#include "tablestore/component/StoreFieldDef.h"
#include "tablestore/format/ColumnDescriptor.h"

namespace wispel {

class TStoreTable;

class TStoreField {
public:
    TStoreField(const TStoreField&) = delete;
    TStoreField& operator=(const TStoreField&) = delete;

    TStoreTable& DataSet() const noexcept { return table_; }
    const std::string& FieldName() const noexcept { return name_; }
    int FieldNo() const noexcept { return fieldNo_; }  // 1-based column number in the table
    TStoreFieldType DataType() const noexcept { return type_; }
    int Size() const noexcept { return size_; }
    bool Required() const noexcept { return required_; }
    bool ReadOnly() const noexcept { return type_ == TStoreFieldType::ftAutoInc; }
    // The column's description when the table's AutoDisplayLabels is set, else the name.
    const std::string& DisplayLabel() const noexcept { return displayLabel_; }
    void SetDisplayLabel(std::string label) { displayLabel_ = std::move(label); }

    // Blob columns (ftBlob, ftMemo and the other blob types): the value's bytes, read from
    // the blob file when first asked for, or as assigned in edit or insert state. TextValue
    // and SetTextValue give and take the same bytes (a memo's UTF-8 text, kept as it is).
    // A value longer than 16 MiB raises EStoreEngineError 10029 and changes nothing; other
    // fields raise 10753. An empty value leaves the field without a value.
    bool IsBlob() const noexcept;
    std::string BlobValue() const;
    void SetBlobValue(std::string_view value);
    // The value's length in bytes, without reading it.
    std::size_t BlobSize() const;

    bool IsNull() const;
    // Text of any type: numbers in decimal, Boolean "True" / "False", dates and times in
    // ISO form ("2026-01-31", "13:45:00", "2026-01-31 13:45:00").
    std::string TextValue() const;
    // The same text into `text`, whose memory is used again: a walk that reads a memo row
    // after row allocates nothing for the values that fit. After an error `text` holds
    // nothing useful.
    void ReadTextValue(std::string& text) const;
    // Integer of an integer, Boolean (0/1), float (rounded) or text field (parsed; text that
    // is no number raises EConvertError).
    std::int32_t IntegerValue() const;
    // Boolean field; a text field "True"/"False" (any case); numbers: not 0.
    bool BooleanValue() const;
    double FloatValue() const;

    void SetTextValue(std::string_view value);  // converted to the field's type
    void SetIntegerValue(std::int32_t value);
    void SetBooleanValue(bool value);
    void SetFloatValue(double value);
    // The field holds no value afterwards (null byte 0, value bytes zero).
    void Clear();

private:
    friend class TStoreTable;
    TStoreField(TStoreTable& table, const TStoreFieldDef& def, const ColumnDescriptor& column);

    // The row buffer of the table's current state; null when there is no row to read.
    const std::uint8_t* readBuffer() const;
    std::uint8_t* writeBuffer() const;  // raises when the table is not editing
    void setText(std::string_view text);
    void changed();

    TStoreTable& table_;
    std::string name_;
    std::string displayLabel_;
    TStoreFieldType type_;
    int size_;
    bool required_;
    int fieldNo_;
    ColumnDescriptor column_;  // where and how the value is stored
};

}  // namespace wispel
