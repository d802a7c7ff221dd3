#pragma once
// The base of every network component: it keeps the process-wide socket stack alive and
// reports status changes and work progress through events.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "core/Component.h"
#include "core/Event.h"
#include "core/Format.h"

namespace wispel {

enum class TNetStatus {
    hsResolving,
    hsConnecting,
    hsConnected,
    hsDisconnecting,
    hsDisconnected,
    hsText
};
enum class TWorkMode { wmRead = 0, wmWrite = 1 };

using TNetStatusEvent = TEvent<TComponent*, TNetStatus, const std::string&>;
using TWorkEvent = TEvent<TComponent*, TWorkMode, std::int64_t>;
using TWorkBeginEvent = TEvent<TComponent*, TWorkMode, std::int64_t>;
using TWorkEndEvent = TEvent<TComponent*, TWorkMode>;

// The text of a status code before its arguments are filled in.
const char* netStatusText(TNetStatus status);

class TNetBaseComponent : public TComponent {
public:
    using TComponent::TComponent;
};

class TNetComponent : public TNetBaseComponent {
public:
    explicit TNetComponent(TComponent* owner = nullptr);
    ~TNetComponent() override;

    TNetStatusEvent OnStatus;
    TWorkEvent OnWork;
    TWorkBeginEvent OnWorkBegin;
    TWorkEndEvent OnWorkEnd;

    virtual void BeginWork(TWorkMode mode, std::int64_t expected = 0);
    virtual void DoWork(TWorkMode mode, std::int64_t count);
    virtual void EndWork(TWorkMode mode);

protected:
    void DoStatus(TNetStatus status, std::initializer_list<FormatArg> args = {});

private:
    struct WorkInfo {
        int level = 0;  // nesting of BeginWork calls
        std::int64_t expected = 0;
        std::int64_t done = 0;  // running total since the outermost BeginWork
    };
    WorkInfo& work(TWorkMode mode) { return work_[static_cast<int>(mode)]; }

    WorkInfo work_[2];
};

}  // namespace wispel
