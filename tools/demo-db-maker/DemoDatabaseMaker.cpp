#include "DemoDatabaseMaker.h"

#include "DayText.h"
#include "DemoDatabase.h"
#include "ForeignKeyPause.h"
#include "PrescriptionTables.h"
#include "ServerTables.h"
#include "SqlRun.h"
#include "TADOConnection.h"
#include "TableStatements.h"
#include "TransponderCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

namespace demodb {

namespace {

using dbtools::fail;
using dbtools::naming;

// Writes the rows into a database whose tables are made, within its transaction.
using ContentWriter = std::function<void(db::TADOConnection&)>;

QString unusedNameBeside(const QFileInfo& output) {
    for (;;) {
        const QString name = QStringLiteral("%1.%2.tmp")
                                 .arg(output.absoluteFilePath(),
                                      QString::number(QRandomGenerator::system()->generate(), 16));
        if (!QFileInfo::exists(name))
            return name;
    }
}

void moveIntoPlace(const QString& built, const QString& output, bool replaceExisting) {
    if (replaceExisting) {
        if (std::rename(QFile::encodeName(built).constData(),
                        QFile::encodeName(output).constData()) != 0)
            fail(
                QStringLiteral("%1: %2").arg(output, QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    // QFile::rename never replaces, so a file that turned up meanwhile is kept.
    QFile file(built);
    if (!file.rename(output))
        fail(QStringLiteral("%1: %2").arg(output, file.errorString()));
}

QStringList optionalColumns(const MakerSettings& settings) {
    return settings.withChecks ? dbtools::allOptionalColumnNames() : QStringList();
}

void checkFileTarget(const MakerSettings& settings) {
    const QFileInfo output(settings.outputPath);
    if (output.exists() && !settings.replaceExisting)
        fail(QStringLiteral("%1 exists already; --force replaces it").arg(settings.outputPath));
    if (!output.absoluteDir().exists())
        fail(QStringLiteral("%1: no such folder").arg(output.absolutePath()));
}

void makeFile(const MakerSettings& settings, const ContentWriter& writeContent) {
    const QFileInfo output(settings.outputPath);
    const QString built = unusedNameBeside(output);
    auto removeBuilt = qScopeGuard([&built] { QFile::remove(built); });
    {
        db::TADOConnection database(
            db::DatabaseLocation::file(built, db::DatabaseLocation::FileAccess::New));
        // The file is new and only renamed into place once complete, so a rollback journal on
        // disk would buy nothing.
        naming(built,
               [&] { dbtools::run(database, QStringLiteral("PRAGMA journal_mode = MEMORY")); });
        dbtools::run(database, QStringLiteral("PRAGMA cache_size = -65536"));
        database.begin();
        dbtools::createTables(database, optionalColumns(settings));
        writeContent(database);
        database.commit();
    }
    moveIntoPlace(built, output.absoluteFilePath(), settings.replaceExisting);
    removeBuilt.dismiss();
}

void makeOnServer(const MakerSettings& settings, const ContentWriter& writeContent) {
    db::TADOConnection database(db::DatabaseLocation::server(settings.serverConnection));
    naming(QStringLiteral("the server"), [&] { database.begin(); });
    const QStringList existing = dbtools::existingTables(database);
    if (!existing.isEmpty()) {
        if (!settings.replaceExisting)
            fail(QStringLiteral("the server's database holds %1 already; --force drops and "
                                "recreates the tables")
                     .arg(existing.join(QStringLiteral(", "))));
        dbtools::dropTables(database);
    }
    dbtools::createTables(database, optionalColumns(settings));
    dbtools::ForeignKeyPause foreignKeys(database);
    writeContent(database);
    foreignKeys.restore();
    database.commit();
    dbtools::analyzeTables(database);
}

} // namespace

MakerSummary makeDemoDatabase(const MakerSettings& settings) {
    const bool onServer = !settings.serverConnection.isEmpty();
    if (!onServer)
        checkFileTarget(settings);

    const QList<CatalogueEntry> catalogue = readTransponderCatalogue(settings.cataloguePath);
    QStringList drugNames;
    for (const CatalogueEntry& entry : catalogue)
        drugNames.append(entry.drugName);
    DemoContent content(settings.demo, drugNames);
    DemoHistory history(settings.demo.seed, catalogue, settings.withChecks);

    MakerSummary summary;
    const ContentWriter writeContent = [&](db::TADOConnection& target) {
        DemoDatabase database(target, settings.withChecks);
        for (int index = 0; index < catalogue.size(); ++index) {
            const CatalogueEntry& entry = catalogue.at(index);
            database.addDrug(entry.drugName, entry.uid,
                             demoDrugChecks(entry.drugName, index, settings.demo.today));
        }
        for (const Patient& patient : content.patients())
            database.addPatient(patient, db::DayText(patient.birth));
        QStringList dayTexts;
        for (int day = 0; day < content.dayCount(); ++day)
            dayTexts.append(db::DayText(content.day(day)));
        content.forEachOrder([&](const Order& order) {
            const QString& dayText = dayTexts.at(order.dayIndex);
            database.addOrder(dayText, order);
            database.addHistory(dayText, order,
                                history.eventsOf(order, content.day(order.dayIndex)));
            ++summary.orders;
            summary.lines += order.lines.size();
        });
        database.finish();
    };
    if (onServer)
        makeOnServer(settings, writeContent);
    else
        makeFile(settings, writeContent);

    summary.patients = content.patients().size();
    summary.drugs = catalogue.size();
    summary.days = content.dayCount();
    return summary;
}

} // namespace demodb
