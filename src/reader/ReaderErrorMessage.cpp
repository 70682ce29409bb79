#include "ReaderErrorMessage.h"

#include "MessageBoxes.h"

void showReaderError(std::int32_t status) {
    platform::showMessage(QStringLiteral("ZQCOM-ErrorCode: %1").arg(status),
                          QStringLiteral("Error"), platform::MessageIcon::Exclamation);
}
