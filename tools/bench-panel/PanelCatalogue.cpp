#include "PanelCatalogue.h"

#include "Catalogue.h"
#include "DemoUnitWeight.h"
#include "HexFields.h"
#include "TextFile.h"

#include <QFile>

namespace bench {

std::optional<QList<Container>> loadContainers(const QString& path, QString& error) {
    std::string problem;
    const auto text = emulator::readTextFile(QFile::encodeName(path).toStdString(),
                                             emulator::kMaxCatalogueBytes, problem);
    if (!text) {
        error = QString::fromStdString(problem);
        return std::nullopt;
    }
    const emulator::Catalogue catalogue = emulator::parseCatalogue(*text, problem);
    if (!problem.empty()) {
        error = path + ": " + QString::fromStdString(problem);
        return std::nullopt;
    }
    if (catalogue.entries.size() > static_cast<std::size_t>(kMaxContainers)) {
        error = path + QStringLiteral(": more than %1 containers").arg(kMaxContainers);
        return std::nullopt;
    }
    QList<Container> containers;
    for (const emulator::CatalogueEntry& entry : catalogue.entries) {
        const QString drug = QString::fromUtf8(entry.drug);
        containers.append({emulator::hexText(entry.uid), drug, demodb::demoUnitWeight(drug)});
    }
    return containers;
}

} // namespace bench
