#pragma once

#include "DemoContent.h"

#include <QString>

namespace demodb {

struct MakerSettings {
    QString outputPath;
    // A libpq connection text or service name: the database is made there instead of a file.
    QString serverConnection;
    bool replaceExisting = false;
    // Give the drugs' table its optional columns and fill them (demoDrugChecks).
    bool withChecks = false;
    QString cataloguePath;
    DemoOptions demo;
};

struct MakerSummary {
    qsizetype patients = 0;
    qsizetype drugs = 0;
    qint64 orders = 0;
    qint64 lines = 0;
    int days = 0;
};

// Makes the demo database at outputPath. The file is built beside it under a temporary name and
// renamed into place when complete, so a failure leaves no half-made database and an existing
// file is never replaced unless replaceExisting.
// With serverConnection, the tables are made in that database in one transaction with the rows;
// one of them there already is a failure unless replaceExisting, which drops them first.
// Throws std::exception with a readable text.
MakerSummary makeDemoDatabase(const MakerSettings& settings);

} // namespace demodb
