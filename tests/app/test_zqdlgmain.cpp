#include "DayText.h"
#include "IniFile.h"
#include "MessageBoxes.h"
#include "ReaderIniPath.h"
#include "StationTranslation.h"
#include "TADOQuery.h"
#include "TestDatabase.h"
#include "WeightReading.h"
#include "ZQDlgMain.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMutex>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QDate day(2009, 7, 7);
const QString dispensed = QStringLiteral("配藥完成");
const QString warning = QStringLiteral("警告!! 拿錯藥品!!");

QStringList column(const QTreeWidget& list, int index) {
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        texts << list.topLevelItem(row)->text(index);
    return texts;
}

QStringList gridHeaders(const QTableView& grid) {
    QStringList names;
    for (int i = 0; i < grid.model()->columnCount(); ++i)
        names << grid.model()->headerData(i, Qt::Horizontal).toString();
    return names;
}

// Whether list draws a line of one colour, not the background's, right of its first cell and
// all along the foot of its first row.
bool drawsGridLines(QTreeWidget& list) {
    const QImage image = list.viewport()->grab().toImage();
    const QRect cell = list.visualRect(list.model()->index(0, 0));
    const QColor line = image.pixelColor(cell.right(), cell.center().y());
    bool drawn = line != list.palette().color(QPalette::Base);
    for (int x = 0; x < list.header()->length(); ++x)
        drawn = drawn && image.pixelColor(x, cell.bottom()) == line;
    return drawn;
}

// The main window over a database of its own, showing the orders of `day`.
struct FixedWeight : WeightReading {
    QString text;
    QString WeightText() const override { return text; }
    balance::BalanceReading Reading() const override { return {}; }
    balance::ReadingStamp Stamp() const override { return {}; }
};

struct Station {
    TestDatabase database;
    FixedWeight weight;
    platform::MessageRecorder messages;
    std::unique_ptr<TForm_Main> window;
    bool gaveUp = false;

    void open() {
        window = std::make_unique<TForm_Main>();
        window->setWeightReading(&weight);
        window->setDispensingPause(0);
        window->setDispensingIdleBudget(500);
        picker()->setDate(day);
        // Ends a run that would otherwise go on for good, so that a fault fails the test
        // instead of hanging it.
        QTimer::singleShot(20000, window.get(), [this] {
            gaveUp = true;
            setTags({});
        });
    }

    // An order of `day` for a patient of its own; each drug's serial number is its name.
    void addOrder(const QString& sequence, const QVariant& name, const QVariant& sex,
                  const QStringList& drugs = {}) {
        const QString patient = QStringLiteral("P") + sequence;
        database.addPatient(patient, name, sex, QStringLiteral("1960/%1/1").arg(sequence));
        database.addOrder(db::DayText(day), sequence, patient);
        for (int item = 1; item <= drugs.size(); ++item) {
            const QString& drug = drugs[item - 1];
            database.exec(QStringLiteral("INSERT OR IGNORE INTO 藥品資料表 VALUES (?, ?)"),
                          {drug, drug});
            database.addLine(db::DayText(day), sequence, item, drug);
        }
    }
    QVariant state(const QString& sequence, int item) {
        return database.lineState(db::DayText(day), sequence, item);
    }

