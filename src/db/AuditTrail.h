#pragma once

#include <QString>

// The audit trail in the prescription database: one row per event of a station's dispensing.
// The row of a stored line is written in the store's own transaction; the other rows are
// written as the events happen. Databases made before the table lack it, and then nothing is
// written there (the text journal is kept in every case).
namespace db::audit {

inline const QString Table = QStringLiteral("配藥紀錄");

// When it happened: with its time zone on a server, ISO 8601 text with the offset in a file.
inline const QString Time = QStringLiteral("時間");
// The station's [Station] Name (default the host name) and the session's operating-system user.
inline const QString Station = QStringLiteral("工作站");
inline const QString User = QStringLiteral("使用者");
// One of the texts of journal_event.
inline const QString Event = QStringLiteral("事件");
// The line, as the lines' statement read it; blank for an event of no order (a device).
inline const QString Day = QStringLiteral("配藥日期");
inline const QString Sequence = QStringLiteral("領藥序號");
inline const QString Item = QStringLiteral("項次");
inline const QString Drug = QStringLiteral("藥品名稱");
// The container presented.
inline const QString Serial = QStringLiteral("SerialNumber");
// The weight text the station showed ("12.34克"), and the grams expected when the line was
// weighed.
inline const QString WeightShown = QStringLiteral("顯示重量");
inline const QString ExpectedGrams = QStringLiteral("應秤重量");
// Anything else: the reading of a weighed line, an error's text, the device's name.
inline const QString Details = QStringLiteral("說明");

} // namespace db::audit

// The events of the journal and of the audit table; the audit table's 事件 holds these texts.
namespace journal_event {
inline QString orderOpened() {
    return QStringLiteral("開始配藥");
}
inline QString wrongContainer() {
    return QStringLiteral("拿錯藥品");
}
inline QString lineStored() {
    return QStringLiteral("配藥完成");
}
inline QString weightMismatch() {
    return QStringLiteral("重量不符");
}
inline QString expiredContainer() {
    return QStringLiteral("藥品過期");
}
inline QString storeFailed() {
    return QStringLiteral("存檔失敗");
}
inline QString orderCompleted() {
    return QStringLiteral("全部完成");
}
inline QString orderStopped() {
    return QStringLiteral("中止配藥");
}
// A device's port failed, and later works again; the field names the device.
inline QString deviceLost() {
    return QStringLiteral("設備中斷");
}
inline QString deviceBack() {
    return QStringLiteral("設備恢復");
}
} // namespace journal_event
