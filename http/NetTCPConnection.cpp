#include "http/NetTCPConnection.h"

#include <arpa/inet.h>

#include <algorithm>

#include "core/Format.h"
#include "core/MemoryStream.h"
#include "http/NetConnectionIntercept.h"
#include "http/NetException.h"
#include "http/SocketErrors.h"

namespace wispel {

TNetTCPConnection::TNetTCPConnection(TComponent* owner)
    : TNetComponent(owner),
      binding_(std::make_unique<TNetSocketHandle>()),
      recvBuffer_(kDefaultBufferSize) {}

TNetTCPConnection::~TNetTCPConnection() {
    if (intercept_ != nullptr) RemoveFreeNotification(intercept_);
    binding_->CloseSocket();
}

void TNetTCPConnection::SetRecvBufferSize(int size) {
    recvBuffer_.resize(std::max(size, 1));
}

void TNetTCPConnection::SetIntercept(TNetConnectionIntercept* intercept) {
    if (intercept_ != nullptr) RemoveFreeNotification(intercept_);
    intercept_ = intercept;
    if (intercept_ != nullptr) {
        FreeNotification(intercept_);
    } else {
        interceptEnabled_ = false;
    }
}

void TNetTCPConnection::SetInterceptEnabled(bool enabled) {
    if (enabled && intercept_ == nullptr) {
        throw ENetInterceptPropIsNil(
            "InterceptEnabled cannot be set to true when Intercept is nil.");
    }
    interceptEnabled_ = enabled;
}

void TNetTCPConnection::Notification(TComponent* component, TOperation operation) {
    TNetComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == intercept_) {
        intercept_ = nullptr;
        interceptEnabled_ = false;
    }
}

void TNetTCPConnection::DoOnDisconnected() {
    if (OnDisconnected) OnDisconnected(this);
}

void TNetTCPConnection::ResetConnection() {
    binding_->Reset();
    inputBuffer_.Clear();
    closedGracefully_ = false;
}

std::string TNetTCPConnection::AllData(std::int64_t maxBytes) {
    TMemoryStream data;
    ReadToStream(data, -1, true, maxBytes);
    return std::string(data.View());
}

void TNetTCPConnection::CheckClosed(bool raiseIfClosed, bool ignoreBuffer) {
    if (!closedGracefully_ && binding_->HandleAllocated()) return;
    if (binding_->HandleAllocated()) CloseSocket();
    if (raiseIfClosed && (ignoreBuffer || inputBuffer_.Empty())) {
        throw ENetConnClosedGracefully("Connection Closed Gracefully.");
    }
}

// A look without waiting notices a peer that has closed while keeping what it sent for
// later reads. (Waiting even a millisecond here would cost that much on every request of a
// kept-alive connection.)
std::int64_t TNetTCPConnection::PollClosed(bool raiseIfClosed) {
    return FillInputBuffer(raiseIfClosed, 0);
}

bool TNetTCPConnection::Connected() {
    CheckClosed(false, false);
    return binding_->HandleAllocated();
}

void TNetTCPConnection::Disconnect() {
    CloseSocket();
}

void TNetTCPConnection::CloseSocket() {
    if (!binding_->HandleAllocated()) return;
    DoStatus(TNetStatus::hsDisconnecting, {binding_->PeerIP()});
    binding_->CloseSocket(false);
    closedGracefully_ = true;
    DoStatus(TNetStatus::hsDisconnected);
    DoOnDisconnected();
    if (interceptEnabled_) intercept_->Disconnect();
}

int TNetTCPConnection::waitWithinDeadline(int limitMs, bool& cut) {
    cut = false;
    if (!deadline_ || limitMs == 0) return limitMs;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline_ -
                                                             std::chrono::steady_clock::now());
    if (left.count() <= 0) closeAndRaise(netcode::kTimedOut);
    if (limitMs != kNoTimeLimit && limitMs <= left.count()) return limitMs;
    cut = true;
    return static_cast<int>(std::min<std::int64_t>(left.count(), INT32_MAX));
}

