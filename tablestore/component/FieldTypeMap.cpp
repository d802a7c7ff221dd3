#include "tablestore/component/FieldTypeMap.h"

#include "tablestore/format/ColumnDescriptor.h"

namespace wispel {

namespace t = enginetype;
namespace s = enginesubtype;
using F = TStoreFieldType;

std::optional<TEngineFieldType> engineTypeOf(TStoreFieldType type) {
    switch (type) {
        case F::ftString: case F::ftGuid: return TEngineFieldType{t::kText, s::kNone};
        case F::ftFixedChar: return TEngineFieldType{t::kText, s::kFixedText};
        case F::ftWideString: return TEngineFieldType{t::kText, s::kWideText};
        case F::ftDate: return TEngineFieldType{t::kDate, s::kNone};
        case F::ftBlob: case F::ftParadoxOle: case F::ftDBaseOle: case F::ftOraBlob:
        case F::ftOraClob: return TEngineFieldType{t::kBlob, s::kNone};
        case F::ftMemo: return TEngineFieldType{t::kBlob, s::kMemo};
        case F::ftGraphic: return TEngineFieldType{t::kBlob, s::kGraphic};
        case F::ftFmtMemo: return TEngineFieldType{t::kBlob, s::kFormattedMemo};
        case F::ftTypedBinary: return TEngineFieldType{t::kBlob, s::kTypedBinary};
        case F::ftBoolean: return TEngineFieldType{t::kBoolean, s::kNone};
        case F::ftSmallint: return TEngineFieldType{t::kSmallint, s::kNone};
        case F::ftInteger: return TEngineFieldType{t::kInteger, s::kNone};
        case F::ftAutoInc: return TEngineFieldType{t::kInteger, s::kAutoInc};
        case F::ftFloat: return TEngineFieldType{t::kFloat, s::kNone};
        case F::ftCurrency: return TEngineFieldType{t::kFloat, s::kMoney};
        case F::ftBCD: return TEngineFieldType{t::kBcd, s::kNone};
        case F::ftBytes: return TEngineFieldType{t::kBytes, s::kNone};
        case F::ftTime: return TEngineFieldType{t::kTime, s::kNone};
        case F::ftDateTime: return TEngineFieldType{t::kTimestamp, s::kNone};
        case F::ftWord: return TEngineFieldType{t::kWord, s::kNone};
        case F::ftVarBytes: return TEngineFieldType{t::kVarBytes, s::kNone};
        case F::ftCursor: return TEngineFieldType{t::kCursor, s::kNone};
        case F::ftLargeint: return TEngineFieldType{t::kLargeint, s::kNone};
        case F::ftADT: return TEngineFieldType{t::kAdt, s::kNone};
        case F::ftArray: return TEngineFieldType{t::kArray, s::kNone};
        case F::ftReference: return TEngineFieldType{t::kReference, s::kNone};
        case F::ftDataSet: return TEngineFieldType{t::kDataSet, s::kNone};
        default: return std::nullopt;
    }
}

TStoreFieldType fieldTypeOf(std::uint8_t engineType, std::uint8_t subtype) {
    switch (engineType) {
        case t::kText:
            return subtype == s::kFixedText ? F::ftFixedChar
                   : subtype == s::kWideText ? F::ftWideString : F::ftString;
        case t::kDate: return F::ftDate;
        case t::kBlob:
            switch (subtype) {
                case s::kMemo: return F::ftMemo;
                case s::kGraphic: return F::ftGraphic;
                case s::kFormattedMemo: return F::ftFmtMemo;
                case s::kTypedBinary: return F::ftTypedBinary;
                default: return F::ftBlob;
            }
        case t::kBoolean: return F::ftBoolean;
        case t::kSmallint: return F::ftSmallint;
        case t::kInteger: return subtype == s::kAutoInc ? F::ftAutoInc : F::ftInteger;
        case t::kFloat: return subtype == s::kMoney ? F::ftCurrency : F::ftFloat;
        case t::kBcd: return F::ftBCD;
        case t::kBytes: return F::ftBytes;
        case t::kTime: return F::ftTime;
        case t::kTimestamp: return F::ftDateTime;
        case t::kWord: return F::ftWord;
        case t::kUnsigned32: return F::ftInteger;
        case t::kVarBytes: return F::ftVarBytes;
        case t::kLargeint: case t::kLargeint2: return F::ftLargeint;
        case t::kAdt: return F::ftADT;
        case t::kArray: return F::ftArray;
        case t::kReference: return F::ftReference;
        case t::kDataSet: return F::ftDataSet;
        default: return F::ftUnknown;
    }
}

}  // namespace wispel
