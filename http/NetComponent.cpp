#include "http/NetComponent.h"

#include "http/NetStack.h"

namespace wispel {

const char* netStatusText(TNetStatus status) {
    switch (status) {
        case TNetStatus::hsResolving:
            return "Resolving hostname %s.";
        case TNetStatus::hsConnecting:
            return "Connecting to %s.";
        case TNetStatus::hsConnected:
            return "Connected.";
        case TNetStatus::hsDisconnecting:
            return "Disconnecting from %s.";
        case TNetStatus::hsDisconnected:
            return "Not connected.";
        case TNetStatus::hsText:
            return "%s";
    }
    return "";
}

TNetComponent::TNetComponent(TComponent* owner) : TNetBaseComponent(owner) {
    TNetStack::Acquire();
}

TNetComponent::~TNetComponent() {
    TNetStack::Release();
}

void TNetComponent::BeginWork(TWorkMode mode, std::int64_t expected) {
    WorkInfo& info = work(mode);
    if (++info.level == 1) {
        info.expected = expected;
        info.done = 0;
        if (OnWorkBegin) OnWorkBegin(this, mode, expected);
    }
}

void TNetComponent::DoWork(TWorkMode mode, std::int64_t count) {
    WorkInfo& info = work(mode);
    if (info.level < 1) return;
    info.done += count;
    if (OnWork) OnWork(this, mode, info.done);
}

void TNetComponent::EndWork(TWorkMode mode) {
    WorkInfo& info = work(mode);
    if (info.level == 1 && OnWorkEnd) OnWorkEnd(this, mode);
    if (info.level > 0) --info.level;
}

void TNetComponent::DoStatus(TNetStatus status, std::initializer_list<FormatArg> args) {
    if (OnStatus) OnStatus(this, status, formatMessage(netStatusText(status), args));
}

}  // namespace wispel