void TNetTCPConnection::closeAndRaise(int code) {
    CloseSocket();
    throw ENetSocketError(code);
}

std::string TNetTCPConnection::TakeInput(std::int64_t count) {
    if (count > inputBuffer_.Size()) throw ENetNotEnoughDataInBuffer("Not enough data in buffer.");
    std::string taken(inputBuffer_.Memory(), static_cast<size_t>(count));
    inputBuffer_.Remove(count);
    DoWork(TWorkMode::wmRead, count);
    return taken;
}

void TNetTCPConnection::DropInput(std::int64_t count) {
    if (count > inputBuffer_.Size()) throw ENetNotEnoughDataInBuffer("Not enough data in buffer.");
    inputBuffer_.Remove(count);
    DoWork(TWorkMode::wmRead, count);
}

// An intercept answers at once; when it needs more from the socket first, the wait for it is
// here, with the limits of a plain receive, the deadline checked before each wait. -1 when
// nothing came within `waitLimit`; `cut` tells whether the deadline ended it.
std::int64_t TNetTCPConnection::interceptReceive(char* target, std::int64_t size, int waitLimit,
                                                 bool& cut) {
    for (;;) {
        std::int64_t n = intercept_->Recv(target, size);
        if (n >= 0) return n;
        if (!binding_->Readable(waitWithinDeadline(waitLimit, cut))) return -1;
    }
}

std::int64_t TNetTCPConnection::FillInputBuffer(bool raiseIfClosed, int timeLimit, char* buffer,
                                                std::int64_t size, bool append) {
    CheckClosed(raiseIfClosed, false);
    if (!Connected()) return 0;
    if (buffer == nullptr) {
        buffer = recvBuffer_.data();
        size = static_cast<std::int64_t>(recvBuffer_.size());
    }
    // Without an explicit limit the read timeout applies, and running out of it is an error;
    // so is running into the deadline. The limit is set on the socket, which spares a wait
    // before every receive.
    bool readTimeoutApplies = timeLimit == kNoTimeLimit;
    int wait = !readTimeoutApplies ? timeLimit : ReadTimeout > 0 ? ReadTimeout : kNoTimeLimit;
    int uncut = wait;
    bool cut = false;
    wait = waitWithinDeadline(wait, cut);
    bool viaIntercept = interceptEnabled_ && intercept_->TakesOverReceiving();
    if (readTimeoutApplies && !viaIntercept) {
        binding_->SetReceiveTimeout(wait == kNoTimeLimit ? 0 : wait);
    } else if (!viaIntercept && !binding_->Readable(wait)) {
        if (readTimeoutApplies || cut) closeAndRaise(netcode::kTimedOut);
        return 0;
    }
    std::int64_t received =
        viaIntercept ? interceptReceive(buffer, size, uncut, cut) : binding_->Recv(buffer, size);
    if (received < 0 && viaIntercept) {
        if (readTimeoutApplies || cut) closeAndRaise(netcode::kTimedOut);
        return 0;
    }
    if (received == 0) closedGracefully_ = true;
    if (received < 0) {
        int code = TNetStack::Instance().LastError();
        if (code == netcode::kWouldBlock && readTimeoutApplies) closeAndRaise(netcode::kTimedOut);
        if (code != netcode::kShutdown) throw ENetSocketError(code);
        received = 0;
        CloseSocket();
        if (inputBuffer_.Empty()) throw ENetSocketError(code);
    }
    if (ASCIIFilter) {
        for (std::int64_t i = 0; i < received; ++i) buffer[i] &= 0x7F;
    }
    if (append) {
        inputBuffer_.Append(buffer, received);
    } else {
        DoWork(TWorkMode::wmRead, received);
    }
    if (interceptEnabled_ && received > 0) intercept_->DataReceived(buffer, received);
    CheckClosed(raiseIfClosed, false);
    return received;
}

