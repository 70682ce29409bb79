#include "StationCommandLine.h"

#include "StationVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>

void processStationCommandLine(const QCoreApplication& app) {
    // The program's name heads the usage and the version; the windows caption with another.
    QCoreApplication::setApplicationName(QStringLiteral("dispensing-station"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(station::version));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The pharmacist's dispensing station: the day's pick-up orders from the prescription "
        "database, the RFID tags of the drug containers on the reader, a warning for a wrong "
        "container, and each right one stored as dispensed with the balance's weight.\n"
        "\n"
        "It takes no arguments besides Qt's own (such as -platform or -display) and works in "
        "the current directory: it reads the INI file ZQKRT_Tovrel.ini there, opens the "
        "database file 藥袋正規化.db (unless the INI file names a PostgreSQL server), appends "
        "to the journal 配藥紀錄.txt, and finds serial devices behind the links dosdevices/comN "
        "(COM1..COM4 are /dev/ttyS0..3 without them).\n"
        "\n"
        "Environment: LC_ALL, LC_TIME or LANG give the short date format of the dispensing day; "
        "DISPLAY or QT_QPA_PLATFORM the display; PGSERVICEFILE, PGPASSFILE and libpq's other "
        "PG variables the connection to a server; PCSCLITE_CSOCK_NAME the PC/SC service's "
        "socket; USER names the user of the audit rows when the system has no name for them."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(1);
}
