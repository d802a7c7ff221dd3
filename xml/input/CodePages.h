#pragma once
// The single-byte character sets of the input source: bytes below 0x80 are ASCII in all of
// them; the tables hold the code units of bytes 0x80 to 0xFF.

namespace wispel {

constexpr int kFirstCodePage = 3;           // encoding value of the first table (ISO-8859-1)
constexpr int kCodePageCount = 18;          // encoding values 3 to 20
constexpr char16_t kRejectedByte = 0xFFFF;  // the byte has no mapping in that character set

extern const char16_t kCodePageUpperHalves[kCodePageCount][128];

}  // namespace wispel
