#pragma once

class QDialog;

namespace platform {

// Makes no button of dialog a default or auto-default button, so that Enter in one of its
// fields never presses a button the user did not choose.
void keepEnterFromButtons(QDialog& dialog);

} // namespace platform
