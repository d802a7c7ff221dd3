#pragma once
// The application object. It carries the title "Wispel" and is the one place where an error
// that left a command or event handler reaches the user: the error box, captioned with the
// title, with the message and a stop icon.
//
// Why handlers hand their errors over instead of letting them unwind into Qt: the widget
// libraries are built without exception support, so an exception passing through their
// frames would skip their clean-ups. Every handler of ours therefore runs inside
// `runHandler`, which catches at the handler's edge and passes the error to
// `HandleException`; `notify` catches whatever still arrives there the same way.

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace wispel {

class TWispelApplication : public QApplication {
    Q_OBJECT
public:
    TWispelApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the error box for `error`; an error of the silent-abort kind shows nothing.
    void HandleException(std::exception_ptr error);

    // What shows the box: by default `showErrorBox` over the active window. Tests put a
    // recorder here.
    using TErrorBoxShower = std::function<void(const QString& text)>;
    void SetErrorBoxShower(TErrorBoxShower shower) { shower_ = std::move(shower); }

private:
    TErrorBoxShower shower_;
};

// The running application object, or null when none of ours exists.
TWispelApplication* wispelApp();

// Runs `handler`; an error it raises goes to the application's error box, and the event
// loop goes on.
template <class Handler>
void runHandler(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        if (TWispelApplication* app = wispelApp()) app->HandleException(std::current_exception());
    }
}

}  // namespace wispel
