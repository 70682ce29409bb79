#include "OrderStatements.h"
#include "QueryGridModel.h"
#include "TADOQuery.h"
#include "TestDatabaseQuery.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace db;

namespace {

const QString today = QString::fromLatin1(TestDatabase::day);

QStringList headers(const QueryGridModel& model) {
    QStringList names;
    for (int i = 0; i < model.columnCount(); ++i)
        names << model.headerData(i, Qt::Horizontal).toString();
    return names;
}

void hide(TADOQuery& query, const QStringList& names) {
    for (const QString& name : names)
        query.FieldByName(name).SetVisible(false);
}

void openSampleLines(TADOQuery& query) {
    query.SQL = orderLinesStatement(QStringLiteral("1"), today);
    query.Open();
}

// A grid on a query of the sample order.
struct SampleOrderGrid : SampleOrderQuery {
    QueryGridModel model{query};
};

// The same, checked by a model tester throughout.
struct CheckedSampleOrderGrid : SampleOrderGrid {
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

} // namespace

class TestQueryGridModel : public QObject {
    Q_OBJECT

private slots:
    void followsOpenAndClose() {
        CheckedSampleOrderGrid grid;
        QCOMPARE(grid.model.rowCount(), 0);
        QCOMPARE(grid.model.columnCount(), 0);
        openSampleLines(grid.query);
        QCOMPARE(grid.model.rowCount(), 2);
        QCOMPARE(grid.model.columnCount(), 12);
        QCOMPARE(headers(grid.model).mid(4, 1), QStringList{"領藥明細.配藥日期"});
        QCOMPARE(headers(grid.model).last(), QStringLiteral("領藥單.配藥日期"));
        grid.query.Close();
        QCOMPARE(grid.model.rowCount(), 0);
        QCOMPARE(grid.model.columnCount(), 0);
    }

    void showsTheVisibleColumnsOfTheOrderLines() {
        CheckedSampleOrderGrid grid;
        openSampleLines(grid.query);
        hide(grid.query, {"領藥序號", "病歷號碼", "姓名", "性別", "出生年月日", "領藥單.配藥日期",
                          "領藥明細.配藥日期", "SerialNumber"});
        QCOMPARE(headers(grid.model), QStringList({"項次", "藥品名稱", "數量", "配藥情況"}));
        QCOMPARE(grid.model.index(1, 0).data().toString(), QStringLiteral("2"));
        QCOMPARE(grid.model.index(1, 1).data().toString(), QStringLiteral("B"));
        QCOMPARE(grid.model.index(1, 2).data().toString(), QStringLiteral("20"));
        QCOMPARE(grid.model.index(1, 3).data(), QVariant(QString()));
    }

    void orderListShowsNoColumnOnceHidden() {
        SampleOrderGrid grid;
        grid.query.SQL = orderListStatement(today);
        grid.query.Open();
        hide(grid.query, {"配藥日期", "領藥序號", "姓名", "性別", "出生年月日"});
        QCOMPARE(grid.model.columnCount(), 0);
        QCOMPARE(grid.model.rowCount(), 1);
    }

    void showsEditsAndReportsTheCurrentRow() {
        CheckedSampleOrderGrid grid;
        openSampleLines(grid.query);
        const int stateColumn = static_cast<int>(headers(grid.model).indexOf("配藥情況"));
        QSignalSpy current(&grid.model, &QueryGridModel::currentRowChanged);
        grid.query.Next();
        QCOMPARE(current.size(), 1);
        QCOMPARE(current.last().first().toInt(), 1);
        QCOMPARE(grid.model.currentRow(), 1);
        grid.query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
        grid.query.Edit();
        grid.query.FieldByName(QStringLiteral("配藥情況")).SetValue(QStringLiteral("配藥中"));
        QCOMPARE(grid.model.index(1, stateColumn).data().toString(), QStringLiteral("配藥中"));
        QCOMPARE(grid.model.index(0, stateColumn).data().toString(), QString());
        grid.query.Cancel();
        QCOMPARE(grid.model.index(1, stateColumn).data().toString(), QString());
        QCOMPARE(grid.model.currentRow(), 1);
    }
};

QTEST_MAIN(TestQueryGridModel)
#include "test_querygridmodel.moc"
