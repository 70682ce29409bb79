#include "DemoDatabaseMaker.h"

#include "DayText.h"
#include "DemoDatabase.h"
#include "TransponderCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace demodb {

namespace {

[[noreturn]] void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

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

} // namespace

MakerSummary makeDemoDatabase(const MakerSettings& settings) {
    const QFileInfo output(settings.outputPath);
    if (output.exists() && !settings.replaceExisting)
        fail(QStringLiteral("%1 exists already; --force replaces it").arg(settings.outputPath));
    if (!output.absoluteDir().exists())
        fail(QStringLiteral("%1: no such folder").arg(output.absolutePath()));

    const QList<CatalogueEntry> catalogue = readTransponderCatalogue(settings.cataloguePath);
    QStringList drugNames;
    for (const CatalogueEntry& entry : catalogue)
        drugNames.append(entry.drugName);
    DemoContent content(settings.demo, drugNames);

    const QString built = unusedNameBeside(output);
    auto removeBuilt = qScopeGuard([&built] { QFile::remove(built); });

    MakerSummary summary;
    {
        DemoDatabase database(built);
        for (const CatalogueEntry& entry : catalogue)
            database.addDrug(entry.drugName, entry.uid);
        for (const Patient& patient : content.patients())
            database.addPatient(patient, db::DayText(patient.birth));
        QStringList dayTexts;
        for (int day = 0; day < content.dayCount(); ++day)
            dayTexts.append(db::DayText(content.day(day)));
        content.forEachOrder([&](const Order& order) {
            database.addOrder(dayTexts.at(order.dayIndex), order);
            ++summary.orders;
            summary.lines += order.lines.size();
        });
        database.commit();
    }
    moveIntoPlace(built, output.absoluteFilePath(), settings.replaceExisting);
    removeBuilt.dismiss();

    summary.patients = content.patients().size();
    summary.drugs = catalogue.size();
    summary.days = content.dayCount();
    return summary;
}

} // namespace demodb
