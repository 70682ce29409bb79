#pragma once

#include <QString>
#include <chrono>
#include <string>

namespace db {

// Where the prescription database lies: a file in the working folder (the default), or a
// PostgreSQL server reached by a libpq connection text, for pharmacies with several stations.
class DatabaseLocation {
public:
    static QString defaultFileName() { return QStringLiteral("藥袋正規化.db"); }
    static QString iniSection() { return QStringLiteral("Database"); }
    static QString iniKey() { return QStringLiteral("PostgreSQL"); }
    static QString timeoutIniKey() { return QStringLiteral("StatementTimeout"); }
    static constexpr std::chrono::seconds defaultStatementTimeout{5};
    // A longer bound would hold the windows longer than a pharmacist waits.
    static constexpr std::chrono::seconds maxStatementTimeout{600};

    // How a file is opened: the station's must exist; a tool may make a new one, or only read.
    enum class FileAccess { Existing, New, ReadOnly };

    static DatabaseLocation file(const QString& fileName = defaultFileName(),
                                 FileAccess access = FileAccess::Existing);

    // `connection` is a libpq service name or a key=value connection text ("service=pharmacy",
    // "host=db1 dbname=pharmacy user=station"). Passwords belong in libpq's password or service
    // file: a text holding one, a URI, a ';' or a control character is a fault.
    static DatabaseLocation server(const QString& connection,
                                   std::chrono::seconds statementTimeout = defaultStatementTimeout);

    // The station's choice: key "PostgreSQL" of section "Database" in the INI file names the
    // server; the default file when the file, the section or the key is missing or empty. Key
    // "StatementTimeout" bounds every statement on the server, in seconds; a missing or bad
    // value, or one outside 1..600, gives the default.
    static DatabaseLocation fromIni(const std::string& iniPath);

    bool isServer() const { return server_; }
    // The file name, or the libpq connection text.
    const QString& target() const { return target_; }
    FileAccess fileAccess() const { return fileAccess_; }
    // Why the location cannot be used, raised at the first statement; empty when it can.
    const QString& fault() const { return fault_; }
    // How long a statement on the server may take, from sending it to its last answer.
    std::chrono::seconds statementTimeout() const { return statementTimeout_; }

private:
    bool server_ = false;
    QString target_;
    QString fault_;
    FileAccess fileAccess_ = FileAccess::Existing;
    std::chrono::seconds statementTimeout_ = defaultStatementTimeout;
};

} // namespace db
