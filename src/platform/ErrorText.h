#pragma once

#include <QString>
#include <exception>

namespace platform {

// The text of a caught error: what a standard exception says, else unknownText (the error
// message box has its own, translated). error must hold an exception.
inline QString errorText(const std::exception_ptr& error,
                         const QString& unknownText = QStringLiteral("unknown error")) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        return QString::fromUtf8(caught.what());
    } catch (...) {
        return unknownText;
    }
}

} // namespace platform
