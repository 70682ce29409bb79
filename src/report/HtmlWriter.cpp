#include "HtmlWriter.h"

#include "AuditTrail.h"
#include "HourChart.h"
#include "ReportTable.h"

#include <QBuffer>

namespace report {

namespace {

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString sectionHeading(const QString& text) {
    return QStringLiteral("<h2>%1</h2>\n").arg(escaped(text));
}

QString row(const QStringList& cells, const QString& tag = QStringLiteral("td")) {
    QString html = QStringLiteral("<tr>");
    for (const QString& cell : cells)
        html += QStringLiteral("<%1>%2</%1>").arg(tag, escaped(cell));
    return html + QStringLiteral("</tr>\n");
}

QString chartSource(const DispensingReport& report) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    hourChartImage(report.storedPerHour).save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

QString summary(const DispensingReport& report) {
    int completed = 0;
    int wrong = 0;
    for (const Figures& station : report.stations) {
        completed += station.ordersCompleted;
        wrong += station.wrongContainers;
    }
    const QString median =
        report.medianSeconds ? durationText(qint64(*report.medianSeconds)) : QStringLiteral("–");
    const QString longest = report.longest ? ReportText::tr("%1 (order %2 of %3)")
                                                 .arg(durationText(report.longest->seconds),
                                                      report.longest->sequence, report.longest->day)
                                           : QStringLiteral("–");
    return QStringLiteral("<table class=\"figures\">\n") +
           row({ReportText::tr("Orders"), QString::number(report.orders.size())}) +
           row({ReportText::tr("Lines"), QString::number(report.lineCount())}) +
           row({ReportText::tr("Lines dispensed (%1)").arg(journal_event::lineStored()),
                QString::number(report.storedLineCount())}) +
           row({ReportText::tr("Orders completed"), QString::number(completed)}) +
           row({ReportText::tr("Wrong containers presented"), QString::number(wrong)}) +
           row({ReportText::tr("Median time from opening an order to completing it"), median}) +
           row({ReportText::tr("Longest time from opening an order to completing it"), longest}) +
           QStringLiteral("</table>\n");
}

QString figuresTable(const QString& heading, const QList<Figures>& figures) {
    QString html = QStringLiteral("<table>\n") +
                   row({heading, ReportText::tr("Orders completed"), ReportText::tr("Lines stored"),
                        ReportText::tr("Wrong containers")},
                       QStringLiteral("th"));
    for (const Figures& entry : figures)
        html += row({entry.name, QString::number(entry.ordersCompleted),
                     QString::number(entry.linesStored), QString::number(entry.wrongContainers)});
    return html + QStringLiteral("</table>\n");
}

// The order's cells only on its first line, the line's on each.
QString ordersTable(const DispensingReport& report) {
    QString html = QStringLiteral("<table>\n") + row(lineHeadings(), QStringLiteral("th"));
    for (const OrderReport& order : report.orders) {
        if (order.lines.isEmpty())
            html += row(lineCells(order, nullptr));
        for (qsizetype i = 0; i < order.lines.size(); ++i) {
            QStringList cells = lineCells(order, &order.lines[i]);
            if (i > 0)
                for (qsizetype column = 0; column < orderColumnCount; ++column)
                    cells[column].clear();
            html += row(cells);
        }
    }
    return html + QStringLiteral("</table>\n");
}

} // namespace

QString htmlOf(const DispensingReport& report) {
    const QString title = escaped(report.title);
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>\n"
                       "<style>body { font-family: sans-serif; }\n"
                       "table { border-collapse: collapse; margin-bottom: 1em; }\n"
                       "th, td { border: 1px solid #999; padding: 2px 6px; text-align: left; }\n"
                       "th { background: #e8eef6; }\n"
                       ".notice { color: #a00; font-weight: bold; }</style></head>\n<body>\n"
                       "<h1>%1</h1>\n")
            .arg(title);
    const QString notice = unfilledNotice(report);
    if (!notice.isEmpty())
        html += QStringLiteral("<p class=\"notice\">%1</p>\n").arg(escaped(notice));
    html += summary(report);
    const QString chartTitle = ReportText::tr("Lines stored per hour");
    html += sectionHeading(chartTitle) +
            QStringLiteral("<p><img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\"></p>\n")
                .arg(chartSource(report))
                .arg(hourChartSize.width())
                .arg(hourChartSize.height())
                .arg(escaped(chartTitle));
    html += sectionHeading(ReportText::tr("Per station")) +
            figuresTable(db::audit::Station, report.stations);
    html +=
        sectionHeading(ReportText::tr("Per user")) + figuresTable(db::audit::User, report.users);
    html += sectionHeading(ReportText::tr("Orders")) + ordersTable(report);
    return html + QStringLiteral("</body></html>\n");
}

} // namespace report
