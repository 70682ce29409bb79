#pragma once

#include "AppError.h"

#include <exception>
#include <functional>
#include <utility>

namespace platform {

// Runs an event handler; an error it raises is shown in an error message box with the error's
// text, the rest of the handler is skipped and the application goes on. Returns false when
// the handler raised an error.
bool runGuarded(const std::function<void()>& handler);

// Shows a caught error as runGuarded does.
void showError(const std::exception_ptr& error);

// The one way a window connects its event handlers: the slot runs handler on window under
// runGuarded, where the signal comes in, so the handler itself needs no guard.
//     connect(ui->Btn_Ok, &QPushButton::clicked, this, platform::guardedSlot(this, &Form::Ok));
// The handler takes the signal's first arguments or none. Events that come through an override
// (showEvent, eventFilter) call runGuarded there, as no signal brings them.
template <typename Window, typename Owner, typename... Args>
auto guardedSlot(Window* window, void (Owner::*handler)(Args...)) {
    return [window, handler](Args... args) {
        runGuarded([&] { (window->*handler)(std::forward<Args>(args)...); });
    };
}

} // namespace platform
