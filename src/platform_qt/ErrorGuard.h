#pragma once

#include "AppError.h"

#include <exception>
#include <functional>

namespace platform {

// Runs an event handler; an error it raises is shown in an error message box with the error's
// text, the rest of the handler is skipped and the application goes on. Returns false when
// the handler raised an error.
bool runGuarded(const std::function<void()>& handler);

// Shows a caught error as runGuarded does.
void showError(const std::exception_ptr& error);

} // namespace platform
