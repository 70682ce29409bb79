#include "MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

MessageAnswer fromQtButton(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Ok;
    }
}

class ModalPresenter : public MessagePresenter {
public:
    MessageAnswer present(const Message& message) override {
        QMessageBox box(toQtIcon(message.icon), message.caption, message.text,
                        toQtButtons(message.buttons), QApplication::activeWindow());
        return fromQtButton(box.exec());
    }
    void beep() override { QApplication::beep(); }
};

ModalPresenter modalPresenter;
MessagePresenter* current = &modalPresenter;

} // namespace

void setMessagePresenter(MessagePresenter* presenter) {
    current = presenter != nullptr ? presenter : &modalPresenter;
}

MessageAnswer showMessage(const QString& text, const QString& caption, MessageIcon icon,
                          MessageButtons buttons) {
    return current->present(Message{text, caption, icon, buttons});
}

void beep() {
    current->beep();
}

MessageRecorder::MessageRecorder() {
    setMessagePresenter(this);
}

MessageRecorder::~MessageRecorder() {
    setMessagePresenter(nullptr);
}

MessageAnswer MessageRecorder::present(const Message& message) {
    messages_.append(message);
    return answer_;
}

void MessageRecorder::clear() {
    messages_.clear();
    beeps_ = 0;
}

} // namespace platform
