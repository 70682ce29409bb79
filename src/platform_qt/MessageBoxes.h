#pragma once

#include <QList>
#include <QString>

namespace platform {

enum class MessageIcon { None, Information, Exclamation, Error };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct Message {
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// The one way message boxes and the beep reach the user, so tests can read what was shown
// instead of meeting a modal box.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MessageAnswer present(const Message& message) = 0;
    virtual void beep() = 0;
};

// Replaces the presenter; nullptr restores the one that shows real boxes. Not owned.
void setMessagePresenter(MessagePresenter* presenter);

MessageAnswer showMessage(const QString& text, const QString& caption, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);
void beep();

// Records messages and beeps and answers with a set answer; installs itself while it lives.
class MessageRecorder : public MessagePresenter {
public:
    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    MessageAnswer present(const Message& message) override;
    void beep() override { ++beeps_; }

    const QList<Message>& messages() const { return messages_; }
    int beeps() const { return beeps_; }
    void clear();
    void setAnswer(MessageAnswer answer) { answer_ = answer; }

private:
    QList<Message> messages_;
    int beeps_ = 0;
    MessageAnswer answer_ = MessageAnswer::Ok;
};

} // namespace platform
