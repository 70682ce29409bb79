#pragma once

#include <QString>
#include <string>

namespace db {

// Where the prescription database lies: a file in the working folder (the default), or a
// PostgreSQL server reached by a libpq connection text, for pharmacies with several stations.
class DatabaseLocation {
public:
    static QString defaultFileName() { return QStringLiteral("藥袋正規化.db"); }
    static QString iniSection() { return QStringLiteral("Database"); }
    static QString iniKey() { return QStringLiteral("PostgreSQL"); }

    static DatabaseLocation file(const QString& fileName = defaultFileName());

    // `connection` is a libpq service name or a key=value connection text ("service=pharmacy",
    // "host=db1 dbname=pharmacy user=station"). Passwords belong in libpq's password or service
    // file: a text holding one, a URI, a ';' or a control character is a fault.
    static DatabaseLocation server(const QString& connection);

    // The station's choice: key "PostgreSQL" of section "Database" in the INI file names the
    // server; the default file when the file, the section or the key is missing or empty.
    static DatabaseLocation fromIni(const std::string& iniPath);

    bool isServer() const { return server_; }
    // The file name, or the libpq connection text.
    const QString& target() const { return target_; }
    // Why the location cannot be used, raised at the first statement; empty when it can.
    const QString& fault() const { return fault_; }

private:
    bool server_ = false;
    QString target_;
    QString fault_;
};

} // namespace db
