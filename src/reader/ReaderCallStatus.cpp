#include "ReaderCallStatus.h"

#include "MessageBoxes.h"

bool failedAndShown(std::int32_t status) {
    if (!readerCallFailed(status))
        return false;
    platform::showMessage(QStringLiteral("ZQCOM-ErrorCode: %1").arg(status),
                          QStringLiteral("Error"), platform::MessageIcon::Exclamation);
    return true;
}
