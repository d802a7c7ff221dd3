#pragma once
// The engine's result codes. Everything below the component layer reports failure as one
// of these 16-bit codes (0 for success); the component layer turns a code into an
// EStoreEngineError (StoreEngineError.h) with the code's text (StoreErrorTexts.h).

#include <cstdint>

namespace wispel {

using StoreResult = std::uint16_t;

namespace storecode {
constexpr StoreResult kOk = 0;

// Navigation: also the engine's plain results for running off either end.
constexpr StoreResult kBeginOfFile = 8705;
constexpr StoreResult kEndOfFile = 8706;
constexpr StoreResult kRecordChanged = 8708;
constexpr StoreResult kNoCurrentRecord = 8709;
constexpr StoreResult kRecordNotFound = 8710;
constexpr StoreResult kEndOfBlob = 8711;

// Damaged files.
constexpr StoreResult kHeaderCorrupt = 8961;
constexpr StoreResult kRecordsCorrupt = 8962;
constexpr StoreResult kBlobCorrupt = 8963;
constexpr StoreResult kIndexCorrupt = 8965;

// Input and output.
constexpr StoreResult kReadError = 9217;   // short read
constexpr StoreResult kWriteError = 9218;  // short write
constexpr StoreResult kCannotDelete = 9220;
constexpr StoreResult kHeaderAccess = 9221;

// Limits.
constexpr StoreResult kRecordTooLarge = 9477;
constexpr StoreResult kTableFull = 9479;
constexpr StoreResult kTooManyFilters = 9482;
constexpr StoreResult kIndexLimits = 9487;
constexpr StoreResult kFieldLimits = 9492;
constexpr StoreResult kTooManyBlobsOpen = 9494;
constexpr StoreResult kBlobFieldLimits = 9498;

// Values and definitions.
constexpr StoreResult kDuplicateKey = 9729;
constexpr StoreResult kBelowMinimum = 9730;
constexpr StoreResult kAboveMaximum = 9731;
constexpr StoreResult kValueRequired = 9732;
constexpr StoreResult kInvalidField = 9985;
constexpr StoreResult kPrimaryIndexExists = 9993;
constexpr StoreResult kInvalidBlobOffset = 9998;
constexpr StoreResult kInvalidFieldDefinition = 10000;
constexpr StoreResult kInvalidValidityCheck = 10006;
constexpr StoreResult kMissingIndexName = 10010;
constexpr StoreResult kInvalidPassword = 10015;
constexpr StoreResult kInvalidIndexName = 10022;
constexpr StoreResult kInvalidIndexField = 10023;
constexpr StoreResult kInvalidKeySize = 10026;
constexpr StoreResult kIndexExists = 10027;
constexpr StoreResult kInvalidBlobLength = 10029;
constexpr StoreResult kInvalidBlobHandle = 10030;
constexpr StoreResult kTableInUse = 10031;
constexpr StoreResult kInvalidFieldName = 10038;
constexpr StoreResult kInvalidFilterHandle = 10050;
constexpr StoreResult kFilterError = 10051;
constexpr StoreResult kPrimaryIndexRequired = 10055;

// Locks.
constexpr StoreResult kTableLocked = 10241;  // also: a byte range held by another handle
constexpr StoreResult kCannotUnlock = 10242;
constexpr StoreResult kLockFailure = 10249;
constexpr StoreResult kNeedsExclusive = 10253;
constexpr StoreResult kRecordInUse = 10258;

constexpr StoreResult kPasswordRequired = 10498;
constexpr StoreResult kInvalidBlobField = 10753;
constexpr StoreResult kNotInitialized = 10758;

// Operating-system errors.
constexpr StoreResult kInvalidPath = 11010;
constexpr StoreResult kTooManyFiles = 11012;
constexpr StoreResult kAccessDenied = 11013;
constexpr StoreResult kInvalidHandle = 11014;
constexpr StoreResult kOutOfMemory = 11016;
constexpr StoreResult kInvalidMemoryLength = 11017;
constexpr StoreResult kDeviceDenied = 11023;
constexpr StoreResult kTableMoved = 11025;
constexpr StoreResult kSystemError = 11047;

constexpr StoreResult kSqlError = 11949;
constexpr StoreResult kWrongVersion = 12035;
constexpr StoreResult kInvalidIndexFieldType = 12292;
constexpr StoreResult kTableExists = 13060;
constexpr StoreResult kLanguageDriver = 15878;
}  // namespace storecode

}  // namespace wispel
