#pragma once

#include <QString>
#include <string>

// Who writes the audit rows: the station's name and the session's operating-system user.
struct StationIdentity {
    // A name is cut to this many characters; it comes from an INI file anyone may edit.
    static constexpr qsizetype maxNameLength = 64;

    QString station;
    QString user;

    // [Station] Name of the station's INI file, the host name when missing, and the user.
    static StationIdentity read(const std::string& iniPath);
    // The station named so (the host name when blank) and the session's user.
    static StationIdentity named(const QString& station);
    // The name without control characters and surrounding blanks, at most maxNameLength
    // characters; the fallback, cleaned the same way, when nothing is left.
    static QString cleanName(const QString& name, const QString& fallback);
};
