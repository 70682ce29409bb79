#include "DialogKeys.h"

#include <QDialog>
#include <QPushButton>

namespace platform {

void keepEnterFromButtons(QDialog& dialog) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

} // namespace platform
