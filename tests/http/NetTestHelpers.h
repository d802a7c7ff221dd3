#pragma once
// Helpers of the HTTP client tests.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "http/NetComponent.h"
#include "tests/support/ExpectError.h"

namespace wispel::test {

// A network component of any kind that records the status events it raises.
template <class Component>
struct StatusRecording : Component {
    StatusRecording() {
        this->OnStatus = [this](TComponent*, TNetStatus status, const std::string& text) {
            statuses.push_back(status);
            texts.push_back(text);
        };
    }
    std::vector<TNetStatus> statuses;
    std::vector<std::string> texts;
};

}  // namespace wispel::test
