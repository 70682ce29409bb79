#include "AppError.h"
#include "CsvWriter.h"
#include "HtmlWriter.h"
#include "PdfWriter.h"
#include "ReportReader.h"
#include "ReportSettings.h"
#include "ReportTable.h"
#include "ReportToolText.h"
#include "StationTranslation.h"
#include "TADOConnection.h"
#include "ToolMain.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

namespace {

// The report was written, but without the audit table's columns.
constexpr int incompleteStatus = 2;

db::DatabaseLocation locationOf(const ReportSettings& settings) {
    if (!settings.serverText.isEmpty())
        return db::DatabaseLocation::server(settings.serverText);
    if (!QFileInfo(settings.filePath).isFile())
        throw platform::AppError(
            ReportToolText::tr("%1: no such database file").arg(settings.filePath));
    return db::DatabaseLocation::file(settings.filePath);
}

QByteArray bytesOf(const report::DispensingReport& report, ReportFormat format) {
    switch (format) {
    case ReportFormat::Csv:
        return report::csvOf(report);
    case ReportFormat::Pdf:
        return report::pdfOf(report);
    case ReportFormat::Html:
        break;
    }
    return report::htmlOf(report).toUtf8();
}

// A file is replaced only once it is whole.
void write(const QByteArray& bytes, const QString& path) {
    if (path.isEmpty()) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
            !out.flush())
            throw platform::AppError(ReportToolText::tr("cannot write to standard output"));
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw platform::AppError(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

int work(const QCommandLineParser& parser) {
    const ReportSettings settings = ReportSettings::parse(parser, QDate::currentDate());
    db::TADOConnection connection(locationOf(settings));
    const report::DispensingReport report =
        report::readReport(connection, settings.from, settings.to);
    write(bytesOf(report, settings.format), settings.outputPath);
    const QString notice = report::unfilledNotice(report);
    if (notice.isEmpty())
        return 0;
    std::fprintf(stderr, "dispensing-report: %s\n", qPrintable(notice));
    return incompleteStatus;
}

} // namespace

int main(int argc, char* argv[]) {
    // The chart and the PDF are drawn without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const StationTranslation translation;
    const ToolUsage usage{
        QStringLiteral("dispensing-report"),
        ReportToolText::tr(
            "Reports a day's dispensing from the prescription database and its audit trail: "
            "each order's lines with who stored them, where, when and with what weight; the "
            "figures per station and per user; the times from opening an order to completing "
            "it; the lines stored per hour. Exits 0 when the report is complete, 2 when it was "
            "written without the audit trail (the database has no table 配藥紀錄), 1 on an "
            "error (nothing written)."),
        {
            {QStringLiteral("file"),
             ReportToolText::tr(
                 "The database file (default: 藥袋正規化.db in the working folder)."),
             QStringLiteral("path")},
            {QStringLiteral("server"),
             ReportToolText::tr(
                 "A PostgreSQL database instead: a libpq connection text (\"host=db1 "
                 "dbname=pharmacy\") or a service name."),
             QStringLiteral("connection")},
            {QStringLiteral("day"),
             ReportToolText::tr("The day to report, yyyy-MM-dd or today (default: today)."),
             QStringLiteral("day")},
            {QStringLiteral("from"),
             ReportToolText::tr("The first day of a span to report, with --to (at most 366 days)."),
             QStringLiteral("day")},
            {QStringLiteral("to"), ReportToolText::tr("The last day of the span."),
             QStringLiteral("day")},
            {QStringLiteral("format"),
             ReportToolText::tr("csv (one row per line, for spreadsheets), html (default) or pdf."),
             QStringLiteral("format")},
            {QStringLiteral("output"),
             ReportToolText::tr("The file to write (default: standard output; pdf needs one)."),
             QStringLiteral("file")},
        }};
    return runTool(argc, argv, usage, work);
}
