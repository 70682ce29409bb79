#include "OrderStatements.h"
#include "QueryGridModel.h"
#include "TADOQuery.h"
#include "TestDatabase.h"

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

} // namespace

class TestQueryGridModel : public QObject {
    Q_OBJECT

private slots:
    void followsOpenAndClose() {
        TestDatabase database;
        database.addSampleOrder();
        TADOConnection connection(database.location());
        TADOQuery query(connection);
        QueryGridModel model(query);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
        query.SQL = orderLinesStatement(QStringLiteral("1"), today);
        query.Open();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 12);
        QCOMPARE(headers(model).mid(4, 1), QStringList{"領藥明細.配藥日期"});
        QCOMPARE(headers(model).last(), QStringLiteral("領藥單.配藥日期"));
        query.Close();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }

    void showsTheVisibleColumnsOfTheOrderLines() {
        TestDatabase database;
        database.addSampleOrder();
        TADOConnection connection(database.location());
        TADOQuery query(connection);
        QueryGridModel model(query);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        query.SQL = orderLinesStatement(QStringLiteral("1"), today);
        query.Open();
        hide(query, {"領藥序號", "病歷號碼", "姓名", "性別", "出生年月日", "領藥單.配藥日期",
                     "領藥明細.配藥日期", "SerialNumber"});
        QCOMPARE(headers(model), QStringList({"項次", "藥品名稱", "數量", "配藥情況"}));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("2"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("B"));
        QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("20"));
        QCOMPARE(model.index(1, 3).data(), QVariant(QString()));
    }

    void orderListShowsNoColumnOnceHidden() {
        TestDatabase database;
        database.addSampleOrder();
        TADOConnection connection(database.location());
        TADOQuery query(connection);
        QueryGridModel model(query);
        query.SQL = orderListStatement(today);
        query.Open();
        hide(query, {"配藥日期", "領藥序號", "姓名", "性別", "出生年月日"});
        QCOMPARE(model.columnCount(), 0);
        QCOMPARE(model.rowCount(), 1);
    }

    void showsEditsAndReportsTheCurrentRow() {
        TestDatabase database;
        database.addSampleOrder();
        TADOConnection connection(database.location());
        TADOQuery query(connection);
        QueryGridModel model(query);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        query.SQL = orderLinesStatement(QStringLiteral("1"), today);
        query.Open();
        const int stateColumn = static_cast<int>(headers(model).indexOf("配藥情況"));
        QSignalSpy current(&model, &QueryGridModel::currentRowChanged);
        query.Next();
        QCOMPARE(current.size(), 1);
        QCOMPARE(current.last().first().toInt(), 1);
        QCOMPARE(model.currentRow(), 1);
        query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
        query.Edit();
        query.FieldByName(QStringLiteral("配藥情況")).SetValue(QStringLiteral("配藥中"));
        QCOMPARE(model.index(1, stateColumn).data().toString(), QStringLiteral("配藥中"));
        QCOMPARE(model.index(0, stateColumn).data().toString(), QString());
        query.Cancel();
        QCOMPARE(model.index(1, stateColumn).data().toString(), QString());
        QCOMPARE(model.currentRow(), 1);
    }
};

QTEST_MAIN(TestQueryGridModel)
#include "test_querygridmodel.moc"
