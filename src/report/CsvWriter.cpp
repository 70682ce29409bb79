#include "CsvWriter.h"

#include "ReportTable.h"

namespace report {

namespace {

QString csvField(QString text) {
    // Database texts are not ours: "=..." would run in the spreadsheet.
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

void appendRecord(QString& csv, const QStringList& cells) {
    QStringList fields;
    for (const QString& cell : cells)
        fields << csvField(cell);
    csv += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace

QByteArray csvOf(const DispensingReport& report) {
    QString csv;
    appendRecord(csv, lineHeadings());
    for (const OrderReport& order : report.orders) {
        if (order.lines.isEmpty())
            appendRecord(csv, lineCells(order, nullptr));
        for (const LineReport& line : order.lines)
            appendRecord(csv, lineCells(order, &line));
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + csv.toUtf8();
}

} // namespace report
