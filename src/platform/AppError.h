#pragma once

#include <QString>
#include <stdexcept>

namespace platform {

// An error meant for the user: its text is shown as it stands.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

} // namespace platform
