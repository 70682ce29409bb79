#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <string>

namespace bench {

// A drug's container as the panel offers it: the UID to place and the drug to show.
struct Container {
    std::string uid;
    QString drug;
};

// More buttons than this would not fit beside the station.
constexpr qsizetype kMaxContainers = 64;

// The containers of a transponder catalogue file (the reader emulator's format), in its order;
// nullopt with error set when the file cannot be read, is malformed or lists too many.
std::optional<QList<Container>> loadContainers(const QString& path, QString& error);

} // namespace bench