// The search resumes where the previous round stopped, so a long line costs time linear in
// its length however many receives it takes.
std::string TNetTCPConnection::ReadLine(const std::string& terminator, int timeLimit) {
    const std::string term = terminator.empty() ? "\n" : terminator;
    const auto maxBuffered = static_cast<std::int64_t>(MaxLineLength + term.size());
    readLineTimedOut_ = false;
    std::size_t from = 0;
    std::size_t found;
    while ((found = inputBuffer_.View().find(term, from)) == std::string_view::npos) {
        if (inputBuffer_.Size() >= maxBuffered) break;
        from = static_cast<std::size_t>(
            std::max<std::int64_t>(0, inputBuffer_.Size() - (std::int64_t(term.size()) - 1)));
        CheckClosed(true, true);
        if (FillInputBuffer(true, timeLimit) == 0) {
            readLineTimedOut_ = true;
            return {};
        }
    }
    if (found == std::string_view::npos || found > static_cast<std::size_t>(MaxLineLength)) {
        CloseSocket();  // the rest of the stream cannot be framed any more
        throw ENetLineTooLong(formatMessage("Line longer than %d bytes.", {MaxLineLength}));
    }
    std::string line = TakeInput(static_cast<std::int64_t>(found + term.size()));
    line.resize(found);
    if (terminator.empty() && !line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void TNetTCPConnection::Write(const std::string& text) {
    WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()), false);
}

void TNetTCPConnection::WriteLine(const std::string& text) {
    Write(text + "\r\n");
}

void TNetTCPConnection::WriteLines(const std::vector<std::string>& lines) {
    for (const auto& line : lines) WriteLine(line);
}

void TNetTCPConnection::WriteFromStream(TStream& stream, bool whole, bool withLength) {
    if (whole) stream.SetPosition(0);
    std::int64_t remaining = stream.Size() - stream.Position();
    if (withLength) WriteInteger(static_cast<std::int32_t>(remaining));
    TNetWorkScope work(*this, TWorkMode::wmWrite, remaining);
    std::vector<char> piece(static_cast<size_t>(std::max(SendBufferSize, 1)));
    while (remaining > 0) {
        std::int64_t n = stream.Read(piece.data(), std::min<std::int64_t>(remaining, piece.size()));
        if (n <= 0) throw ENetNoDataToRead("No data to read.");
        WriteBuffer(piece.data(), n, false);
        remaining -= n;
    }
}

void TNetTCPConnection::ReadToStream(TStream& stream, std::int64_t count, bool untilClose,
                                     std::int64_t maxBytes) {
    if (untilClose) {
        count = -1;
    } else if (count == -1) {
        count = ReadInteger();
    }
    auto* memory = dynamic_cast<TMemoryStream*>(&stream);
    if (count >= 0) {
        if (maxBytes >= 0 && count > maxBytes) raiseBodyTooLarge(maxBytes);
        // Sized once for the whole count; a memory stream only reserves the room, since
        // every byte of it is about to be overwritten.
        std::int64_t end = stream.Position() + count;
        if (memory == nullptr) {
            stream.SetSize(end);
        } else if (end > memory->Capacity()) {
            memory->SetCapacity(end);
        }
    }
    {
        TNetWorkScope work(*this, TWorkMode::wmRead, untilClose ? 0 : count);
        readToStreamBody(stream, memory, count, untilClose, maxBytes);
    }
    if (stream.Position() < stream.Size()) stream.SetSize(stream.Position());
}

