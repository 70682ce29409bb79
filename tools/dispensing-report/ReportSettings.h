#pragma once

#include <QCommandLineParser>
#include <QDate>
#include <QString>

enum class ReportFormat { Csv, Html, Pdf };

// What the command line asks for. Bad options throw std::invalid_argument.
struct ReportSettings {
    QString filePath;   // the database file, when no server is named
    QString serverText; // a libpq connection text or service name
    QDate from;
    QDate to;
    ReportFormat format = ReportFormat::Html;
    QString outputPath; // empty: standard output

    static ReportSettings parse(const QCommandLineParser& parser, const QDate& today);
};
