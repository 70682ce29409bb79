#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>

namespace platform {

// An error meant for the user: its text is shown as it stands.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// Runs an event handler; an error it raises is shown in an error message box with the error's
// text, the rest of the handler is skipped and the application goes on. Returns false when
// the handler raised an error.
bool runGuarded(const std::function<void()>& handler);

// Shows a caught error as runGuarded does.
void showError(const std::exception_ptr& error);

} // namespace platform
