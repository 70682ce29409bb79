#include "ZQDlgMain.h"

#include "ClickBesideItems.h"
#include "DayText.h"
#include "DialogKeys.h"
#include "ErrorGuard.h"
#include "FieldIndex.h"
#include "GridColumnFit.h"
#include "HexEdit.h"
#include "ListGridLines.h"
#include "MainWindowIcon.h"
#include "OrderStatements.h"
#include "PrescriptionFields.h"
#include "QueryGridModel.h"
#include "ReaderCallStatus.h"
#include "ReaderIniPath.h"
#include "ReaderIniSteps.h"
#include "ReportWindow.h"
#include "TADOQuery.h"
#include "TCheckThread.h"
#include "TagInventory.h"
#include "ZQDlgComPort.h"
#include "ZQDlgFindReader.h"
#include "ui_ZQDlgMain.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

namespace {

constexpr int shownWidth = 680;
constexpr int shownHeight = 380;
// While the library still reports the protocol locked, the close is issued again; this many
// times at most, so a library that never lets go cannot keep the window open for good.
constexpr int maxReissuedCloses = 3;
// A window manager frames the window some time after it is shown, without an event that says
// so, and may tell of the frame in steps: the size follows it this often, for about two seconds.
constexpr int framePollMs = 25;
constexpr int maxFramePolls = 80;

const QStringList orderListHidden = {db::field::OrderDay, db::field::Sequence,
                                     db::field::PatientName, db::field::Sex, db::field::Birth};
const QStringList orderLinesHidden = {db::field::Sequence,
                                      db::field::ChartNumber,
                                      db::field::PatientName,
                                      db::field::Sex,
                                      db::field::Birth,
                                      db::field::of(db::table::Orders, db::field::OrderDay),
                                      db::field::of(db::table::Lines, db::field::OrderDay),
                                      db::field::SerialNumber};

void hideFromGrid(db::TADOQuery& query, const QStringList& fields) {
    for (const QString& field : fields)
        query.FieldByName(field).SetVisible(false);
}

} // namespace

TForm_Main::TForm_Main()
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm_Main>()),
      ADOConnection1(db::DatabaseLocation::fromIni(readerIniPath())),
      events_(ADOConnection1.location(), readerIniPath(), *this), check_(*this) {
    ui->setupUi(this);
    platform::pressFocusedButtonOnEnter(*this);
    events_.lendTo(check_);
    setWindowIcon(mainWindowIcon());

    ui->ListView1->setColumnWidth(0, 91);
    ui->ListView1->setColumnWidth(1, 91);
    ui->ListView_TagList->setColumnWidth(0, 80);
    ui->ListView_TagList->setColumnWidth(1, 130);
    platform::drawGridLines(*ui->ListView1);
    platform::drawGridLines(*ui->ListView_TagList);
    QFont gridTitleFont = ui->DBGrid1->font();
    gridTitleFont.setPointSize(12);
    ui->DBGrid1->horizontalHeader()->setFont(gridTitleFont);

    statusPanel_ = new QLabel(ui->StatusBar1);
    statusPanel_->setObjectName(QStringLiteral("StatusBar1Panel0"));
    // The panel's 50 px are its least width: the warning runs on over the bar.
    statusPanel_->setMinimumWidth(50);
    ui->StatusBar1->addWidget(statusPanel_, 1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (!PopupMenu1->isEmpty()) {
            PopupMenu1->popup(mapToGlobal(pos));
        }
    });

    inventory_ = std::make_unique<TagInventory>(
        TagListControls{ui->ListView_TagList, ui->ListBox1, ui->Edt_TagList, ui->Btn_Run,
                        ui->MItem_ComPort, ui->MItem_SearchReader});
    inventory_->bringBackPort(library_, handles_);
    balance_ = std::make_unique<StationBalance>(
        ui->MemoTemp, [this](bool away) { events_.deviceAway(away, QStringLiteral("天平")); });

    ADOQuery1 = new db::TADOQuery(ADOConnection1, this);
    DataSource1 = new db::QueryGridModel(*ADOQuery1, this);
    ui->DBGrid1->setModel(DataSource1);
    fitColumnsToContents(*ui->DBGrid1, db::field::DrugName);
    connectHandlers();
    framePoll_.setInterval(framePollMs);
    connect(&framePoll_, &QTimer::timeout, this, [this] {
        keepOuterSize();
        if (++framePolls_ >= maxFramePolls)
            framePoll_.stop();
    });

    // The create step comes with no signal: guarded here.
    platform::runGuarded([this] { FormCreate(); });
}

