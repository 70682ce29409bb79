#include "Startup.h"

#include "HelpWithoutDisplay.h"
#include "OrderSystem.h"
#include "StationCommandLine.h"
#include "StationTranslation.h"
#include "Unit1.h"
#include "WorkerThread.h"
#include "ZQDlgComPort.h"
#include "ZQDlgFindReader.h"
#include "ZQDlgMain.h"

#include <QApplication>

namespace {

template <typename Window, typename... Args>
std::unique_ptr<Window> create(const std::function<void(QWidget&)>& created, Args&&... args) {
    auto window = std::make_unique<Window>(std::forward<Args>(args)...);
    if (created) {
        created(*window);
    }
    return window;
}

} // namespace

StationWindows::StationWindows(const std::function<void(QWidget&)>& created) {
    orderForm_ = create<TOrderForm>(created, [this] { showMainWindow(*formMain_); });
    formMain_ = create<TForm_Main>(created);
    // The reader dialogs use the main window's handles; they go before it.
    formFindReader_ = create<TForm_FindReader>(created, formMain_->readerHandles());
    formComPort_ = create<TForm_ComPort>(created, formMain_->readerHandles());
    form1_ = create<TForm1>(created);
    formMain_->setReaderDialogs(*formFindReader_, *formComPort_);
    formMain_->setBalanceWindow(*form1_);
    // Closing the entry window ends the application, whatever else is open. quit() would
    // first close every window and so run the main window's close steps; exit() does not.
    QObject::connect(orderForm_.get(), &TOrderForm::closed, QCoreApplication::instance(),
                     [] { QCoreApplication::exit(0); });
}

StationWindows::~StationWindows() = default;

void showMainWindow(TForm_Main& mainWindow) {
    mainWindow.show();
    mainWindow.raise();
    mainWindow.activateWindow();
}

int runStation(int argc, char** argv) {
    answerHelpWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    const StationTranslation translation;
    processStationCommandLine(app);
    // Captions error boxes; a display name is not set, as it would be added to every title.
    QApplication::setApplicationName(QStringLiteral("藥師配藥系統"));
    QApplication::setQuitOnLastWindowClosed(false);
    int exitCode = 0;
    {
        StationWindows windows;
        windows.OrderForm().show();
        exitCode = QApplication::exec();
        platform::WorkerThread::stopAll();
    }
    return exitCode;
}
