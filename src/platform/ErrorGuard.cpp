#include "ErrorGuard.h"

#include "MessageBoxes.h"

#include <QCoreApplication>

namespace platform {

bool runGuarded(const std::function<void()>& handler) {
    QString text;
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        text = QString::fromStdString(error.what());
    } catch (...) {
        text = QStringLiteral("Unknown error");
    }
    showMessage(text, QCoreApplication::applicationName(), MessageIcon::Error);
    return false;
}

} // namespace platform
