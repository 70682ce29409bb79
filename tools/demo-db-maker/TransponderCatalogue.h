#pragma once

#include <QList>
#include <QString>
#include <stdexcept>

namespace demodb {

// One known transponder and the drug whose container carries it.
struct CatalogueEntry {
    QString uid; // 16 upper-case hex digits, E0 first: the drug's SerialNumber
    QString drugName;
};

// A catalogue that cannot be used; the text names the file and the line or transponder at fault.
class CatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the reader emulator's transponder catalogue, so the demo's drugs carry exactly the
// transponders the emulator can place. Each drug name becomes a key of 藥品資料表, so beyond
// what the emulator checks, names must be UTF-8, without control characters, at most
// maxDrugNameLength characters, and distinct; blanks around them are dropped.
QList<CatalogueEntry> readTransponderCatalogue(const QString& path);

constexpr qsizetype maxDrugNameLength = 64;

} // namespace demodb
