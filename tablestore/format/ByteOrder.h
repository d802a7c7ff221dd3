#pragma once
// Integers in the table files are little-endian, whatever the machine; these helpers read
// and write them at a byte position of a buffer, and the files' short texts (a length byte,
// then up to N bytes, unused bytes zero). Callers check bounds: every helper assumes the
// bytes it touches lie inside the buffer.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/TextConvert.h"

namespace wispel {

inline std::uint16_t getLe16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t getLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t getLe64(const unsigned char* p) {
    return getLe32(p) | (static_cast<std::uint64_t>(getLe32(p + 4)) << 32);
}
inline double getLeDouble(const unsigned char* p) { return std::bit_cast<double>(getLe64(p)); }

inline void putLe16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void putLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void putLe64(unsigned char* p, std::uint64_t v) {
    putLe32(p, static_cast<std::uint32_t>(v));
    putLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}
inline void putLeDouble(unsigned char* p, double v) { putLe64(p, std::bit_cast<std::uint64_t>(v)); }

// A short text of `capacity` characters occupies capacity + 1 bytes. A length byte beyond
// the capacity is taken as the capacity (the text is then whatever the bytes hold).
inline std::string getShortText(const unsigned char* p, std::size_t capacity) {
    std::size_t length = p[0] < capacity ? p[0] : capacity;
    return std::string(reinterpret_cast<const char*>(p + 1), length);
}
// Writes `text`, cut to `capacity` bytes where a character ends, and zeroes the unused bytes.
inline void putShortText(unsigned char* p, std::size_t capacity, std::string_view text) {
    std::size_t length = truncateUtf8(text, capacity).size();
    p[0] = static_cast<unsigned char>(length);
    std::memcpy(p + 1, text.data(), length);
    std::memset(p + 1 + length, 0, capacity - length);
}

}  // namespace wispel