// The checking threads hand over runs that use this window: they must have ended before it goes.
// Every one is told first, so that waiting for one cannot let another start a run.
TForm_Main::~TForm_Main() {
    for (const std::unique_ptr<TCheckThread>& thread : checkingThreads_)
        thread->Terminate();
    checkingThreads_.clear();
}

void TForm_Main::connectHandlers() {
    using platform::guardedSlot;
    connect(ui->MItem_Exit, &QAction::triggered, this,
            guardedSlot(this, &TForm_Main::MItem_ExitClick));
    connect(ui->DateTimePicker1, &QDateEdit::dateChanged, this,
            guardedSlot(this, &TForm_Main::DateTimePicker1CloseUp));
    ui->DateTimePicker1->calendarWidget()->window()->installEventFilter(this);
    // After the list has handled the click: a tick set by the run must not be toggled back by
    // the click's own release on the check box. A click on a check box, which the list does not
    // take as a selection, picks that order too; one beside the orders leaves none selected.
    connect(ui->ListView1, &QTreeWidget::clicked, this,
            guardedSlot(this, &TForm_Main::ListView1Clicked));
    platform::onClickBesideItems(*ui->ListView1, guardedSlot(this, &TForm_Main::ListView1Click));
    connect(ui->DBEdit3, &QLineEdit::textEdited, this,
            guardedSlot(this, &TForm_Main::DBEdit3Change));
    connect(ui->Button2, &QPushButton::clicked, this, guardedSlot(this, &TForm_Main::Button2Click));
    connect(ui->MItem_ComPort, &QAction::triggered, this,
            guardedSlot(this, &TForm_Main::MItem_ComPortClick));
    connect(ui->MItem_SearchReader, &QAction::triggered, this,
            guardedSlot(this, &TForm_Main::MItem_SearchReaderClick));
    connect(ui->MItem_Balance, &QAction::triggered, this,
            guardedSlot(this, &TForm_Main::MItem_BalanceClick));
    // The report's item follows the desk's language; the other items read alike on every desk.
    ui->MItem_Report->setText(tr("&Report..."));
    connect(ui->MItem_Report, &QAction::triggered, this,
            guardedSlot(this, &TForm_Main::MItem_ReportClick));
    connect(ui->Btn_Run, &QPushButton::clicked, this, guardedSlot(this, &TForm_Main::Btn_RunClick));
    connect(ui->Btn_ClearTagList, &QPushButton::clicked, this,
            guardedSlot(this, &TForm_Main::Btn_ClearTagListClick));
    connect(ui->Button1, &QPushButton::clicked, this, guardedSlot(this, &TForm_Main::Button1Click));
    connect(ui->ListView_TagList, &QTreeWidget::itemClicked, this,
            guardedSlot(this, &TForm_Main::ListView_TagListClick));
    connect(inventory_.get(), &TagInventory::tagListChanged, this,
            [this] { check_.tagListChanged(); });
    connect(inventory_.get(), &TagInventory::readerAway, this,
            [this](bool away) { events_.deviceAway(away, QStringLiteral("讀取器")); });

    connect(DataSource1, &db::QueryGridModel::currentRowChanged, ui->DBGrid1, [this](int row) {
        if (row >= 0)
            ui->DBGrid1->selectRow(row);
    });
    // Not guarded here: followQuery guards itself only when the window is not moving the query.
    connect(ADOQuery1, &db::TADOQuery::afterOpen, this, &TForm_Main::followQuery);
    connect(ADOQuery1, &db::TADOQuery::afterClose, this, &TForm_Main::followQuery);
    connect(ADOQuery1, &db::TADOQuery::afterScroll, this, &TForm_Main::followQuery);
}

