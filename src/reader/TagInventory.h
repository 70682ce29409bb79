#pragma once

#include "ZQKRT_TableArray.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class QAction;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class THexEdit;
class PortReturn;
class TReadTagsThread;
class ReaderHandles;
struct ReaderLibraryCalls;

// The main window's controls, not owned; they must outlive the TagInventory.
struct TagListControls {
    QTreeWidget* ListView_TagList;
    QListWidget* ListBox1;
    QLineEdit* Edt_TagList;
    QPushButton* Btn_Run;
    QAction* MItem_ComPort;
    QAction* MItem_SearchReader;
};

// The tag list of the main window: the transponder table, the inventory thread that fills it,
// and the list that shows it. Runs on the UI thread.
class TagInventory : public QObject {
    Q_OBJECT

public:
    explicit TagInventory(TagListControls controls, QObject* parent = nullptr);
    // Stops a running thread first.
    ~TagInventory() override;

    // A container that was seen this long ago, and not since, is no longer listed: a silent
    // reader's pass may take the port's whole time-out to fail.
    static constexpr int kListLifeMs = 1000;

    // From now on a reader port that fails is opened again with its settings about every two
    // seconds while the inventory runs (PortReturn); without this call it stays failed.
    void bringBackPort(const ReaderLibraryCalls& library, ReaderHandles& handles);

    // At each show of the main window: a new, empty table for the reader, owned here; the
    // inventory counts as not running.
    void startShow(std::int32_t readerHandle, TZQKRT_ReaderCalls calls = {});
    void Btn_RunClick();
    // Close step: ends the inventory thread, serving its hand-offs meanwhile, then empties the
    // table, the tag list and its count text and gives the controls back their idle state.
    void stop();
    bool InventoryRunning() const { return running_; }
    void Btn_ClearTagListClick();
    // Shows the block data of the selected row's transponder in view; null does nothing.
    void ListView_TagListClick(THexEdit* view);

signals:
    // After every list update, and after the list was emptied.
    void tagListChanged();
    // Once when the reader's port failed (away), once when it works again.
    void readerAway(bool away);

private:
    void updateList(std::int32_t tagCount);
    void showRows(std::int32_t rows);
    void endThread();
    // Selects the transponder with serialHex; false when the table no longer holds it.
    bool selectTransponder(const std::string& serialHex);

    TagListControls controls_;
    std::mutex tableGuard_;
    std::unique_ptr<TZQKRT_TableArray> table_;
    // The table's reader and calls, for ending a pass without touching the table.
    std::int32_t reader_ = 0;
    TZQKRT_ReaderCalls calls_;
    QTimer listLife_;
    std::atomic<bool> running_{false};
    std::unique_ptr<PortReturn> portReturn_;
    std::unique_ptr<TReadTagsThread> thread_;
    // Set while the owner goes: the list update then no longer touches the controls.
    bool detached_ = false;
};
