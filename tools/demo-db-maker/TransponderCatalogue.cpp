#include "TransponderCatalogue.h"

#include "Catalogue.h"
#include "HexFields.h"
#include "TextFile.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>

namespace demodb {

namespace {

QString drugName(const emulator::CatalogueEntry& entry, const QString& path, const QString& uid) {
    const auto fail = [&](const QString& reason) {
        throw CatalogueError(QStringLiteral("%1: transponder %2: the drug name %3")
                                 .arg(path, uid, reason)
                                 .toStdString());
    };
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString name = QString(decoder(QByteArrayView(entry.drug))).trimmed();
    if (decoder.hasError())
        fail(QStringLiteral("is not UTF-8 text"));
    if (name.isEmpty())
        fail(QStringLiteral("is empty"));
    if (name.size() > maxDrugNameLength)
        fail(QStringLiteral("is longer than %1 characters").arg(maxDrugNameLength));
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            fail(QStringLiteral("holds a control character"));
    return name;
}

} // namespace

QList<CatalogueEntry> readTransponderCatalogue(const QString& path) {
    std::string error;
    const auto text = emulator::readTextFile(QFile::encodeName(path).toStdString(),
                                             emulator::kMaxCatalogueBytes, error);
    if (!text)
        throw CatalogueError(error);
    const emulator::Catalogue catalogue = emulator::parseCatalogue(*text, error);
    if (!error.empty())
        throw CatalogueError(path.toStdString() + ": " + error);
    if (catalogue.entries.empty())
        throw CatalogueError(path.toStdString() + ": the catalogue lists no transponder");

    QList<CatalogueEntry> entries;
    QSet<QString> drugNames;
    for (const emulator::CatalogueEntry& transponder : catalogue.entries) {
        CatalogueEntry entry;
        entry.uid = QString::fromStdString(emulator::hexText(transponder.uid));
        entry.drugName = drugName(transponder, path, entry.uid);
        if (drugNames.contains(entry.drugName))
            throw CatalogueError(QStringLiteral("%1: transponder %2: drug %3 is listed twice")
                                     .arg(path, entry.uid, entry.drugName)
                                     .toStdString());
        drugNames.insert(entry.drugName);
        entries.append(entry);
    }
    return entries;
}

} // namespace demodb
