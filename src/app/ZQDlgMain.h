#pragma once

#include "DispensingCheck.h"
#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"
#include "ReaderPortHost.h"
#include "StationBalance.h"
#include "StationEvents.h"
#include "TADOConnection.h"

#include <QList>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QMenu;
class QLabel;
class QModelIndex;
class QTreeWidgetItem;
class THexEdit;
class TCheckThread;
class TagInventory;
class TForm_FindReader;
class TForm_ComPort;
class TForm1;
class ReportWindow;
class WeightReading;

namespace db {
class TADOQuery;
class QueryGridModel;
} // namespace db

namespace Ui {
class TForm_Main;
}

// The dispensing main window: the day's orders, the chosen order's patient and lines, the
// dispensing progress, and below the visible area the tag tools and the balance buffer.
class TForm_Main : public QMainWindow, private DispensingWindow, private ReaderPortHost {
    Q_OBJECT

public:
    TForm_Main();
    ~TForm_Main() override;

    void FormCreate();
    void FormShow();
    void MItem_ExitClick();
    // The reader's handles, which this window owns; the reader dialogs are given them at their
    // creation and must go before this window.
    ReaderHandles& readerHandles() { return handles_; }
    // The dialogs are made after this window; the show and the menus need them.
    void setReaderDialogs(TForm_FindReader& findReader, TForm_ComPort& comPort);
    // The balance terminal window: its polling is set going at each show, and its reading is
    // the weight the dispensing check shows.
    void setBalanceWindow(TForm1& window) { balance_->setWindow(window); }
    // Where the weight comes from, for a window without its balance window.
    void setWeightReading(const WeightReading* reading) { balance_->setReading(reading); }

    // The reader port from the INI file, and the open port's parameters into it.
    void LoadIni();
    void SaveIni() override;
    void MItem_ComPortClick();
    void MItem_SearchReaderClick();
    void MItem_BalanceClick();
    void MItem_ReportClick();

    void Btn_RunClick();
    void Btn_ClearTagListClick();
    void ListView_TagListClick();
    // Copies the current line's serial number into Edit1.
    void Button1Click();

    // Lists the orders of the picker's day.
    void LoadOrderList();
    void DateTimePicker1CloseUp();
    // Opens the selected order's lines and starts dispensing them.
    void ListView1Click();
    void OpenOrderLines(const QTreeWidgetItem& order);
    // Shows the current row's sex as "男" or "女".
    void DBEdit3Change();
    // Ends the dispensing of the order; what was stored stays.
    void Button2Click();

    void setDispensingPause(int ms) { check_.setPauseMs(ms); }
    // The reader calls of the inventory from the next show on; tests put a double in.
    void setReaderCalls(TZQKRT_ReaderCalls calls) { library_.Reader = std::move(calls); }
    void setDispensingIdleBudget(int polls) { check_.setIdleBudget(polls); }

    // Panel 0 of StatusBar1, where the dispensing warnings appear.
    QLabel* statusPanel() const { return statusPanel_; }
    const THexEdit* tagDataView() const { return TagDataView.get(); }
    const BalanceLink& balanceLink() const { return balance_->link(); }

signals:
    // The show steps have run, right after the window came up.
    void showStepsRun();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Returns false when the close is to be issued again later instead.
    bool FormClose();
    bool releaseReader();
    void walkPortList();
    // Closes the port held in handles_.PortHandle; false, with the error shown, when it stays
    // open.
    bool closeHeldPort();
    void setRunEnabled(bool enabled) override;
    // Sizes the window to its outer size, frame included.
    void keepOuterSize();
    void centreOnFirstShow();

    void connectHandlers();
    // A click on an order: it becomes the current one, then ListView1Click.
    void ListView1Clicked(const QModelIndex& order);
    // Runs the window's own operation on the query; the sex box then follows the new row, and
    // an error in doing so is the operation's.
    void runOnQuery(const std::function<void()>& operation);
    // The patient boxes follow every move of the query; an error of the sex box is shown here
    // unless the window itself is moving the query.
    void followQuery();
    QString currentText(const QString& field) const;
    void addOrderRow(const QString& sequence, const QString& name);
    QTreeWidgetItem* selectedOrder() const;
    void startDispensing();
    void endDispensing();

    db::TADOQuery& orderLines() override { return *ADOQuery1; }
    int tagCount() const override;
    std::optional<QString> firstTagSerial() const override;
    void showWarning(const QString& text) override;
    void showWeight(const QString& text) override;
    QString weightText() const override;
    bool weightTextNamesUnit() const override { return balance_->textNamesUnit(); }
    balance::BalanceReading weightReading() const override;
    balance::ReadingStamp weightStamp() const override;
    DrugChecks drugChecks(const QString& drugName) override;
    void clearSeenTags() override;
    void orderCompleted() override;

    std::unique_ptr<Ui::TForm_Main> ui;
    QLabel* statusPanel_ = nullptr;
    QMenu* PopupMenu1 = nullptr;
    std::unique_ptr<THexEdit> TagDataView;
    std::unique_ptr<TagInventory> inventory_;
    ReaderLibraryCalls library_;
    ReaderHandles handles_;
    TForm_FindReader* findReader_ = nullptr;
    TForm_ComPort* comPort_ = nullptr;
    ReportWindow* reportWindow_ = nullptr; // made at the first "Report..."
    // Made once the controls are, as it appends to their buffer.
    std::unique_ptr<StationBalance> balance_;
    std::string iniPath_;
    int reissuedCloses_ = 0;
    bool placed_ = false;
    QTimer framePoll_;
    int framePolls_ = 0;

    db::TADOConnection ADOConnection1;
    db::TADOQuery* ADOQuery1 = nullptr;
    db::QueryGridModel* DataSource1 = nullptr;
    bool ListView1CheckBoxes = false;
    bool movingQuery_ = false;
    // After the connection, whose location it takes; before the check, which records to it.
    StationEvents events_;
    DispensingCheck check_;
    // The threads of the orders dispensed so far; finished ones go at the next order.
    std::vector<std::unique_ptr<TCheckThread>> checkingThreads_;
};
