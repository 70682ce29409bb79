#pragma once

class QDialog;
class QWidget;

namespace platform {

// Makes no button of dialog a default or auto-default button, so that Enter in one of its
// fields never presses a button the user did not choose; Enter on a focused button still
// presses it (pressFocusedButtonOnEnter). Call once the dialog's buttons exist.
void keepEnterFromButtons(QDialog& dialog);

// Enter on a push button of window that has the focus presses it, as Space does. Call once the
// window's buttons exist.
void pressFocusedButtonOnEnter(QWidget& window);

} // namespace platform
