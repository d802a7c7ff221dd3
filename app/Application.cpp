#include "app/Application.h"

#include "app/ErrorBox.h"
#include "core/Exception.h"

// The icons live in this library's resources; a static library's resources are loaded by
// name (the macro must be called outside any namespace).
static void loadWispelResources() {
    Q_INIT_RESOURCE(Wispel);
}

namespace wispel {

TWispelApplication::TWispelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    loadWispelResources();
    setApplicationName(QStringLiteral("wispel"));
    setApplicationDisplayName(tr("Wispel"));
    shower_ = [](const QString& text) { showErrorBox(activeWindow(), text); };
}

bool TWispelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

void TWispelApplication::HandleException(std::exception_ptr error) {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        if (isSilentAbort(e)) return;
        text = errorBoxMessage(e);
    } catch (...) {
        text = tr("An error of an unknown kind occurred.");
    }
    if (shower_) shower_(text);
}

TWispelApplication* wispelApp() {
    return qobject_cast<TWispelApplication*>(QCoreApplication::instance());
}

}  // namespace wispel
