#include "http/ContentDecoding.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>

#include "core/Format.h"
#include "core/TextCase.h"
#include "core/TextTrim.h"
#include "http/NetException.h"

namespace wispel {

namespace {

constexpr std::size_t kInflateBlock = 64 * 1024;

const char* codingName(TContentCoding coding) {
    return coding == TContentCoding::gzip ? "gzip" : "deflate";
}

// RFC 1950: a zlib stream starts with a method byte of 8 and a check that makes the first
// two bytes a multiple of 31. Raw deflate data rarely passes both.
bool hasZlibWrapper(std::string_view data) {
    if (data.size() < 2) return false;
    auto first = static_cast<unsigned char>(data[0]);
    auto second = static_cast<unsigned char>(data[1]);
    return (first & 0x0F) == 8 && (first >> 4) <= 7 && (first * 256 + second) % 31 == 0;
}

bool startsGzipMember(std::string_view data) {
    return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0x1F &&
           static_cast<unsigned char>(data[1]) == 0x8B;
}

class Inflater {
public:
    Inflater(TContentCoding coding, std::string_view data) : coding_(coding) {
        int windowBits = coding == TContentCoding::gzip ? 15 + 16
                         : hasZlibWrapper(data)         ? 15
                                                        : -15;
        if (inflateInit2(&stream_, windowBits) != Z_OK) fail("out of memory");
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    z_stream& stream() noexcept { return stream_; }

    [[noreturn]] void fail(const char* reason) const {
        throw ENetContentEncodingError(formatMessage(
            "The body is not valid %s data, as its Content-Encoding says it is (%s).",
            {codingName(coding_), stream_.msg != nullptr ? stream_.msg : reason}));
    }
    [[noreturn]] void cutOff() const {
        throw ENetContentEncodingError(
            formatMessage("The %s body ends before its compressed data does.", {codingName(coding_)}));
    }

private:
    TContentCoding coding_;
    z_stream stream_{};
};

// zlib counts its input in 32-bit units: the rest of `data` goes in as much as fits.
void feed(z_stream& stream, std::string_view data, std::size_t& used) {
    if (stream.avail_in != 0 || used == data.size()) return;
    std::size_t piece = std::min<std::size_t>(data.size() - used, std::numeric_limits<uInt>::max());
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + used));
    stream.avail_in = static_cast<uInt>(piece);
    used += piece;
}

}  // namespace

TContentCoding contentCoding(std::string_view contentEncoding) {
    TContentCoding found = TContentCoding::identity;
    std::string_view rest = contentEncoding;
    while (!rest.empty()) {
        std::size_t comma = rest.find(',');
        std::string_view name = trimText(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        if (name.empty() || sameText(name, "identity")) continue;
        TContentCoding coding = sameText(name, "gzip") || sameText(name, "x-gzip") ? TContentCoding::gzip
                                : sameText(name, "deflate") ? TContentCoding::deflate
                                                            : TContentCoding::identity;
        if (coding == TContentCoding::identity || found != TContentCoding::identity) {
            throw ENetContentEncodingError(formatMessage(
                "Content-Encoding '%s' is not supported.", {std::string(trimText(contentEncoding))}));
        }
        found = coding;
    }
    return found;
}

void inflateBody(std::string_view data, TContentCoding coding, TStream& out,
                 std::int64_t maxBytes) {
    if (coding == TContentCoding::identity) {
        if (static_cast<std::int64_t>(data.size()) > maxBytes) raiseBodyTooLarge(maxBytes);
        out.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
        return;
    }
    if (data.empty()) return;  // no body at all is not compressed data gone wrong
    Inflater inflater(coding, data);
    z_stream& stream = inflater.stream();
    std::size_t used = 0;
    std::int64_t written = 0;
    std::string block(kInflateBlock, '\0');
    for (;;) {
        feed(stream, data, used);
        stream.next_out = reinterpret_cast<Bytef*>(block.data());
        stream.avail_out = static_cast<uInt>(block.size());
        int result = inflate(&stream, Z_NO_FLUSH);
        auto produced = static_cast<std::int64_t>(block.size() - stream.avail_out);
        if (written + produced > maxBytes) {
            throw ENetBodyTooLarge(formatMessage("Decompressed body larger than %d bytes.", {maxBytes}));
        }
        out.WriteBuffer(block.data(), produced);
        written += produced;
        if (result == Z_STREAM_END) {
            // Another gzip member may follow; anything else after the end is not read.
            std::string_view rest = data.substr(used - stream.avail_in);
            if (coding != TContentCoding::gzip || !startsGzipMember(rest)) return;
            if (inflateReset(&stream) != Z_OK) inflater.fail("reset failed");
            continue;
        }
        if (result == Z_BUF_ERROR) {
            if (stream.avail_in == 0 && used == data.size()) inflater.cutOff();
            if (produced == 0) inflater.fail("no progress");
        } else if (result != Z_OK) {
            inflater.fail("unknown error");
        }
    }
}

}  // namespace wispel
