#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <string>

namespace bench {

// A drug's container as the panel offers it: the UID to place, the drug to show, and the grams
// a unit of it weighs in the demo database (none for a drug whose name names no form).
struct Container {
    std::string uid;
    QString drug;
    std::optional<double> unitWeight;
};

// More buttons than this would not fit beside the station.
constexpr qsizetype kMaxContainers = 64;

// The containers of a transponder catalogue file (the reader emulator's format), in its order;
// nullopt with error set when the file cannot be read, is malformed or lists too many.
std::optional<QList<Container>> loadContainers(const QString& path, QString& error);

} // namespace bench
