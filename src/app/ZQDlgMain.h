#pragma once

#include "DispensingCheck.h"
#include "TADOConnection.h"

#include <QList>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QLabel;
class QTreeWidgetItem;
class THexEdit;
class TCheckThread;

namespace db {
class TADOQuery;
class QueryGridModel;
} // namespace db

namespace Ui {
class TForm_Main;
}

// The dispensing main window: the day's orders, the chosen order's patient and lines, the
// dispensing progress, and below the visible area the tag tools and the balance buffer.
class TForm_Main : public QMainWindow, private DispensingWindow {
    Q_OBJECT

public:
    TForm_Main();
    ~TForm_Main() override;

    void FormCreate();
    void FormShow();
    void MItem_ExitClick();

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
    void setDispensingIdleBudget(int polls) { check_.setIdleBudget(polls); }

    // Panel 0 of StatusBar1, where the dispensing warnings appear.
    QLabel* statusPanel() const { return statusPanel_; }
    const THexEdit* tagDataView() const { return TagDataView.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Returns false when the close is to be issued again later instead.
    bool FormClose();
    bool releaseReader();
    // Sizes the window to its outer size, frame included.
    void keepOuterSize();
    void centreOnFirstShow();

    void connectHandlers();
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
    void clearSeenTags() override;
    void orderCompleted() override;

    std::unique_ptr<Ui::TForm_Main> ui;
    QLabel* statusPanel_ = nullptr;
    QMenu* PopupMenu1 = nullptr;
    std::unique_ptr<THexEdit> TagDataView;
    int reissuedCloses_ = 0;
    bool placed_ = false;
    QTimer framePoll_;
    int framePolls_ = 0;

    db::TADOConnection ADOConnection1;
    db::TADOQuery* ADOQuery1 = nullptr;
    db::QueryGridModel* DataSource1 = nullptr;
    bool ListView1CheckBoxes = false;
    bool movingQuery_ = false;
    DispensingCheck check_;
    // The threads of the orders dispensed so far; finished ones go at the next order.
    std::vector<std::unique_ptr<TCheckThread>> checkingThreads_;
};
