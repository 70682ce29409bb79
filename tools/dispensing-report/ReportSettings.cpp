#include "ReportSettings.h"

#include "DatabaseLocation.h"
#include "ReportToolText.h"

#include <stdexcept>

namespace {

[[noreturn]] void refuse(const QString& text) {
    throw std::invalid_argument(text.toStdString());
}

QDate dayOf(const QCommandLineParser& parser, const QString& option, const QDate& today) {
    const QString text = parser.value(option).trimmed();
    if (text == u"today")
        return today;
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (!day.isValid())
        refuse(ReportToolText::tr("--%1 \"%2\" is not a day: write it yyyy-MM-dd, or today")
                   .arg(option, text));
    return day;
}

ReportFormat formatOf(const QString& text) {
    if (text == u"csv")
        return ReportFormat::Csv;
    if (text == u"html")
        return ReportFormat::Html;
    if (text == u"pdf")
        return ReportFormat::Pdf;
    refuse(ReportToolText::tr("--format \"%1\" is not one of csv, html, pdf").arg(text));
}

} // namespace

ReportSettings ReportSettings::parse(const QCommandLineParser& parser, const QDate& today) {
    ReportSettings settings;
    const bool onServer = parser.isSet(QStringLiteral("server"));
    if (onServer && parser.isSet(QStringLiteral("file")))
        refuse(ReportToolText::tr("--file and --server name two databases: give one"));
    settings.serverText = parser.value(QStringLiteral("server"));
    if (onServer && settings.serverText.trimmed().isEmpty())
        refuse(ReportToolText::tr("--server takes a connection text or service name"));
    settings.filePath = parser.isSet(QStringLiteral("file"))
                            ? parser.value(QStringLiteral("file"))
                            : db::DatabaseLocation::defaultFileName();

    const bool day = parser.isSet(QStringLiteral("day"));
    const bool from = parser.isSet(QStringLiteral("from"));
    const bool to = parser.isSet(QStringLiteral("to"));
    if (day && (from || to))
        refuse(ReportToolText::tr("--day and --from/--to both name days: give one"));
    if (from != to)
        refuse(ReportToolText::tr("--from and --to go together"));
    settings.from = settings.to = day ? dayOf(parser, QStringLiteral("day"), today) : today;
    if (from) {
        settings.from = dayOf(parser, QStringLiteral("from"), today);
        settings.to = dayOf(parser, QStringLiteral("to"), today);
    }

    if (parser.isSet(QStringLiteral("format")))
        settings.format = formatOf(parser.value(QStringLiteral("format")));
    settings.outputPath = parser.value(QStringLiteral("output"));
    if (settings.format == ReportFormat::Pdf && settings.outputPath.isEmpty())
        refuse(ReportToolText::tr("--format pdf needs --output FILE"));
    return settings;
}
