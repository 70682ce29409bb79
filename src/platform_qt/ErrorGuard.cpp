#include "ErrorGuard.h"

#include "ErrorText.h"
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
    showMessage(errorText(error, QCoreApplication::translate("ErrorGuard", "Unknown error")),
                QCoreApplication::applicationName(), MessageIcon::Error);
}

} // namespace platform