void TForm_Main::ListView1Clicked(const QModelIndex& order) {
    ui->ListView1->setCurrentIndex(order);
    ListView1Click();
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event) {
    // An event, not a signal: guarded here.
    if (watched == ui->DateTimePicker1->calendarWidget()->window() &&
        event->type() == QEvent::Hide) {
        platform::runGuarded([this] { DateTimePicker1CloseUp(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm_Main::FormCreate() {
    {
        // Setting the day is no change by the user: the list is loaded below.
        const QSignalBlocker quiet(ui->DateTimePicker1);
        ui->DateTimePicker1->setMaximumDate(QDateTime::currentDateTime().date());
        ui->DateTimePicker1->setDate(QDateTime::currentDateTime().date());
    }
    ListView1CheckBoxes = true;
    LoadOrderList();
}

void TForm_Main::LoadOrderList() {
    ui->ListView1->clear();
    ADOQuery1->Close();
    ADOQuery1->SQL = db::orderListStatement(db::DayText(ui->DateTimePicker1->date()));
    runOnQuery([this] { ADOQuery1->Open(); });
    hideFromGrid(*ADOQuery1, orderListHidden);
    runOnQuery([this] { ADOQuery1->First(); });
    while (!ADOQuery1->Eof()) {
        addOrderRow(ADOQuery1->FieldByName(db::field::Sequence).AsString(),
                    ADOQuery1->FieldByName(db::field::PatientName).AsString());
        runOnQuery([this] { ADOQuery1->Next(); });
    }
}

void TForm_Main::addOrderRow(const QString& sequence, const QString& name) {
    auto* row = new QTreeWidgetItem(QStringList{sequence, name});
    if (ListView1CheckBoxes) {
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
    }
    ui->ListView1->addTopLevelItem(row);
}

void TForm_Main::DateTimePicker1CloseUp() {
    LoadOrderList();
}

QTreeWidgetItem* TForm_Main::selectedOrder() const {
    const QList<QTreeWidgetItem*> selected = ui->ListView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void TForm_Main::ListView1Click() {
    Btn_RunClick();
    ui->WeightTemp->clear();
    const QTreeWidgetItem* order = selectedOrder();
    if (order == nullptr)
        return;
    OpenOrderLines(*order);
    // An order without lines has nothing to dispense; checking it would only spin.
    if (ADOQuery1->RecordCount() > 0) {
        events_.orderOpened(db::DayText(ui->DateTimePicker1->date()), order->text(0),
                            ADOQuery1->RecordCount());
        startDispensing();
    }
}

void TForm_Main::OpenOrderLines(const QTreeWidgetItem& order) {
    ADOQuery1->Close();
    ADOQuery1->SQL =
        db::orderLinesStatement(order.text(0), db::DayText(ui->DateTimePicker1->date()));
    runOnQuery([this] { ADOQuery1->Open(); });
    hideFromGrid(*ADOQuery1, orderLinesHidden);
    ADOQuery1->FieldByName(db::field::DispensingState).SetReadOnly(false);
}

// The list and the day stay locked while the order is dispensed, so no other statement can
// replace its lines under the check.
void TForm_Main::startDispensing() {
    // Read at every order, so a changed setting needs no restart.
    check_.setSettings(DispensingSettings::read(readerIniPath()));
    std::erase_if(checkingThreads_,
                  [](const std::unique_ptr<TCheckThread>& thread) { return thread->isFinished(); });
    checkingThreads_.push_back(std::make_unique<TCheckThread>(check_));
    const TCheckThread* thread = checkingThreads_.back().get();
    // The thread is the context: a pending call goes with a thread deleted before it is delivered.
    connect(thread, &QThread::finished, thread, [this, thread] {
        if (thread->Failed())
            endDispensing();
    });
    ui->ListView1->setEnabled(false);
    ui->DateTimePicker1->setEnabled(false);
    // A failed run leaves the order as it was before the click, once its error is shown: the
    // guard is called here, as the failure must be known.
    if (!platform::runGuarded(
            [this, thread] { check_.CheckDispensing([thread] { return thread->Terminated(); }); }))
        endDispensing();
}

void TForm_Main::endDispensing() {
    for (const std::unique_ptr<TCheckThread>& thread : checkingThreads_)
        thread->Terminate();
    ui->ListView1->setEnabled(true);
    ui->DateTimePicker1->setEnabled(true);
}

void TForm_Main::Button2Click() {
    if (const QTreeWidgetItem* order = selectedOrder();
        order != nullptr && !ui->ListView1->isEnabled())
        events_.orderStopped(db::DayText(ui->DateTimePicker1->date()), order->text(0));
    endDispensing();
}

void TForm_Main::orderCompleted() {
    endDispensing();
    if (QTreeWidgetItem* order = selectedOrder())
        order->setCheckState(0, Qt::Checked);
}

int TForm_Main::tagCount() const {
    return ui->ListView_TagList->topLevelItemCount();
}

std::optional<QString> TForm_Main::firstTagSerial() const {
    const QTreeWidgetItem* first = ui->ListView_TagList->topLevelItem(0);
    if (first == nullptr)
        return std::nullopt;
    return first->text(1);
}

void TForm_Main::showWarning(const QString& text) {
    statusPanel_->setText(text);
}

void TForm_Main::showWeight(const QString& text) {
    ui->WeightTemp->setText(text);
}

QString TForm_Main::weightText() const {
    return balance_->text();
}

balance::BalanceReading TForm_Main::weightReading() const {
    return balance_->reading();
}

balance::ReadingStamp TForm_Main::weightStamp() const {
    return balance_->stamp();
}

DrugChecks TForm_Main::drugChecks(const QString& drugName) {
    return DrugChecks::of(ADOConnection1.fetch(db::drugStatement(drugName)), drugName);
}

void TForm_Main::clearSeenTags() {
    ui->ListBox1->clear();
}

void TForm_Main::runOnQuery(const std::function<void()>& operation) {
    {
        const QScopedValueRollback moving(movingQuery_, true);
        operation();
    }
    DBEdit3Change();
}

// Guarded here rather than where connected: an error of the sex box belongs to the operation
// when the window itself moves the query.
void TForm_Main::followQuery() {
    ui->DBEdit2->setText(currentText(db::field::PatientName));
    ui->DBEdit3->setText(currentText(db::field::Sex));
    ui->DBEdit4->setText(currentText(db::field::Birth));
    if (!movingQuery_)
        platform::runGuarded([this] { DBEdit3Change(); });
}

QString TForm_Main::currentText(const QString& field) const {
    const QVariant value =
        ADOQuery1->valueAt(ADOQuery1->CurrentRow(), findField(*ADOQuery1, field));
    return value.isNull() ? QString() : value.toString();
}

void TForm_Main::DBEdit3Change() {
    if (!ADOQuery1->Active() || ADOQuery1->CurrentRow() < 0)
        return;
    const db::TField sex = ADOQuery1->FieldByName(db::field::Sex);
    if (sex.IsNull())
        return;
    ui->DBEdit3->setText(sex.AsBoolean() ? QStringLiteral("男") : QStringLiteral("女"));
}

void TForm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        centreOnFirstShow();
        // Once the window is up: a modal search inside the show would keep the window manager's
        // frame from the window's geometry. The show steps come with no signal: guarded here.
        QTimer::singleShot(0, this, [this] {
            platform::runGuarded([this] { FormShow(); });
            emit showStepsRun();
        });
    }
}

void TForm_Main::FormShow() {
    balance_->startAtShow(readerIniPath());
    keepOuterSize();
    framePolls_ = 0;
    framePoll_.start();

    iniPath_ = readerIniPath();
    const std::int32_t reader = library_.NewReader(0);
    // A failed creation keeps the reader of the last show.
    inventory_->startShow(readerCallFailed(reader) ? handles_.ReaderHandle.load() : reader,
                          library_.Reader);
    if (failedAndShown(reader))
        return;
    handles_.ReaderHandle = reader;
    // The port held since the last show would make the search miss its own reader; one that
    // cannot be closed is not searched over, as the search would drop its handle.
    if (closeHeldPort() && findReader_ != nullptr && findReader_->exec() == QDialog::Rejected)
        LoadIni();
    // The protocol log only helps to look into a fault: the station works without it.
    library_.SetReaderPara(handles_.ReaderHandle, ZQKRT_PARA_LOG_PROTOCOL, "1");
    TagDataView = std::make_unique<THexEdit>("DB", 11, 4);
}

bool TForm_Main::closeHeldPort() {
    if (handles_.PortHandle <= 0)
        return true;
    if (failedAndShown(library_.ClosePort(handles_.PortHandle)))
        return false;
    handles_.PortHandle = 0;
    return true;
}

void TForm_Main::setReaderDialogs(TForm_FindReader& findReader, TForm_ComPort& comPort) {
    findReader_ = &findReader;
    comPort_ = &comPort;
    comPort_->setHost(this);
}

void TForm_Main::MItem_BalanceClick() {
    balance_->showWindow();
}

// The report of the day the list shows.
void TForm_Main::MItem_ReportClick() {
    if (reportWindow_ == nullptr)
        reportWindow_ = new ReportWindow(ADOConnection1, this);
    reportWindow_->showDay(ui->DateTimePicker1->date());
    reportWindow_->show();
    reportWindow_->raise();
}

void TForm_Main::LoadIni() {
    reader_ini::LoadIni(iniPath_, *this, handles_);
}

void TForm_Main::SaveIni() {
    reader_ini::SaveIni(iniPath_, handles_);
}

void TForm_Main::setRunEnabled(bool enabled) {
    ui->Btn_Run->setEnabled(enabled);
}

void TForm_Main::MItem_ComPortClick() {
    if (comPort_ == nullptr)
        return;
    comPort_->EnablePortButtons(handles_.PortHandle > 0);
    comPort_->exec();
}

void TForm_Main::MItem_SearchReaderClick() {
    if (findReader_ == nullptr || !closeHeldPort())
        return;
    // As at the show, the protocol log's switch may fail unheeded.
    library_.SetReaderPara(handles_.ReaderHandle, ZQKRT_PARA_LOG_PROTOCOL, "0");
    if (findReader_->exec() == QDialog::Rejected)
        LoadIni();
    library_.SetReaderPara(handles_.ReaderHandle, ZQKRT_PARA_LOG_PROTOCOL, "1");
}

void TForm_Main::Btn_RunClick() {
    inventory_->Btn_RunClick();
}

void TForm_Main::Btn_ClearTagListClick() {
    inventory_->Btn_ClearTagListClick();
}

void TForm_Main::ListView_TagListClick() {
    inventory_->ListView_TagListClick(TagDataView.get());
}

void TForm_Main::Button1Click() {
    ui->Edit1->clear();
    const db::TField serial = ADOQuery1->FieldByName(db::field::SerialNumber);
    if (!serial.IsNull())
        ui->Edit1->setText(serial.AsString());
}

void TForm_Main::keepOuterSize() {
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    const QSize client(shownWidth - frameExtra.width(), shownHeight - frameExtra.height());
    if (minimumSize() != client || maximumSize() != client)
        setFixedSize(client);
}

// Before the window is mapped, so that the window manager takes the place as asked instead of
// placing the window itself first and losing the race to a later move (a window put at the
// screen's corner with its title bar off the screen). The frame is not known yet: the window's
// shown size stands for it.
void TForm_Main::centreOnFirstShow() {
    if (placed_ || screen() == nullptr)
        return;
    QRect frame(QPoint(), QSize(shownWidth, shownHeight));
    frame.moveCenter(screen()->availableGeometry().center());
    move(frame.topLeft());
    placed_ = true;
}

void TForm_Main::MItem_ExitClick() {
    close();
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    bool closeNow = true;
    // An event, not a signal, whose answer decides whether the window closes: guarded here.
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
    if (handles_.ReaderHandle != 0 && !releaseReader())
        return false;
    inventory_->stop();
    walkPortList();
    return true;
}

// The reader port stays open for the next show; any other port the library still holds was
// left behind by a failed step and would block that device for good. A close that fails
// leaves nothing else to try on the way out.
void TForm_Main::walkPortList() {
    std::vector<std::int32_t> strays;
    for (std::int32_t port = library_.GetPortList(0); port > 0; port = library_.GetPortList(port)) {
        if (port != handles_.PortHandle)
            strays.push_back(port);
    }
    for (const std::int32_t port : strays)
        library_.ClosePort(port);
}

bool TForm_Main::releaseReader() {
    // Whether the release took is asked next, rather than read from its status.
    library_.SetReaderPara(0, ZQKRT_PARA_LOCK_PROTOCOL, "0");
    char scratch[ZQKRT_VALUE_BUFFER_SIZE] = {};
    const bool stillLocked = library_.GetReaderPara(0, ZQKRT_PARA_IS_PROTOCOL_LOCKED, scratch,
                                                    sizeof scratch) == ZQKRT_OK;
    if (stillLocked && reissuedCloses_ < maxReissuedCloses) {
        ++reissuedCloses_;
        return false;
    }
    return true;
}
