#pragma once
// A buffered TCP connection: received bytes collect in InputBuffer, from which lines and
// exact byte counts are taken; sending is unbuffered unless a caller opens a write buffer.
//
// Time limits: a read that waits without an explicit limit gives up after ReadTimeout
// milliseconds without any byte arriving, closes the connection and raises ENetSocketError
// 10060. A deadline, when set, bounds every wait on top of that: a wait is cut to what is
// left of it, and one that finds nothing left ends the same way. Lines longer than
// MaxLineLength raise ENetLineTooLong.
//
// Ownership: the connection owns its socket handle and buffers. An attached Intercept is
// not owned; the connection forgets it when it is destroyed.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "http/NetBuffer.h"
#include "http/NetComponent.h"
#include "http/NetSocketHandle.h"
#include "http/NetStack.h"

namespace wispel {

class TNetConnectionIntercept;
class TMemoryStream;

constexpr int kDefaultBufferSize = 32768;
constexpr int kDefaultReadTimeout = 60000;    // ms without any byte arriving
constexpr int kDefaultMaxLineLength = 65536;  // bytes before the terminator
// What a body read asks of one receive when the size is open: big enough that a fast
// sender costs few calls, small enough to reserve on every round.
constexpr std::int64_t kLargeReadSize = 256 * 1024;

class TNetTCPConnection : public TNetComponent {
public:
    explicit TNetTCPConnection(TComponent* owner = nullptr);
    ~TNetTCPConnection() override;

    // Properties.
    bool ASCIIFilter = false;
    TEvent<TComponent*> OnDisconnected;
    int SendBufferSize = kDefaultBufferSize;
    int ReadTimeout = kDefaultReadTimeout;  // ms; 0 or less waits without a limit
    int MaxLineLength = kDefaultMaxLineLength;

    int RecvBufferSize() const noexcept { return static_cast<int>(recvBuffer_.size()); }
    void SetRecvBufferSize(int size);
    TNetConnectionIntercept* Intercept() const noexcept { return intercept_; }
    void SetIntercept(TNetConnectionIntercept* intercept);
    bool InterceptEnabled() const noexcept { return interceptEnabled_; }
    // Raises ENetInterceptPropIsNil when enabling without an intercept.
    void SetInterceptEnabled(bool enabled);

    TNetSocketHandle& Binding() noexcept { return *binding_; }
    TNetBuffer& InputBuffer() noexcept { return inputBuffer_; }
    bool ClosedGracefully() const noexcept { return closedGracefully_; }
    bool ReadLineTimedOut() const noexcept { return readLineTimedOut_; }

    virtual void DoOnDisconnected();
    virtual void ResetConnection();
    // Everything until the peer closes, at most `maxBytes` (ENetBodyTooLarge beyond).
    virtual std::string AllData(std::int64_t maxBytes);
    virtual void CheckClosed(bool raiseIfClosed, bool ignoreBuffer);
    virtual std::int64_t PollClosed(bool raiseIfClosed);
    virtual bool Connected();
    virtual void Disconnect();
    virtual void CloseSocket();
    // The first `count` buffered bytes, removed from InputBuffer and reported as read work.
    virtual std::string TakeInput(std::int64_t count);
    // One receive: into `buffer` (size bytes at most) when given, else into the receive
    // buffer. With `append` the bytes go to InputBuffer. Returns the count, 0 when nothing
    // arrived within `timeLimit` (ms or kNoTimeLimit) or the peer closed.
    virtual std::int64_t FillInputBuffer(bool raiseIfClosed, int timeLimit, char* buffer = nullptr,
                                         std::int64_t size = 0, bool append = true);
    // A line without its terminator (empty: line feed, a CR before it is cut as well).
    virtual std::string ReadLine(const std::string& terminator = "", int timeLimit = kNoTimeLimit);
    virtual void DropInput(std::int64_t count);
    virtual void Write(const std::string& text);
    virtual void WriteLine(const std::string& text);
    virtual void WriteFromStream(TStream& stream, bool whole = true, bool withLength = false);

    // Reads `count` bytes (-1: a 4-byte length first) or, with untilClose, everything until
    // the peer closes, into `stream` at its position. More than `maxBytes` (when 0 or more)
    // raises ENetBodyTooLarge; a count above it is refused before the stream is sized.
    void ReadToStream(TStream& stream, std::int64_t count, bool untilClose,
                      std::int64_t maxBytes = -1);
    void WriteBuffer(const void* bytes, std::int64_t count, bool now = false);
    void WriteLines(const std::vector<std::string>& lines);
    std::int32_t ReadInteger();
    void WriteInteger(std::int32_t value);

    using Deadline = std::optional<std::chrono::steady_clock::time_point>;
    // The end of the whole exchange under way (none: no total limit).
    void SetDeadline(Deadline deadline) { deadline_ = deadline; }
    const Deadline& GetDeadline() const noexcept { return deadline_; }
    // A wait of `limitMs` (kNoTimeLimit: none) cut to what is left before the deadline;
    // `cut` tells whether the deadline is what ends it. A wait that finds nothing left closes
    // the connection and raises ENetSocketError 10060; a wait of 0 is no wait and passes.
    int waitWithinDeadline(int limitMs, bool& cut);

    // The optional write buffer: sends are collected until `threshold` bytes (0 or less:
    // until closed) and then sent at once.
    void OpenWriteBuffer(std::int64_t threshold = -1);
    void FlushWriteBuffer();
    void CloseWriteBuffer();

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // While set, every send tells the system that more follows at once (see TNetStack::Send);
    // the send after it is cleared lets everything go.
    void setSendMore(bool value) { sendMore_ = value; }
    // Raises ENetSocketError with `code` after closing the socket.
    [[noreturn]] void closeAndRaise(int code);

private:
    std::int64_t interceptReceive(char* target, std::int64_t size, int waitLimit, bool& cut);
    std::int64_t sendSome(const char* bytes, std::int64_t count);
    void readToStreamBody(TStream& stream, TMemoryStream* memory, std::int64_t count,
                          bool untilClose, std::int64_t maxBytes);

    std::unique_ptr<TNetSocketHandle> binding_;
    TNetBuffer inputBuffer_;
    bool closedGracefully_ = false;
    TNetConnectionIntercept* intercept_ = nullptr;  // not owned
    bool interceptEnabled_ = false;
    bool readLineTimedOut_ = false;
    bool sendMore_ = false;
    std::vector<char> recvBuffer_;
    std::unique_ptr<std::string> writeBuffer_;  // absent unless opened
    std::int64_t writeBufferThreshold_ = -1;
    Deadline deadline_;
};

// Brackets a piece of work with BeginWork and EndWork, also when it ends by an exception.
class TNetWorkScope {
public:
    TNetWorkScope(TNetComponent& component, TWorkMode mode, std::int64_t expected)
        : component_(component), mode_(mode) {
        component_.BeginWork(mode, expected);
    }
    ~TNetWorkScope() { component_.EndWork(mode_); }
    TNetWorkScope(const TNetWorkScope&) = delete;
    TNetWorkScope& operator=(const TNetWorkScope&) = delete;

private:
    TNetComponent& component_;
    TWorkMode mode_;
};

}  // namespace wispel
