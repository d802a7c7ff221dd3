#include "http/NetStack.h"

#include <arpa/inet.h>

#include <cassert>

#include "core/Exception.h"
#include "core/TextCase.h"
#include "http/NetStackPosix.h"

namespace wispel {

namespace {

// Components are made and freed on any thread: the count and the stack change together.
std::mutex gStackMutex;
std::unique_ptr<TNetStack> gStack;  // the process-wide stack
int gStackUsers = 0;                // live network components

// The integer value of a decimal field; false when it is not one.
bool readField(const std::string& field, long& value) {
    if (field.empty() || field.size() > 9) return false;
    value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::vector<std::string> splitDots(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == '.') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

TNetStack& TNetStack::Instance() {
    assert(gStack && "network stack used without a live network component");
    return *gStack;
}

void TNetStack::Acquire() {
    std::lock_guard lock(gStackMutex);
    if (gStackUsers++ == 0) gStack = std::make_unique<TNetStackWinsock>();
}

void TNetStack::Release() {
    std::lock_guard lock(gStackMutex);
    if (--gStackUsers == 0) gStack.reset();
}

std::string TNetStack::LookupHost(const std::string& name) {
    return LookupHostAddresses(name).front();
}

std::string TNetStack::ResolveHost(const std::string& host) {
    return ResolveHostAddresses(host).front();
}

std::vector<std::string> TNetStack::ResolveHostAddresses(const std::string& host) {
    if (sameText(host, "LOCALHOST")) return {"127.0.0.1", "::1"};
    if (IsIP(host) || IsIPv6(host)) return {host};
    return LookupHostAddresses(host);
}

const std::vector<std::string>& TNetStack::LocalAddresses() {
    std::lock_guard lock(localAddressesMutex_);
    if (!localAddressesRead_) {
        localAddresses_ = ReadLocalAddresses();
        localAddressesRead_ = true;
    }
    return localAddresses_;
}

bool TNetStack::IsIP(const std::string& text) {
    auto fields = splitDots(text);
    if (fields.size() != 4) return false;
    for (const auto& field : fields) {
        long value;
        if (!readField(field, value) || value > 255) return false;
    }
    return true;
}

bool TNetStack::IsIPv6(const std::string& text) {
    in6_addr address{};
    return ::inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

std::uint32_t TNetStack::TranslateStringToTInAddr(const std::string& text) {
    std::uint32_t address = 0;
    for (const auto& field : splitDots(text)) {
        long value;
        if (!readField(field, value)) {
            throw EConvertError("'" + field + "' is not a valid integer value");
        }
        address = (address << 8) | static_cast<std::uint32_t>(value & 0xFF);
    }
    return htonl(address);
}

}  // namespace wispel
