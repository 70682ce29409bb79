#include "TagInventory.h"

#include "HexEdit.h"
#include "PortReturn.h"
#include "ReadTagsThread.h"
#include "ReaderCallStatus.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr int kTypeColumn = 0;
constexpr int kSerialColumn = 1;
constexpr int kSerialChars = 2 * ZQKRT_SERIAL_NUMBER_LENGTH;
constexpr int kBytesPerLine = 4;
using namespace table_selector;

QString typeCaption(const std::string& typeHex) {
    if (typeHex == "00")
        return QStringLiteral("I-Code");
    if (typeHex == "01")
        return QStringLiteral("Tag-it");
    if (typeHex == "03")
        return QStringLiteral("ISO");
    return QStringLiteral("unknown");
}

// How often a closing owner repeats its cancel: a command the thread starts just after one is
// ended by the next.
constexpr int kCancelRepeatMs = 10;

// Lines of the data view for a row's caption; none for a type without a known memory.
std::optional<int> dataLines(const QString& caption) {
    if (caption == QLatin1String("I-Code"))
        return 11;
    if (caption == QLatin1String("Tag-it"))
        return 8;
    if (caption == QLatin1String("ISO"))
        return 64;
    return std::nullopt;
}

QString countText(int tags) {
    if (tags == 0)
        return QStringLiteral(" No Tag in Field");
    if (tags == 1)
        return QStringLiteral(" 1 Tag in Field");
    return QStringLiteral("%1 Tags in Field").arg(tags);
}

} // namespace

TagInventory::TagInventory(TagListControls controls, QObject* parent)
    : QObject(parent), controls_(controls) {
    listLife_.setSingleShot(true);
    listLife_.setInterval(kListLifeMs);
    connect(&listLife_, &QTimer::timeout, this, [this] {
        showRows(0);
        emit tagListChanged();
    });
}

TagInventory::~TagInventory() {
    detached_ = true;
    endThread();
}

void TagInventory::bringBackPort(const ReaderLibraryCalls& library, ReaderHandles& handles) {
    endThread();
    portReturn_ = std::make_unique<PortReturn>(library, handles);
}

void TagInventory::startShow(std::int32_t readerHandle, TZQKRT_ReaderCalls calls) {
    endThread();
    {
        const std::lock_guard lock(tableGuard_);
        table_ = std::make_unique<TZQKRT_TableArray>(readerHandle, calls);
    }
    reader_ = readerHandle;
    calls_ = std::move(calls);
    running_ = false;
}

void TagInventory::Btn_RunClick() {
    // The thread sets the flag only once its body runs; until then it counts as running too.
    if (thread_ != nullptr && (running_ || thread_->isRunning()))
        return;
    if (table_ == nullptr)
        return;
    endThread();
    controls_.Btn_Run->setText(QStringLiteral("&Stop"));
    controls_.MItem_ComPort->setEnabled(false);
    controls_.MItem_SearchReader->setEnabled(false);
    thread_ = std::make_unique<TReadTagsThread>(
        *table_, tableGuard_, running_, [this](std::int32_t tags) { updateList(tags); },
        portReturn_.get(), [this](bool away) { emit readerAway(away); });
    thread_->start(QThread::NormalPriority);
}

void TagInventory::stop() {
    endThread();
    {
        const std::lock_guard lock(tableGuard_);
        if (table_ != nullptr) {
            table_->RemoveAll();
            table_->ReleaseItems();
        }
    }
    listLife_.stop();
    controls_.ListView_TagList->clear();
    controls_.Edt_TagList->clear();
    controls_.MItem_ComPort->setEnabled(true);
    controls_.MItem_SearchReader->setEnabled(true);
    controls_.Btn_Run->setText(QStringLiteral("&Run"));
    emit tagListChanged();
}

void TagInventory::endThread() {
    // Taken out first: the events served while waiting may come back here.
    const std::unique_ptr<TReadTagsThread> ending = std::move(thread_);
    if (ending == nullptr)
        return;
    ending->Stop();
    // A pass on a silent reader would keep the owner waiting for the port's whole time-out.
    QTimer cancel;
    connect(&cancel, &QTimer::timeout, this, [this] { calls_.CancelCommand(reader_); });
    calls_.CancelCommand(reader_);
    cancel.start(kCancelRepeatMs);
    ending->WaitFor();
}

void TagInventory::Btn_ClearTagListClick() {
    controls_.ListView_TagList->clear();
    controls_.Edt_TagList->clear();
    emit tagListChanged();
}

void TagInventory::updateList(std::int32_t tagCount) {
    if (detached_)
        return;
    {
        const std::lock_guard lock(tableGuard_);
        showRows(table_ != nullptr ? std::min(tagCount, table_->Count) : 0);
    }
    listLife_.start();
    emit tagListChanged();
}

// The table's first rows records, under tableGuard_ unless there are none.
void TagInventory::showRows(std::int32_t rows) {
    QTreeWidget& list = *controls_.ListView_TagList;
    list.clear();
    for (std::int32_t i = 0; i < rows; ++i) {
        table_->SetValue(kSelectByIndex, std::to_string(i));
        std::string type;
        std::string serial;
        table_->GetValue(kTagType, type);
        table_->GetValue(kSerialNumber, serial);
        const QString serialText = QString::fromStdString(serial);
        new QTreeWidgetItem(&list, QStringList{typeCaption(type), serialText});
        if (controls_.ListBox1->findItems(serialText, Qt::MatchExactly).isEmpty())
            controls_.ListBox1->addItem(serialText);
    }
    controls_.Edt_TagList->setText(countText(rows));
}

bool TagInventory::selectTransponder(const std::string& serialHex) {
    if (table_ == nullptr)
        return false;
    table_->SetValue(kSerialNumber, serialHex);
    std::string selected;
    return table_->GetValue(kSerialNumber, selected) && selected == serialHex;
}

void TagInventory::ListView_TagListClick(THexEdit* view) {
    const QList<QTreeWidgetItem*> selected = controls_.ListView_TagList->selectedItems();
    if (view == nullptr || selected.isEmpty())
        return;
    const QTreeWidgetItem& row = *selected.first();
    const std::optional<int> lines = dataLines(row.text(kTypeColumn));
    if (!lines)
        return;
    view->SetLayout(*lines, kBytesPerLine);
    view->SetTitle("DB");
    const std::string serial = row.text(kSerialColumn).left(kSerialChars).toStdString();
    std::string data;
    std::int32_t status = 0;
    {
        // A row from before the table was refilled may name a transponder that has gone.
        const std::lock_guard lock(tableGuard_);
        if (!selectTransponder(serial))
            return;
        status = table_->GetBlockData(block_buffer::kReadBlocks, data);
    }
    if (failedAndShown(status))
        return;
    view->LoadData(0, data);
}
