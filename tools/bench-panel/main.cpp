#include "BenchPanel.h"
#include "PanelCatalogue.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bench-panel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Drives the reader and balance emulators through their control sockets."));
    parser.addHelpOption();
    const QCommandLineOption readerOption(QStringLiteral("reader-control"),
                                          QStringLiteral("The reader emulator's control socket."),
                                          QStringLiteral("PATH"));
    const QCommandLineOption balanceOption(QStringLiteral("balance-control"),
                                           QStringLiteral("The balance emulator's control socket."),
                                           QStringLiteral("PATH"));
    const QCommandLineOption catalogueOption(
        QStringLiteral("catalogue"), QStringLiteral("The transponder catalogue: a button a drug."),
        QStringLiteral("FILE"));
    parser.addOptions({readerOption, balanceOption, catalogueOption});
    parser.process(application);

    bench::PanelSetup setup;
    setup.readerControl = parser.value(readerOption);
    setup.balanceControl = parser.value(balanceOption);
    if (parser.isSet(catalogueOption)) {
        QString error;
        const auto containers = bench::loadContainers(parser.value(catalogueOption), error);
        if (!containers) {
            std::fprintf(stderr, "bench-panel: %s\n", qPrintable(error));
            return 1;
        }
        setup.containers = *containers;
    }

    bench::BenchPanel panel(setup);
    panel.show();
    return QApplication::exec();
}
