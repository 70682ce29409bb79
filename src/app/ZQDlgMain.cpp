#include "ZQDlgMain.h"

#include "ErrorGuard.h"
#include "HexEdit.h"
#include "MainWindowIcon.h"
#include "ReaderErrorMessage.h"
#include "ReaderHandles.h"
#include "ui_ZQDlgMain.h"
#include "zqkrt.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int shownWidth = 680;
constexpr int shownHeight = 380;
// While the library still reports the protocol locked, the close is issued again; this many
// times at most, so a library that never lets go cannot keep the window open for good.
constexpr int maxReissuedCloses = 3;

} // namespace

TForm_Main::TForm_Main()
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm_Main>()) {
    ui->setupUi(this);
    setWindowIcon(mainWindowIcon());

    ui->ListView1->setColumnWidth(0, 91);
    ui->ListView1->setColumnWidth(1, 91);
    ui->ListView_TagList->setColumnWidth(0, 80);
    ui->ListView_TagList->setColumnWidth(1, 130);
    QFont gridTitleFont = ui->DBGrid1->font();
    gridTitleFont.setPointSize(12);
    ui->DBGrid1->horizontalHeader()->setFont(gridTitleFont);

    statusPanel_ = new QLabel(ui->StatusBar1);
    statusPanel_->setObjectName(QStringLiteral("StatusBar1Panel0"));
    statusPanel_->setFixedWidth(50);
    ui->StatusBar1->addWidget(statusPanel_);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (!PopupMenu1->isEmpty()) {
            PopupMenu1->popup(mapToGlobal(pos));
        }
    });

    connect(ui->MItem_Exit, &QAction::triggered, this,
            [this] { platform::runGuarded([this] { MItem_ExitClick(); }); });

    platform::runGuarded([this] { FormCreate(); });
}

TForm_Main::~TForm_Main() = default;

void TForm_Main::FormCreate() {
    ui->DateTimePicker1->setMaximumDate(QDateTime::currentDateTime().date());
    ui->DateTimePicker1->setDate(QDateTime::currentDateTime().date());
}

void TForm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        platform::runGuarded([this] { FormShow(); });
    }
}

void TForm_Main::FormShow() {
    resizeOuter(shownWidth, shownHeight);

    const std::int32_t status = ZQKRT_NewReader(0);
    if (status < 0) {
        showReaderError(status);
        return;
    }
    ReaderHandle = status;
    ZQKRT_SetReaderPara(ReaderHandle, "LogProt", "1");
    TagDataView = std::make_unique<THexEdit>("DB", 11, 4);
}

void TForm_Main::resizeOuter(int width, int height) {
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    setFixedSize(width - frameExtra.width(), height - frameExtra.height());
    if (!placed_ && screen() != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
        placed_ = true;
    }
}

void TForm_Main::MItem_ExitClick() {
    close();
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    bool closeNow = true;
    platform::runGuarded([this, &closeNow] { closeNow = FormClose(); });
    if (!closeNow) {
        event->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    reissuedCloses_ = 0;
    QMainWindow::closeEvent(event);
}

bool TForm_Main::FormClose() {
    return ReaderHandle == 0 || releaseReader();
}

bool TForm_Main::releaseReader() {
    ZQKRT_SetReaderPara(0, "LockProtToApp", "0");
    char scratch[256] = {};
    const bool stillLocked = ZQKRT_GetReaderPara(0, "IsProtToAppLocked", scratch) == 0;
    if (stillLocked && reissuedCloses_ < maxReissuedCloses) {
        ++reissuedCloses_;
        return false;
    }
    return true;
}
