#include "http/ChunkedBody.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/Format.h"
#include "core/MemoryStream.h"
#include "http/NetException.h"
#include "http/NetTCPConnection.h"

namespace wispel {

namespace {

int hexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// A chunk size line: hexadecimal digits, then optional blanks and an extension after ";".
// Anything else is a broken frame, never the end of a good body.
std::int64_t chunkSize(std::string_view line, std::int64_t limit) {
    std::size_t end = std::min(line.find_first_of(" \t;"), line.size());
    if (end == 0) raiseMalformed("Malformed chunk size.");
    std::int64_t size = 0;
    for (std::size_t i = 0; i < end; ++i) {
        int digit = hexDigit(line[i]);
        if (digit < 0) raiseMalformed("Malformed chunk size.");
        if (size > (limit >> 4)) raiseBodyTooLarge(limit);  // stops before it can overflow
        size = size * 16 + digit;
    }
    std::size_t after = line.find_first_not_of(" \t", end);
    if (after != std::string_view::npos && line[after] != ';')
        raiseMalformed("Malformed chunk size.");
    return size;
}

// The decoding state over one storage. Offsets are counted from the work stream's
// position, which is where the next decoded byte goes: received bytes not yet decoded lie
// in [raw_, end_), and the raw_ bytes before them are framing already cut out.
class ChunkedBodyReader {
public:
    ChunkedBodyReader(TNetTCPConnection& connection, TStream& target, std::int64_t maxBytes,
                      int maxTrailerLines)
        : connection_(connection),
          target_(target),
          work_(workStream(target)),
          maxBytes_(maxBytes),
          maxTrailerLines_(maxTrailerLines) {}

    void run();

private:
    enum class Expect { size, data, dataEnd, trailer, done };

    TMemoryStream& workStream(TStream& target) {
        auto* memory = dynamic_cast<TMemoryStream*>(&target);
        // Raw bytes past the position would overwrite content that follows it.
        if (memory != nullptr && memory->Position() == memory->Size()) return *memory;
        return own_;
    }
    char* raw() { return work_.Memory() + work_.Position() + raw_; }
    std::int64_t rawSize() const { return end_ - raw_; }
    // Decodes what has arrived; false when more must be received first.
    bool step();
    // The next line among the raw bytes, without its LF (and a CR before it); false when
    // no whole line has arrived.
    bool takeLine(std::string_view& line);
    void takeData();
    void receive();
    void flushToTarget();

    TNetTCPConnection& connection_;
    TStream& target_;
    TMemoryStream own_;  // unused when the target itself is the work stream
    TMemoryStream& work_;
    std::int64_t maxBytes_;
    int maxTrailerLines_;
    std::int64_t total_ = 0;  // data bytes decoded
    std::int64_t left_ = 0;   // data bytes of the current chunk still to come
    int trailerLines_ = 0;
    // Raw bytes known to hold no line end: a line that arrives in many receives is searched
    // once, not again from its start after each.
    std::size_t scanned_ = 0;
    std::int64_t raw_ = 0;
    std::int64_t end_ = 0;
    Expect expect_ = Expect::size;
};

void ChunkedBodyReader::run() {
    // What arrived with the head starts the raw bytes.
    TNetBuffer& input = connection_.InputBuffer();
    end_ = input.Size();
    if (end_ > 0) std::memcpy(work_.PrepareWrite(end_), input.Memory(), static_cast<size_t>(end_));
    connection_.DropInput(end_);
    while (expect_ != Expect::done) {
        if (!step()) receive();
    }
    flushToTarget();
    // As after any other body: what stood after it in the stream is not part of the reply.
    if (target_.Position() < target_.Size()) target_.SetSize(target_.Position());
    // The bytes after the body belong to what follows on the connection.
    if (rawSize() > 0) input.Append(raw(), rawSize());
}

bool ChunkedBodyReader::step() {
    if (expect_ == Expect::data) {
        if (rawSize() == 0) return false;
        takeData();
        return true;
    }
    std::string_view line;
    if (!takeLine(line)) return false;
    switch (expect_) {
        case Expect::size:
            left_ = chunkSize(line, maxBytes_);
            if (left_ > maxBytes_ - total_) raiseBodyTooLarge(maxBytes_);
            expect_ = left_ > 0 ? Expect::data : Expect::trailer;
            break;
        case Expect::dataEnd:
            if (!line.empty()) raiseMalformed("Chunk not followed by CR LF.");
            expect_ = Expect::size;
            break;
        default:
            if (line.empty()) {
                expect_ = Expect::done;
            } else if (++trailerLines_ > maxTrailerLines_) {
                throw ENetTooManyHeaders(
                    formatMessage("More than %d header lines.", {maxTrailerLines_}));
            }
            break;
    }
    return true;
}

bool ChunkedBodyReader::takeLine(std::string_view& line) {
    std::string_view bytes(raw(), static_cast<size_t>(rawSize()));
    std::size_t lf = bytes.find('\n', scanned_);
    scanned_ = lf == std::string_view::npos ? bytes.size() : 0;
    auto longest = static_cast<std::size_t>(connection_.MaxLineLength);
    if (lf == std::string_view::npos ? bytes.size() > longest : lf > longest) {
        connection_.CloseSocket();  // the rest of the stream cannot be framed any more
        throw ENetLineTooLong(formatMessage("Line longer than %d bytes.", {longest}));
    }
    if (lf == std::string_view::npos) return false;
    line = bytes.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    raw_ += static_cast<std::int64_t>(lf + 1);
    return true;
}

// The data moves down over the framing cut out before it; committing it moves the
// position by as much, so the raw bytes after it keep their offsets.
void ChunkedBodyReader::takeData() {
    std::int64_t n = std::min(left_, rawSize());
    char* to = work_.Memory() + work_.Position();
    if (raw_ > 0) std::memmove(to, to + raw_, static_cast<size_t>(n));
    work_.CommitWrite(n);
    end_ -= n;
    total_ += n;
    left_ -= n;
    if (left_ == 0) expect_ = Expect::dataEnd;
}

void ChunkedBodyReader::receive() {
    flushToTarget();
    if (raw_ > 0 && rawSize() > 0) {  // the raw bytes move down over the framing cut out
        char* to = work_.Memory() + work_.Position();
        std::memmove(to, to + raw_, static_cast<size_t>(rawSize()));
    }
    end_ -= raw_;
    raw_ = 0;
    // A long chunk is received in one room of its size, so that it lands in place.
    std::int64_t want = std::max(kLargeReadSize, expect_ == Expect::data ? left_ : 0);
    char* room = work_.PrepareWrite(end_ + want) + end_;
    std::int64_t n = connection_.FillInputBuffer(true, kNoTimeLimit, room, want, false);
    if (n <= 0) throw ENetConnClosedGracefully("Connection Closed Gracefully.");
    end_ += n;
}

// Hands the decoded bytes of the work stream's own storage on to the target.
void ChunkedBodyReader::flushToTarget() {
    std::int64_t decoded = work_.Position();
    if (&work_ == &target_ || decoded == 0) return;
    target_.WriteBuffer(work_.Memory(), decoded);
    std::memmove(work_.Memory(), work_.Memory() + decoded, static_cast<size_t>(end_));
    work_.SetPosition(0);
}

}  // namespace

void readChunkedBody(TNetTCPConnection& connection, TStream& stream, std::int64_t maxBytes,
                     int maxTrailerLines) {
    ChunkedBodyReader(connection, stream, maxBytes, maxTrailerLines).run();
}

}  // namespace wispel