    template <typename T> T* child(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr)
            qFatal("no child %s", name);
        return found;
    }
    QTreeWidget* orders() const { return child<QTreeWidget>("ListView1"); }
    QDateEdit* picker() const { return child<QDateEdit>("DateTimePicker1"); }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(name); }
    db::TADOQuery* query() const { return child<db::TADOQuery>("ADOQuery1"); }
    QTreeWidget* tags() const { return child<QTreeWidget>("ListView_TagList"); }
    QListWidget* seen() const { return child<QListWidget>("ListBox1"); }

    void setTags(const QStringList& serials) const {
        tags()->clear();
        for (const QString& serial : serials)
            tags()->addTopLevelItem(new QTreeWidgetItem(QStringList{"ISO15693", serial}));
    }
    void clickOrder(int row) const {
        const QRect rect = orders()->visualItemRect(orders()->topLevelItem(row));
        QTest::mouseClick(orders()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Below the last order, once the list has laid out its viewport, which it does as it serves
    // events, shown or not; false when it never does.
    [[nodiscard]] bool clickBesideTheOrders() const {
        const QTreeWidget* list = orders();
        const int rowsEnd =
            list->visualItemRect(list->topLevelItem(list->topLevelItemCount() - 1)).bottom();
        if (!QTest::qWaitFor([list, rowsEnd] { return list->viewport()->height() > rowsEnd + 10; },
                             20000))
            return false;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, rowsEnd + 5));
        return true;
    }
    void clickCheckBox(int row) const {
        QStyleOptionViewItem option;
        option.initFrom(orders());
        option.rect = orders()->visualItemRect(orders()->topLevelItem(row));
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = orders()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator,
                                                            &option, orders());
        QTest::mouseClick(orders()->viewport(), Qt::LeftButton, {}, box.center());
    }
    // The text the grid shows for the current line's state.
    QString shownState() const {
        const QAbstractItemModel* grid = child<QTableView>("DBGrid1")->model();
        for (int column = 0; column < grid->columnCount(); ++column) {
            if (grid->headerData(column, Qt::Horizontal).toString() == QStringLiteral("配藥情況"))
                return grid->index(query()->CurrentRow(), column).data().toString();
        }
        return {};
    }
    QStringList messageTexts() const {
        QStringList texts;
        for (const platform::Message& message : messages.messages())
            texts << message.text;
        return texts;
    }
};

// Runs `step` inside the dispensing run under way, each time the run serves events, until it
// returns true.
void duringRun(const Station& station, const std::function<bool()>& step) {
    auto* timer = new QTimer(station.window.get());
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        if (!step())
            return;
        timer->stop();
        timer->deleteLater();
    });
    timer->start(0);
}

QMutex readerMutex;

// Reader calls whose inventory finds the transponders in `serials` (16 hex digits each), read
// under readerMutex.
TZQKRT_ReaderCalls readerPresenting(const QStringList& serials) {
    TZQKRT_ReaderCalls calls;
    calls.RFReset = [](std::int32_t, std::int32_t) { return 0; };
    calls.ISOCmd = [&serials](std::int32_t, std::int32_t, const std::uint8_t*, std::int32_t,
                              std::uint8_t* response, std::int32_t* length, std::int32_t) {
        QMutexLocker lock(&readerMutex);
        QByteArray reply(1, static_cast<char>(serials.size()));
        for (const QString& serial : serials)
            reply += QByteArray(2, '\0') + QByteArray::fromHex(serial.toLatin1());
        std::copy(reply.begin(), reply.end(), response);
        *length = static_cast<std::int32_t>(reply.size());
        return 0;
    };
    return calls;
}

