#pragma once

// Stores of the sample order (TestDatabase::addSampleOrder) on a server database while the
// database stalls: its server's processes stopped, a row held by another session, the network
// cut. Each test makes the stall its own way and hands over how it begins and ends.
#include "DispenseWorkers.h"
#include "OrderStatements.h"
#include "TADOQuery.h"
#include "TestDatabase.h"

#include <QElapsedTimer>
#include <QTest>
#include <chrono>
#include <functional>
#include <utility>

namespace stall {

inline const QString today = QString::fromLatin1(TestDatabase::day);
inline const QString dispensed = QStringLiteral("配藥完成");
// Short, so that the cases run quickly; far below the limit the cases allow for the failure.
inline constexpr std::chrono::seconds bound{2};
inline constexpr int generousLimitMs = 30000;
inline const QString notAnswered = QStringLiteral("the database did not answer within 2 s");

inline void store(db::TADOQuery& query, int row, const QList<db::RowInsert>& alongside = {}) {
    query.MoveTo(row);
    query.Edit();
    query.FieldByName(QStringLiteral("配藥情況")).SetValue(dispensed);
    query.Post(alongside);
}

// The states of the sample order's lines, in item order.
inline QStringList states(db::TADOConnection& connection) {
    db::TADOQuery query(connection);
    query.SQL = db::orderLinesStatement(QStringLiteral("1"), today);
    query.Open();
    QStringList texts;
    for (query.First(); !query.Eof(); query.Next())
        texts << query.FieldByName(QStringLiteral("配藥情況")).Value().toString();
    return texts;
}

// A stall begun, ended at the latest when this goes out of scope, so that a failed check leaves
// no server stopped or network cut behind.
class Stall {
public:
    Stall(const std::function<void()>& begin, std::function<void()> end) : end_(std::move(end)) {
        begin();
    }
    ~Stall() { end(); }
    Stall(const Stall&) = delete;
    Stall& operator=(const Stall&) = delete;
    void end() {
        if (end_)
            std::exchange(end_, nullptr)();
    }

private:
    std::function<void()> end_;
};

// Through a connection bounded at `bound`: a store during the stall fails within the limit as not
// answered and stores nothing; once the stall has ended, the next store is stored, once.
inline void storeFailsWithinTheBound(const TestDatabase& database,
                                     const std::function<void()>& begin,
                                     const std::function<void()>& end) {
    db::TADOConnection connection(
        db::DatabaseLocation::server(database.location().target(), bound));
    db::TADOQuery query(connection);
    query.SQL = db::orderLinesStatement(QStringLiteral("1"), today);
    query.Open();
    query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
    Stall stall(begin, end);
    QElapsedTimer waited;
    waited.start();
    QCOMPARE(errorOf([&] { store(query, 0); }), notAnswered);
    QVERIFY(waited.elapsed() < generousLimitMs);
    QVERIFY2(query.FieldByName(QStringLiteral("配藥情況")).IsNull(), "not shown as stored");
    stall.end();
    QCOMPARE(states(connection), QStringList({QString(), QString()}));
    store(query, 0);
    QCOMPARE(states(connection), QStringList({dispensed, QString()}));
}

// The same for a station without a window: a dispense-worker held before each of its stores
// reports the store during the stall as not answered, in time, and stores the other line once
// the stall has ended.
inline void workerReportsTheStall(TestDatabase& database, const std::function<void()>& begin,
                                  const std::function<void()>& end) {
    try {
        DispenseWorkers worker(
            {{QStringLiteral("--server"), database.location().target(),
              QStringLiteral("--statement-timeout"), QString::number(bound.count()),
              QStringLiteral("--day"), today, QStringLiteral("--step")}},
            generousLimitMs);
        Stall stall(begin, end);
        QElapsedTimer waited;
        waited.start();
        QVERIFY2(worker.step(0, generousLimitMs), "one line left to store");
        QVERIFY(waited.elapsed() < generousLimitMs);
        stall.end();
        QVERIFY2(!worker.step(0, generousLimitMs), "no line left to store");
        const QList<WorkerReport> reports = worker.reports(0);
        QCOMPARE(reports.size(), 2);
        QCOMPARE(reports[0].outcome, QStringLiteral("error"));
        QCOMPARE(reports[0].fields.value(3), notAnswered);
        QCOMPARE(reports[1].outcome, QStringLiteral("stored"));
        // The sample order's items are 1 and 2.
        const int failed = reports[0].fields.value(2).toInt();
        QCOMPARE(reports[1].fields.value(2).toInt(), 3 - failed);
        QVERIFY(database.lineState(today, QStringLiteral("1"), failed).isNull());
        QCOMPARE(database.lineState(today, QStringLiteral("1"), 3 - failed).toString(), dispensed);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

} // namespace stall
