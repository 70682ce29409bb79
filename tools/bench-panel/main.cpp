#include "BenchPanel.h"
#include "HelpWithoutDisplay.h"
#include "PanelCatalogue.h"
#include "StationVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    answerHelpWithoutDisplay(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bench-panel"));
    QApplication::setApplicationVersion(QString::fromLatin1(station::version));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Drives the reader and balance emulators through their control sockets."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption readerOption(QStringLiteral("reader-control"),
                                          QStringLiteral("The reader emulator's control socket."),
                                          QStringLiteral("PATH"));
    const QCommandLineOption balanceOption(QStringLiteral("balance-control"),
                                           QStringLiteral("The balance emulator's control socket."),
                                           QStringLiteral("PATH"));
    const QCommandLineOption catalogueOption(
        QStringLiteral("catalogue"), QStringLiteral("The transponder catalogue: a button a drug."),
        QStringLiteral("FILE"));
    const QCommandLineOption atRightOption(
        QStringLiteral("at-right"),
        QStringLiteral("Places the panel at the top right of the screen, beside the station's "
                       "windows."));
    parser.addOptions({readerOption, balanceOption, catalogueOption, atRightOption});
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
    if (parser.isSet(atRightOption) && panel.screen() != nullptr) {
        // After the show, when the frame's width counts too.
        const QRect screen = panel.screen()->availableGeometry();
        panel.move(screen.right() + 1 - panel.frameGeometry().width(), screen.top());
    }
    return QApplication::exec();
}