class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(std::function<void()> onPaint) : onPaint_(std::move(onPaint)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            onPaint_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onPaint_;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void dayChangeAndCalendarCloseRefillTheList() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1);
        station.addOrder(QStringLiteral("2"), QStringLiteral("陳美麗"), 0);
        station.database.addOrder(db::DayText(day.addDays(1)), QStringLiteral("7"),
                                  QStringLiteral("P1"));
        station.open();
        QCOMPARE(column(*station.orders(), 0), QStringList({"1", "2"}));
        QCOMPARE(column(*station.orders(), 1), QStringList({"王小明", "陳美麗"}));
        QCOMPARE(station.orders()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(station.child<QTableView>("DBGrid1")->model()->columnCount(), 0);
        // Both lists draw grid lines; Enter on a focused button presses it, as in the dialogs.
        station.setTags({"E001"});
        QVERIFY(drawsGridLines(*station.orders()));
        QVERIFY(drawsGridLines(*station.tags()));
        QTest::keyClick(station.child<QPushButton>("Btn_ClearTagList"), Qt::Key_Return);
        QCOMPARE(station.tags()->topLevelItemCount(), 0);

        station.picker()->setDate(day.addDays(1));
        QCOMPARE(column(*station.orders(), 0), QStringList{"7"});

        station.database.addOrder(db::DayText(day.addDays(1)), QStringLiteral("8"),
                                  QStringLiteral("P2"));
        QWidget* calendar = station.picker()->calendarWidget()->window();
        calendar->show();
        calendar->hide();
        QCOMPARE(column(*station.orders(), 0), QStringList({"7", "8"}));
        QVERIFY(station.messages.messages().isEmpty());
    }

    // The patient boxes show the last order listed; the sex box maps yes/no and keeps its
    // text for NULL, also when the pharmacist types into it.
    void patientBoxesShowTheLastOrder_data() {
        QTest::addColumn<QVariant>("sex");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("afterTyping");
        QTest::newRow("yes") << QVariant(1) << "男"
                             << "男";
        QTest::newRow("yes as -1") << QVariant(-1) << "男"
                                   << "男";
        QTest::newRow("no") << QVariant(0) << "女"
                            << "女";
        QTest::newRow("NULL") << QVariant() << ""
                              << "x";
    }

    void patientBoxesShowTheLastOrder() {
        QFETCH(QVariant, sex);
        QFETCH(QString, shown);
        QFETCH(QString, afterTyping);
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 0);
        station.addOrder(QStringLiteral("2"), QStringLiteral("陳美麗"), sex);
        station.open();
        QCOMPARE(station.edit("DBEdit2")->text(), QStringLiteral("陳美麗"));
        QCOMPARE(station.edit("DBEdit3")->text(), shown);
        QCOMPARE(station.edit("DBEdit4")->text(), QStringLiteral("1960/2/1"));
        QTest::keyClicks(station.edit("DBEdit3"), QStringLiteral("x"));
        QCOMPARE(station.edit("DBEdit3")->text(), afterTyping);
        QVERIFY(station.messages.messages().isEmpty());
    }

    void badRowStopsTheFillingKeepingEarlierRows_data() {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QVariant>("sex");
        QTest::addColumn<QString>("error");
        QTest::newRow("NULL name") << QVariant() << QVariant(1)
                                   << "Could not convert variant of type (Null) into type (String)";
        QTest::newRow("sex not yes/no")
            << QVariant(QStringLiteral("陳美麗")) << QVariant(QStringLiteral("?"))
            << "Could not convert variant of type (String) into type (Boolean)";
    }

    void badRowStopsTheFillingKeepingEarlierRows() {
        QFETCH(QVariant, name);
        QFETCH(QVariant, sex);
        QFETCH(QString, error);
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1);
        station.addOrder(QStringLiteral("2"), name, sex);
        station.addOrder(QStringLiteral("3"), QStringLiteral("林大同"), 1);
        station.open();
        QCOMPARE(column(*station.orders(), 0), QStringList{"1"});
        QCOMPARE(station.messageTexts(), QStringList{error});
        QCOMPARE(station.query()->CurrentRow(), 1);
    }

    // As with a missing file: the database's message and an empty list, and the next statement
    // tries again.
    void serverNamedByTheIniThatDoesNotAnswer() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1);
        QVERIFY(platform::writePrivateProfileString(
            "Database", "PostgreSQL", "host=/nonexistent dbname=rx", readerIniPath()));
        station.open();
        station.picker()->setDate(day.addDays(1));
        QCOMPARE(station.orders()->topLevelItemCount(), 0);
        const QStringList texts = station.messageTexts();
        QVERIFY2(texts.size() >= 2, qPrintable(texts.join(u'|')));
        for (const QString& text : texts)
            QVERIFY2(text.startsWith(QStringLiteral("connection to server on socket "
                                                    "\"/nonexistent/.s.PGSQL.5432\" failed")),
                     qPrintable(text));
    }

    // A click that hits no order empties the weight and presses Run as one on an order does,
    // but opens none: the selection goes, so a dispensed order is not opened again.
    void clickBesideTheOrdersOpensNone() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001"});
        station.addOrder(QStringLiteral("2"), QStringLiteral("陳美麗"), 0, {"E002"});
        station.open();
        station.setTags({"E001"});
        QVERIFY(station.clickBesideTheOrders());
        QCOMPARE(station.edit("WeightTemp")->text(), QString());
        QCOMPARE(station.query()->FieldCount(), 5);

        station.clickOrder(0);
        QVERIFY(station.orders()->isEnabled());
        station.edit("WeightTemp")->setText(QStringLiteral("5"));
        QVERIFY(station.clickBesideTheOrders());
        QCOMPARE(station.edit("WeightTemp")->text(), QString());
        QVERIFY(station.orders()->selectedItems().isEmpty());
        QVERIFY(station.state(QStringLiteral("2"), 1).isNull());
        QVERIFY(station.messages.messages().isEmpty());
    }

    // At the window's size the grid shows the demo's drug names whole, as the drug column takes
    // the width the others leave; a longer name scrolls sideways. A cell's tip is its whole text.
    void gridShowsTheWholeDrugName() {
        const QString demoName = QStringLiteral("Amoxicillin 500mg capsule");
        const QString longName = demoName.repeated(3);
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1,
                         {QStringLiteral("美福明錠 500mg"), demoName});
        station.addOrder(QStringLiteral("2"), QStringLiteral("陳美麗"), 0, {longName});
        station.open();
        auto* grid = station.child<QTableView>("DBGrid1");
        const auto drugShownWhole = [grid](const QString& name) {
            const int drug = gridHeaders(*grid).indexOf(QStringLiteral("藥品名稱"));
            const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
            return grid->columnWidth(drug) > grid->fontMetrics().horizontalAdvance(name) + margins;
        };
        station.window->OpenOrderLines(*station.orders()->topLevelItem(0));
        QVERIFY(drugShownWhole(demoName));
        QCOMPARE(grid->horizontalHeader()->length(), grid->viewport()->width());

        station.window->OpenOrderLines(*station.orders()->topLevelItem(1));
        QVERIFY(drugShownWhole(longName));
        QVERIFY(grid->horizontalHeader()->length() > grid->viewport()->width());
        QCOMPARE(grid->model()->index(0, 1).data(Qt::ToolTipRole), QVariant(longName));
    }

    // The release on the check box comes after the run that ticks the order: it must not
    // untick it.
    void clickOnTheCheckBoxOfAnOrderItCompletesKeepsTheTick_data() {
        QTest::addColumn<bool>("selectedBefore");
        QTest::newRow("order selected before") << true;
        QTest::newRow("order not selected") << false;
    }
    void clickOnTheCheckBoxOfAnOrderItCompletesKeepsTheTick() {
        QFETCH(bool, selectedBefore);
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001"});
        station.open();
        station.orders()->topLevelItem(0)->setSelected(selectedBefore);
        station.setTags({"E001"});
        station.clickCheckBox(0);
        QCOMPARE(station.state(QStringLiteral("1"), 1), QVariant(dispensed));
        QVERIFY(station.orders()->isEnabled());
        QCOMPARE(station.orders()->topLevelItem(0)->checkState(0), Qt::Checked);
    }

    // What the pharmacist sees while a line waits to be stored, recorded at each paint of the
    // shown window, whose inventory reads a reader that presents `onReader`.
    void dispensedLineIsOnScreenDuringThePause() {
        const QString first = QStringLiteral("E004010000000001");
        const QString second = QStringLiteral("E004010000000002");
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {first, second});
        station.open();
        QStringList onReader{second};
        station.window->setReaderCalls(readerPresenting(onReader));
        station.window->setDispensingPause(300);
        QSignalSpy shown(station.window.get(), &TForm_Main::showStepsRun);
        station.window->show();
        QVERIFY(shown.wait(30000));
        station.weight.text = QStringLiteral("+0012.34");
        QLabel* panel = station.window->statusPanel();
        QLineEdit* weight = station.edit("WeightTemp");
        struct Seen {
            QString state, warning, weight;
            bool warningFits;
        };
        QList<Seen> painted;
        PaintWatcher watcher([&] {
            painted << Seen{station.shownState(), panel->text(), weight->text(),
                            panel->width() >=
                                panel->fontMetrics().horizontalAdvance(panel->text())};
        });
        panel->installEventFilter(&watcher);
        weight->installEventFilter(&watcher);
        duringRun(station, [&] {
            if (station.state(QStringLiteral("1"), 2) != QVariant(dispensed))
                return false;
            QMutexLocker lock(&readerMutex);
            onReader.clear();
            return true;
        });
        station.clickOrder(0);
        QCOMPARE(station.state(QStringLiteral("1"), 2), QVariant(dispensed));
        const auto warned = std::find_if(painted.begin(), painted.end(),
                                         [](const Seen& seen) { return seen.warning == warning; });
        QVERIFY(warned != painted.end());
        QVERIFY(warned->warningFits);
        const auto pausing = std::find_if(painted.begin(), painted.end(), [](const Seen& seen) {
            return seen.state == QStringLiteral("配藥中");
        });
        QVERIFY(pausing != painted.end());
        QCOMPARE(pausing->warning, QString());
        QCOMPARE(pausing->weight, QStringLiteral("+0012.34克"));
        station.window->close();
    }

    void columnNamedTwiceLeavesTheCheckUnstarted() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001"});
        station.database.exec(QStringLiteral("ALTER TABLE 領藥明細 ADD COLUMN 姓名 TEXT"));
        station.open();
        station.setTags({"E001"});
        station.clickOrder(0);
        QCOMPARE(station.messageTexts(), QStringList{"ADOQuery1: Field '姓名' not found"});
        QVERIFY(station.orders()->isEnabled());
        QVERIFY(station.picker()->isEnabled());
        QVERIFY(station.state(QStringLiteral("1"), 1).isNull());
    }

    // The list and the day are locked before the first run and stay so while the order is
    // incomplete.
    void clickOpensTheLinesAndLocksListAndDay() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001", "E002"});
        station.open();
        QList<bool> enabledDuringRun;
        duringRun(station, [&] {
            enabledDuringRun << station.orders()->isEnabled() << station.picker()->isEnabled();
            return true;
        });
        station.clickOrder(0);
        QCOMPARE(enabledDuringRun, QList<bool>({false, false}));
        QVERIFY(!station.orders()->isEnabled());
        QVERIFY(!station.picker()->isEnabled());
        station.edit("WeightTemp")->setText(QStringLiteral("5"));
        station.clickOrder(0);
        QVERIFY(station.clickBesideTheOrders());
        QCOMPARE(station.edit("WeightTemp")->text(), QStringLiteral("5"));
        const auto* grid = station.child<QTableView>("DBGrid1");
        QCOMPARE(gridHeaders(*grid), QStringList({"項次", "藥品名稱", "數量", "配藥情況"}));
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(station.edit("DBEdit2")->text(), QStringLiteral("王小明"));
        QCOMPARE(station.edit("DBEdit3")->text(), QStringLiteral("男"));
        QVERIFY(station.messages.messages().isEmpty());
    }

    // The first run completes the order: the list is enabled again and the order ticked.
    void oneLineOrderCompletesAndIsTicked() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1);
        station.addOrder(QStringLiteral("2"), QStringLiteral("陳美麗"), 0, {"E001"});
        station.open();
        station.setTags({"E001"});
        station.weight.text = QStringLiteral("+0012.34");
        station.window->statusPanel()->setText(warning);
        station.clickOrder(1);
        QCOMPARE(station.state(QStringLiteral("2"), 1), QVariant(dispensed));
        QVERIFY(station.orders()->isEnabled());
        QVERIFY(station.picker()->isEnabled());
        QCOMPARE(station.orders()->topLevelItem(1)->checkState(0), Qt::Checked);
        QCOMPARE(station.orders()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(station.edit("WeightTemp")->text(), QStringLiteral("+0012.34克"));
        QCOMPARE(station.window->statusPanel()->text(), QString());
        QVERIFY(station.messages.messages().isEmpty());
    }

    // One line is stored by the direct run, the other by a checking thread's run: together
    // they complete the order.
    void linesStoredByDifferentRunsCompleteTheOrder() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001", "E002"});
        station.open();
        station.setTags({"E001"});
        station.seen()->addItem(QStringLiteral("E001"));
        duringRun(station, [&] {
            if (station.state(QStringLiteral("1"), 1) != QVariant(dispensed))
                return false;
            station.setTags({});
            return true;
        });
        station.clickOrder(0);
        QCOMPARE(station.state(QStringLiteral("1"), 1), QVariant(dispensed));
        QVERIFY(!station.orders()->isEnabled());

        station.setTags({"E002"});
        QTRY_VERIFY(station.orders()->isEnabled());
        QCOMPARE(station.state(QStringLiteral("1"), 2), QVariant(dispensed));
        QCOMPARE(station.orders()->topLevelItem(0)->checkState(0), Qt::Checked);
        QVERIFY(station.picker()->isEnabled());
    }

    // Pressed while a wrong drug lies in the field, the button ends the run and the threads,
    // keeps what was stored and unlocks the list.
    void button2EndsTheDispensing() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001", "E002"});
        station.open();
        station.setTags({"E001"});
        station.seen()->addItem(QStringLiteral("E001"));
        bool pressed = false;
        duringRun(station, [&] {
            if (station.messages.beeps() < 2)
                return false;
            station.child<QPushButton>("Button2")->click();
            pressed = true;
            return true;
        });
        station.clickOrder(0);
        QVERIFY(pressed);
        QVERIFY(!station.gaveUp);
        QVERIFY(station.orders()->isEnabled());
        QVERIFY(station.picker()->isEnabled());
        QCOMPARE(station.state(QStringLiteral("1"), 1), QVariant(dispensed));
        QVERIFY(station.state(QStringLiteral("1"), 2).isNull());
        QCOMPARE(station.orders()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(station.window->statusPanel()->text(), warning);
        QCOMPARE(station.seen()->count(), 0);
        const int beeps = station.messages.beeps();
        QTest::qWait(200);
        QCOMPARE(station.messages.beeps(), beeps);
    }

    void failedStoreInTheDirectRunIsShown() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001"});
        station.open();
        duringRun(station, [&] {
            station.database.exec(QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = '別人'"));
            station.setTags({"E001"});
            return true;
        });
        station.clickOrder(0);
        QCOMPARE(station.messageTexts(),
                 QStringList{"ADOQuery1: Row cannot be located for updating. Some values may "
                             "have been changed since it was last read."});
        QCOMPARE(station.state(QStringLiteral("1"), 1), QVariant(QStringLiteral("別人")));
        QCOMPARE(station.query()->State(), db::TADOQuery::DataSetState::Browse);
        QVERIFY(station.orders()->isEnabled());
        QVERIFY(station.picker()->isEnabled());
    }

    // A checking thread whose run fails tells the user and gives the list back.
    void failedStoreInACheckingThreadIsShown() {
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001"});
        station.open();
        station.clickOrder(0);
        QVERIFY(!station.orders()->isEnabled());
        QVERIFY(station.messages.messages().isEmpty());
        station.database.exec(QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = '別人'"));
        station.setTags({"E001"});
        QTRY_VERIFY_WITH_TIMEOUT(station.orders()->isEnabled(), 20000);
        QCOMPARE(station.messageTexts(),
                 QStringList{"ADOQuery1: Row cannot be located for updating. Some values may "
                             "have been changed since it was last read."});
        QVERIFY(station.picker()->isEnabled());
    }

    // Options > Report... shows the list's day, saves it as a PDF through the file dialog, and
    // shows a database it cannot read in the page. On a Chinese desk the report and its item
    // speak Chinese; the window's own captions stay as they are in every language.
    void reportWindowShowsTheDayAndSavesItAsPdf() {
        const StationTranslation chinese(QLocale(QLocale::Chinese, QLocale::Taiwan));
        QVERIFY(chinese.installed());
        Station station;
        station.addOrder(QStringLiteral("1"), QStringLiteral("王小明"), 1, {"E001"});
        station.open();
        QCOMPARE(station.window->windowTitle(), QStringLiteral("藥師配藥系統"));
        QCOMPARE(station.child<QAction>("MItem_Exit")->text(), QStringLiteral("&Exit"));
        QCOMPARE(station.child<QPushButton>("Btn_Run")->text(), QStringLiteral("&Run"));
        QCOMPARE(station.child<QAction>("MItem_Report")->text(), QStringLiteral("報表(&R)..."));
        station.child<QAction>("MItem_Report")->trigger();
        auto* report = station.child<QDialog>("ReportWindow");
        QVERIFY(report->isVisible());
        const QString page = report->findChild<QTextBrowser*>()->toPlainText();
        QVERIFY(page.contains(QStringLiteral("王小明")));
        QVERIFY2(page.contains(QStringLiteral("每小時配藥完成的品項")), qPrintable(page));

        const QString path = QDir(station.database.folder()).filePath(QStringLiteral("day.pdf"));
        // Typed into the dialog's name box as a user does.
        QTimer answer;
        int answered = 0;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                ++answered;
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
                static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it
            }
        });
        answer.start(20);
        // Enter in the page presses no button; on a focused button it presses that one.
        QTest::keyClick(report->findChild<QTextBrowser*>(), Qt::Key_Return);
        QCOMPARE(answered, 0);
        QTest::keyClick(report->findChild<QPushButton*>(QStringLiteral("SaveAsPdf")),
                        Qt::Key_Return);
        QCOMPARE(answered, 1);
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");

        station.database.exec(QStringLiteral("DROP TABLE 領藥明細"));
        station.child<QAction>("MItem_Report")->trigger();
        QVERIFY(
            report->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("無法讀取")));
        QVERIFY(!report->findChild<QPushButton*>(QStringLiteral("SaveAsPdf"))->isEnabled());
        QVERIFY(station.messages.messages().isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_zqdlgmain.moc"