// A memory stream takes the bytes straight from the socket into its storage, in receives as
// large as what is waiting; other streams get them through the receive buffer.
void TNetTCPConnection::readToStreamBody(TStream& stream, TMemoryStream* memory,
                                         std::int64_t count, bool untilClose,
                                         std::int64_t maxBytes) {
    std::int64_t done = 0;
    auto tally = [&](std::int64_t n) {
        if (maxBytes >= 0 && done + n > maxBytes) raiseBodyTooLarge(maxBytes);
        done += n;
    };
    std::int64_t buffered = untilClose ? inputBuffer_.Size() : std::min(count, inputBuffer_.Size());
    tally(buffered);
    stream.WriteBuffer(inputBuffer_.Memory(), buffered);
    DropInput(buffered);
    while ((untilClose || done < count) && Connected()) {
        std::int64_t piece = untilClose ? kLargeReadSize : count - done;
        // Room for one byte more than allowed is enough to see that a body is too large.
        if (untilClose && maxBytes >= 0) piece = std::min(piece, maxBytes - done + 1);
        if (memory != nullptr) {
            std::int64_t n = FillInputBuffer(!untilClose, kNoTimeLimit,
                                             memory->PrepareWrite(piece), piece, false);
            tally(n);
            memory->CommitWrite(n);
        } else {
            piece = std::min<std::int64_t>(piece, recvBuffer_.size());
            std::int64_t n =
                FillInputBuffer(!untilClose, kNoTimeLimit, recvBuffer_.data(), piece, false);
            tally(n);
            stream.WriteBuffer(recvBuffer_.data(), n);
        }
    }
    if (!untilClose && done < count)
        throw ENetConnClosedGracefully("Connection Closed Gracefully.");
}

std::int64_t TNetTCPConnection::sendSome(const char* bytes, std::int64_t count) {
    if (interceptEnabled_ && intercept_->TakesOverSending()) return intercept_->Send(bytes, count);
    return binding_->Send(bytes, count, sendMore_);
}

void TNetTCPConnection::WriteBuffer(const void* bytes, std::int64_t count, bool now) {
    if (count <= 0) return;
    CheckClosed(true, true);
    const char* data = static_cast<const char*>(bytes);
    if (writeBuffer_ && !now) {
        writeBuffer_->append(data, static_cast<size_t>(count));
        auto size = static_cast<std::int64_t>(writeBuffer_->size());
        if (writeBufferThreshold_ > 0 && size >= writeBufferThreshold_) FlushWriteBuffer();
        return;
    }
    std::int64_t sent = 0;
    while (sent < count) {
        std::int64_t n = sendSome(data + sent, count - sent);
        if (n == 0) closedGracefully_ = true;
        CheckClosed(true, false);
        if (n < 0) {
            int code = TNetStack::Instance().LastError();
            if (code == netcode::kShutdown) closeAndRaise(code);
            throw ENetSocketError(code);
        }
        DoWork(TWorkMode::wmWrite, n);
        if (interceptEnabled_) intercept_->DataSent(data + sent, n);
        sent += n;
    }
}

std::int32_t TNetTCPConnection::ReadInteger() {
    while (inputBuffer_.Size() < 4) {
        CheckClosed(true, true);
        FillInputBuffer(true, kNoTimeLimit);
    }
    std::string bytes = TakeInput(4);
    std::uint32_t value;
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(&value));
    return static_cast<std::int32_t>(ntohl(value));
}

void TNetTCPConnection::WriteInteger(std::int32_t value) {
    std::uint32_t wire = htonl(static_cast<std::uint32_t>(value));
    WriteBuffer(&wire, sizeof wire, false);
}

void TNetTCPConnection::OpenWriteBuffer(std::int64_t threshold) {
    writeBuffer_ = std::make_unique<std::string>();
    writeBufferThreshold_ = threshold;
}

void TNetTCPConnection::FlushWriteBuffer() {
    if (!writeBuffer_ || writeBuffer_->empty()) return;
    std::string pending;
    pending.swap(*writeBuffer_);
    WriteBuffer(pending.data(), static_cast<std::int64_t>(pending.size()), true);
}

void TNetTCPConnection::CloseWriteBuffer() {
    FlushWriteBuffer();
    writeBuffer_.reset();
}

}  // namespace wispel
