#include "ErrorGuard.h"

#include "MessageBoxes.h"

#include <QCoreApplication>

namespace platform {

bool runGuarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (...) {
        showError(std::current_exception());
    }
    return false;
}

void showError(const std::exception_ptr& error) {
    QString text = QCoreApplication::translate("ErrorGuard", "Unknown error");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        text = QString::fromStdString(caught.what());
    } catch (...) {
    }
    showMessage(text, QCoreApplication::applicationName(), MessageIcon::Error);
}

} // namespace platform
