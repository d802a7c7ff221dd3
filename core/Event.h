#pragma once
// Events are object-bound callbacks that may be unset; the raiser asks `assigned()` before
// calling one. `bindEvent(object, &Class::method)` makes the usual object-bound form.

#include <functional>
#include <type_traits>
#include <utility>

namespace wispel {

template <class... Args>
class TEvent {
public:
    TEvent() = default;
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent>>>
    TEvent(F handler) : handler_(std::move(handler)) {}  // NOLINT: implicit on purpose

    bool assigned() const noexcept { return static_cast<bool>(handler_); }
    explicit operator bool() const noexcept { return assigned(); }
    void clear() noexcept { handler_ = nullptr; }

    void operator()(Args... args) const { handler_(std::forward<Args>(args)...); }

private:
    std::function<void(Args...)> handler_;
};

template <class Object, class Class, class... Args>
TEvent<Args...> bindEvent(Object* object, void (Class::*method)(Args...)) {
    return TEvent<Args...>([object, method](Args... args) {
        (object->*method)(std::forward<Args>(args)...);
    });
}

}  // namespace wispel
