#include "AuditTrail.h"
#include "DayText.h"
#include "DemoUnitWeight.h"
#include "FileBytes.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString databaseName = QStringLiteral("藥袋正規化.db");

struct Run {
    int exitCode = -1;
    QString errors;
};

// Reads one database made by the maker, through its own connection.
class MadeDatabase {
public:
    explicit MadeDatabase(const QString& path) : name(QStringLiteral("made-") + path) {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        opened = database.open();
    }
    ~MadeDatabase() { QSqlDatabase::removeDatabase(name); }

    bool isOpen() const { return opened; }

    // Every row of a statement, each row's values joined with '|', NULL written as <NULL>.
    QStringList rows(const QString& statement, const QVariantList& values = {}) const {
        QSqlQuery query(QSqlDatabase::database(name));
        query.prepare(statement);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            qWarning() << statement << query.lastError().text();
        QStringList result;
        while (query.next()) {
            QStringList fields;
            for (int column = 0; column < query.record().count(); ++column)
                fields.append(query.isNull(column) ? QStringLiteral("<NULL>")
                                                   : query.value(column).toString());
            result.append(fields.join(u'|'));
        }
        return result;
    }

    qint64 number(const QString& statement, const QVariantList& values = {}) const {
        const QStringList result = rows(statement, values);
        return result.size() == 1 ? result.first().toLongLong() : -1;
    }

private:
    QString name;
    bool opened = false;
};

QSet<QString> catalogueUids(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QSet<QString> uids;
    file.readLine(); // header
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty())
            uids.insert(line.section(u'\t', 0, 0).toUpper());
    }
    return uids;
}

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

const QString drugColumns =
    QStringLiteral("SELECT name || ' ' || type FROM pragma_table_info('藥品資料表')");

const QByteArray smallCatalogue = "UID\tType\tBlocks\tBlockSize\tDrug\n"
                                  "e004010012345678\t00\t28\t4\t普拿疼\n"
                                  "E007000011112222\t0x01\t8\t4\tAspirin 100mg\n"
                                  "E016A0B0C0D0E0F0\t03\t64\t4\t胃乳片\n";

} // namespace

class TestDemoDbMaker : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }

    Run runMaker(const QStringList& arguments) const {
        QProcess maker;
        maker.setWorkingDirectory(dir.path());
        maker.start(QCoreApplication::applicationDirPath() + QStringLiteral("/demo-db-maker"),
                    arguments);
        Run run;
        if (!maker.waitForFinished(120000) || maker.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = maker.exitCode();
        run.errors = QString::fromUtf8(maker.readAllStandardError());
        return run;
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        const QStringList leftovers = QDir(dir.path()).entryList(QDir::Files);
        for (const QString& name : leftovers)
            QVERIFY(QFile::remove(path(name)));
    }

    void makesOrdersForToday() {
        const QDate today = QDate::currentDate();
        QCOMPARE(runMaker({}).exitCode, 0);
        MadeDatabase made(path(databaseName));
        QVERIFY(made.isOpen());
        // Should midnight pass meanwhile, the maker's days are one later: check the days both
        // share.
        for (int offset = -2; offset <= 3; ++offset) {
            const QString day = db::DayText(today.addDays(offset));
            QVERIFY2(made.number(QStringLiteral("SELECT COUNT(*) FROM 領藥單 JOIN 領藥明細 "
                                                "USING (配藥日期, 領藥序號) WHERE 配藥日期 = ?"),
                                 {day}) > 0,
                     qPrintable(day));
        }
    }

    void makesOrdersAroundTheGivenDay() {
        QCOMPARE(runMaker({QStringLiteral("--today"), QStringLiteral("2009-07-07")}).exitCode, 0);
        MadeDatabase made(path(databaseName));
        QVERIFY(made.isOpen());

        QStringList days;
        for (int day = 4; day <= 10; ++day)
            days.append(db::DayText(QDate(2009, 7, day)));
        QStringList madeDays = made.rows(QStringLiteral("SELECT DISTINCT 配藥日期 FROM 領藥單"));
        madeDays.sort();
        QStringList expectedDays = days;
        expectedDays.sort();
        QCOMPARE(madeDays, expectedDays);

        // Lines numbered from 1, one to four per order, and none dispensed from today on.
        const QStringList orders =
            made.rows(QStringLiteral("SELECT 領藥單.配藥日期, COUNT(領藥明細.項次), "
                                     "MIN(領藥明細.項次), MAX(領藥明細.項次), "
                                     "COUNT(領藥明細.配藥情況) FROM 領藥單 LEFT JOIN 領藥明細 "
                                     "ON 領藥單.配藥日期 = 領藥明細.配藥日期 "
                                     "AND 領藥單.領藥序號 = 領藥明細.領藥序號 "
                                     "GROUP BY 領藥單.配藥日期, 領藥單.領藥序號"));
        QVERIFY(orders.size() >= days.size());
        int dispensed = 0;
        for (const QString& order : orders) {
            const QStringList values = order.split(u'|');
            const int lines = values.at(1).toInt();
            QVERIFY2(lines >= 1 && lines <= 4, qPrintable(order));
            QCOMPARE(values.at(2), QStringLiteral("1"));
            QCOMPARE(values.at(3).toInt(), lines);
            const int done = values.at(4).toInt();
            if (days.indexOf(values.at(0)) >= 3)
                QCOMPARE(done, 0);
            dispensed += done;
        }
        QVERIFY(dispensed > 0);
        QCOMPARE(made.rows(QStringLiteral("SELECT DISTINCT 配藥情況 FROM 領藥明細 "
                                          "WHERE 配藥情況 IS NOT NULL")),
                 QStringList{QStringLiteral("配藥完成")});

        QCOMPARE(made.number(QStringLiteral(
                     "SELECT COUNT(*) FROM 領藥明細 LEFT JOIN 藥品資料表 "
                     "ON 領藥明細.藥品名稱 = 藥品資料表.藥品名稱 WHERE 藥品資料表.藥品名稱 IS NULL "
                     "OR 領藥明細.數量 IS NULL OR 領藥明細.數量 < 1")),
                 0);
        QCOMPARE(made.number(QStringLiteral(
                     "SELECT COUNT(*) FROM 領藥單 LEFT JOIN 病人基本資料 "
                     "ON 領藥單.病歷號碼 = 病人基本資料.病歷號碼 WHERE 病人基本資料.姓名 IS NULL")),
                 0);
        // Today's list shows the patient without a recorded sex.
        QVERIFY(made.number(QStringLiteral("SELECT COUNT(*) FROM 領藥單 JOIN 病人基本資料 "
                                           "USING (病歷號碼) WHERE 配藥日期 = ? AND 性別 IS NULL"),
                            {days.at(3)}) > 0);
    }

    void makesPatientsOfEverySex() {
        QCOMPARE(runMaker({}).exitCode, 0);
        MadeDatabase made(path(databaseName));
        QVERIFY(made.isOpen());
        const QStringList sexes = made.rows(
            QStringLiteral("SELECT 性別, COUNT(*) FROM 病人基本資料 GROUP BY 性別 ORDER BY 性別"));
        QCOMPARE(sexes.size(), 3);
        QCOMPARE(sexes.at(0), QStringLiteral("<NULL>|1"));
        QVERIFY(sexes.at(1).startsWith(QStringLiteral("0|")));
        QVERIFY(sexes.at(2).startsWith(QStringLiteral("1|")));

        // Names are Chinese, and dates of birth are days the station can show.
        const QStringList patients =
            made.rows(QStringLiteral("SELECT 姓名, 出生年月日 FROM 病人基本資料"));
        for (const QString& patient : patients) {
            const QString name = patient.section(u'|', 0, 0);
            QVERIFY2(name.size() >= 2 && name.at(0).unicode() >= 0x4E00, qPrintable(patient));
            QVERIFY2(!patient.section(u'|', 1, 1).isEmpty(), qPrintable(patient));
        }
    }

    void everyDrugCarriesACatalogueSerial() {
        const QSet<QString> uids = catalogueUids(QStringLiteral(STATION_TRANSPONDER_CATALOGUE));
        QVERIFY(!uids.isEmpty());
        QCOMPARE(runMaker({}).exitCode, 0);
        MadeDatabase made(path(databaseName));
        // Without --checks, as databases were before the optional columns.
        QCOMPARE(made.rows(drugColumns), (QStringList{QStringLiteral("藥品名稱 TEXT"),
                                                      QStringLiteral("SerialNumber TEXT")}));
        const QStringList serials =
            made.rows(QStringLiteral("SELECT SerialNumber FROM 藥品資料表"));
        QCOMPARE(serials.size(), uids.size());
        for (const QString& serial : serials)
            QVERIFY2(uids.contains(serial), qPrintable(serial));
    }

    void fillsTheCheckColumns() {
        const QDate today(2009, 7, 7);
        QCOMPARE(runMaker({QStringLiteral("--checks"), QStringLiteral("--today"),
                           today.toString(Qt::ISODate)})
                     .exitCode,
                 0);
        MadeDatabase made(path(databaseName));
        QCOMPARE(made.rows(drugColumns).mid(2),
                 (QStringList{QStringLiteral("單位重量 REAL"), QStringLiteral("容許誤差 REAL"),
                              QStringLiteral("有效期限 TEXT")}));
        const QStringList drugs = made.rows(QStringLiteral(
            "SELECT 藥品名稱, 單位重量, 容許誤差, typeof(有效期限), 有效期限 FROM 藥品資料表"));
        int expired = 0;
        int usable = 0;
        int tolerances = 0;
        for (const QString& drug : drugs) {
            const QStringList values = drug.split(u'|');
            // Made by another process: the rule must not vary from run to run.
            const std::optional<double> unitWeight = demodb::demoUnitWeight(values.at(0));
            QCOMPARE(values.at(1),
                     unitWeight ? QString::number(*unitWeight) : QStringLiteral("<NULL>"));
            QVERIFY2(!unitWeight || (*unitWeight >= 0.1 && *unitWeight <= 0.8), qPrintable(drug));
            tolerances += values.at(2) != u"<NULL>";
            const QDate expiry = QDate::fromString(values.at(4), Qt::ISODate);
            QVERIFY2(values.at(3) == u"text" && expiry.isValid(), qPrintable(drug));
            if (expiry < today) {
                ++expired;
            } else {
                usable += unitWeight.has_value();
                QVERIFY2(expiry > today.addMonths(10), qPrintable(drug));
            }
        }
        QVERIFY(expired >= 1 && usable >= 1);
        QVERIFY(tolerances >= 1 && tolerances < drugs.size() / 2);
        // The rule at its edges: a strength beyond reason weighs the most a form does, a form it
        // does not know nothing.
        QCOMPARE(demodb::demoUnitWeight(QStringLiteral("X %1mg Tablets").arg(QString(400, u'9'))),
                 0.8);
        QCOMPARE(demodb::demoUnitWeight(QStringLiteral("止咳糖漿 100mg/5ml")), std::nullopt);
    }

    void keepsTheHistoryOfTheDispensedLines() {
        // The offset the rows carry is the maker's local one.
        qputenv("TZ", "Asia/Taipei");
        const auto zone = qScopeGuard([] { qunsetenv("TZ"); });
        QCOMPARE(runMaker({QStringLiteral("--orders"), QStringLiteral("400"),
                           QStringLiteral("--today"), QStringLiteral("2009-07-07")})
                     .exitCode,
                 0);
        MadeDatabase made(path(databaseName));
        const QString stored = journal_event::lineStored();
        // One stored row per dispensed line, and none for another line, drug or container.
        const QString rowsOfLine = QStringLiteral(
            "(SELECT COUNT(*) FROM 配藥紀錄 a JOIN 藥品資料表 d USING (藥品名稱, SerialNumber) "
            "WHERE 事件 = ? AND a.配藥日期 = l.配藥日期 AND a.領藥序號 = l.領藥序號 AND a.項次 = "
            "l.項次 AND a.藥品名稱 = l.藥品名稱)");
        QCOMPARE(made.number(QStringLiteral("SELECT COUNT(*) FROM 領藥明細 l WHERE %1 != "
                                            "(配藥情況 IS NOT NULL)")
                                 .arg(rowsOfLine),
                             {stored}),
                 0);
        QCOMPARE(
            made.number(QStringLiteral("SELECT SUM(%1) FROM 領藥明細 l").arg(rowsOfLine), {stored}),
            made.number(QStringLiteral("SELECT COUNT(*) FROM 配藥紀錄 WHERE 事件 = ?"), {stored}));
        QVERIFY(made.number(QStringLiteral("SELECT COUNT(*) FROM 配藥紀錄 a JOIN 藥品資料表 d "
                                           "USING (藥品名稱) WHERE 事件 = ? AND a.SerialNumber != "
                                           "d.SerialNumber"),
                            {journal_event::wrongContainer()}) > 0);

        // Each order opened first and completed (all lines stored) or stopped last, by one user at
        // one station, in the working day of its own day.
        const QStringList events = made.rows(QStringLiteral(
            "SELECT 配藥日期 || 領藥序號, 事件, 時間, 工作站 || 使用者, 配藥日期, (SELECT COUNT(*) "
            "FROM 領藥明細 l WHERE l.配藥日期 = a.配藥日期 AND l.領藥序號 = a.領藥序號 "
            "AND 配藥情況 IS NULL) FROM 配藥紀錄 a ORDER BY 1, 時間"));
        QVERIFY(events.size() > 20);
        const auto finishes = [](const QStringList& values) {
            return values.at(1) == (values.at(5) == u"0" ? journal_event::orderCompleted()
                                                         : journal_event::orderStopped());
        };
        QStringList previous;
        for (const QString& event : events + QStringList{QStringLiteral("|||||")}) {
            const QStringList values = event.split(u'|');
            const bool sameOrder = !previous.isEmpty() && previous.at(0) == values.at(0);
            if (!previous.isEmpty())
                QVERIFY2(finishes(previous) != sameOrder, qPrintable(event));
            if (values.at(0).isEmpty())
                break;
            QVERIFY2((values.at(1) == journal_event::orderOpened()) != sameOrder,
                     qPrintable(event));
            QVERIFY2(!sameOrder ||
                         (previous.at(2) < values.at(2) && previous.at(3) == values.at(3)),
                     qPrintable(event));
            const QDateTime time = QDateTime::fromString(values.at(2), Qt::ISODateWithMs);
            QVERIFY2(values.at(2).endsWith(u"+08:00") && time.time() >= QTime(8, 0) &&
                         time.time() <= QTime(18, 0) && db::DayText(time.date()) == values.at(4),
                     qPrintable(event));
            previous = values;
        }
    }

    void takesDrugsFromTheGivenCatalogue() {
        writeFileBytes(path(QStringLiteral("small.tsv")), smallCatalogue);
        QCOMPARE(runMaker({QStringLiteral("--catalogue"), QStringLiteral("small.tsv"),
                           QStringLiteral("--output"), QStringLiteral("small.db")})
                     .exitCode,
                 0);
        MadeDatabase made(path(QStringLiteral("small.db")));
        QCOMPARE(made.rows(QStringLiteral(
                     "SELECT 藥品名稱, SerialNumber FROM 藥品資料表 ORDER BY SerialNumber")),
                 (QStringList{QStringLiteral("普拿疼|E004010012345678"),
                              QStringLiteral("Aspirin 100mg|E007000011112222"),
                              QStringLiteral("胃乳片|E016A0B0C0D0E0F0")}));
        QVERIFY(!QFile::exists(path(databaseName)));
    }

    void refusesToReplaceWithoutForce() {
        QCOMPARE(runMaker({}).exitCode, 0);
        const QByteArray first = fileHash(path(databaseName));
        QVERIFY(!first.isEmpty());

        const Run refused = runMaker({QStringLiteral("--seed"), QStringLiteral("2")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.errors.contains(QStringLiteral("--force")), qPrintable(refused.errors));
        QCOMPARE(fileHash(path(databaseName)), first);

        QCOMPARE(
            runMaker({QStringLiteral("--seed"), QStringLiteral("2"), QStringLiteral("--force")})
                .exitCode,
            0);
        QVERIFY(fileHash(path(databaseName)) != first);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{databaseName});
    }

    void sameSeedSameContent() {
        const QStringList seed7 = {QStringLiteral("--seed"), QStringLiteral("7")};
        QCOMPARE(runMaker(seed7 + QStringList{QStringLiteral("--output"), QStringLiteral("a.db")})
                     .exitCode,
                 0);
        QCOMPARE(runMaker(seed7 + QStringList{QStringLiteral("--output"), QStringLiteral("b.db")})
                     .exitCode,
                 0);
        QCOMPARE(runMaker({QStringLiteral("--seed"), QStringLiteral("8"),
                           QStringLiteral("--output"), QStringLiteral("c.db")})
                     .exitCode,
                 0);
        const QString everything = QStringLiteral(
            "SELECT 領藥明細.*, 領藥單.病歷號碼, 姓名, 性別, 出生年月日 FROM 領藥明細 "
            "JOIN 領藥單 USING (配藥日期, 領藥序號) JOIN 病人基本資料 USING (病歷號碼) "
            "ORDER BY 1, 2, 3");
        const QStringList a = MadeDatabase(path(QStringLiteral("a.db"))).rows(everything);
        QVERIFY(!a.isEmpty());
        QCOMPARE(MadeDatabase(path(QStringLiteral("b.db"))).rows(everything), a);
        QVERIFY(MadeDatabase(path(QStringLiteral("c.db"))).rows(everything) != a);
        const QString history = QStringLiteral("SELECT * FROM 配藥紀錄 ORDER BY rowid");
        QCOMPARE(MadeDatabase(path(QStringLiteral("b.db"))).rows(history),
                 MadeDatabase(path(QStringLiteral("a.db"))).rows(history));
    }

    void spreadsALargeDatabaseOverMoreDays() {
        QCOMPARE(runMaker({QStringLiteral("--orders"), QStringLiteral("3000"),
                           QStringLiteral("--lines"), QStringLiteral("15000"),
                           QStringLiteral("--today"), QStringLiteral("2009-07-07")})
                     .exitCode,
                 0);
        MadeDatabase made(path(databaseName));
        QCOMPARE(made.number(QStringLiteral("SELECT COUNT(*) FROM 領藥單")), 3000);
        QCOMPARE(made.number(QStringLiteral("SELECT COUNT(*) FROM 領藥明細")), 15000);
        QCOMPARE(made.number(QStringLiteral("SELECT COUNT(DISTINCT 配藥日期) FROM 領藥單")), 15);
        QCOMPARE(made.number(QStringLiteral("SELECT MAX(n) FROM (SELECT COUNT(*) AS n FROM 領藥單 "
                                            "GROUP BY 配藥日期)")),
                 200);
        QCOMPARE(made.number(QStringLiteral(
                     "SELECT COUNT(*) FROM 領藥單 WHERE NOT EXISTS (SELECT 1 FROM 領藥明細 "
                     "WHERE 領藥明細.配藥日期 = 領藥單.配藥日期 "
                     "AND 領藥明細.領藥序號 = 領藥單.領藥序號)")),
                 0);
        QVERIFY(made.number(QStringLiteral("SELECT COUNT(*) FROM 領藥單 WHERE 配藥日期 = ?"),
                            {db::DayText(QDate(2009, 7, 7))}) > 0);
    }

    void refusesCountsItCannotMeet_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("fewer lines than orders")
            << QStringList{QStringLiteral("--orders"), QStringLiteral("10"),
                           QStringLiteral("--lines"), QStringLiteral("9")};
        QTest::newRow("no orders") << QStringList{QStringLiteral("--orders"), QStringLiteral("0")};
        QTest::newRow("orders not a number")
            << QStringList{QStringLiteral("--orders"), QStringLiteral("12x")};
        QTest::newRow("negative seed")
            << QStringList{QStringLiteral("--seed"), QStringLiteral("-1")};
        QTest::newRow("not a date")
            << QStringList{QStringLiteral("--today"), QStringLiteral("2009-02-30")};
    }

    void refusesCountsItCannotMeet() {
        QFETCH(QStringList, arguments);
        const Run run = runMaker(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.errors.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{});
    }

    void reportsBadCatalogueLines_data() {
        QTest::addColumn<QByteArray>("catalogue");
        QTest::addColumn<QString>("expected");
        const QByteArray good = "E004010012345678\t00\t28\t4\t普拿疼\n";
        const auto row = [&](const char* name, const QByteArray& bad, const char* expected) {
            QTest::newRow(name) << QByteArray("UID\tType\tBlocks\tBlockSize\tDrug\n" + good + bad)
                                << QString::fromUtf8(expected);
        };
        row("too few fields", "E004010012345679\t00\t28\t4\n", "bad.tsv: catalogue line 3:");
        row("too many fields", "E004010012345679\t00\t28\t4\tA\tB\n", "bad.tsv: catalogue line 3:");
        row("UID not E0", "D004010012345679\t00\t28\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("UID too short", "E00401001234567\t00\t28\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("UID too long", "E0040100123456790\t00\t28\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("UID not hex", "E00401001234567G\t00\t28\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("type not hex", "E004010012345679\tZZ\t28\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("type too wide", "E004010012345679\t100\t28\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("no blocks", "E004010012345679\t00\t0\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("too many blocks", "E004010012345679\t00\t257\t4\tA\n", "bad.tsv: catalogue line 3:");
        row("huge block count", "E004010012345679\t00\t99999999999\t4\tA\n",
            "bad.tsv: catalogue line 3:");
        row("block too large", "E004010012345679\t00\t28\t33\tA\n", "bad.tsv: catalogue line 3:");
        row("no drug", "E004010012345679\t00\t28\t4\t\n", "bad.tsv: catalogue line 3:");
        row("UID twice", "\ne004010012345678\t00\t28\t4\tB\n", "bad.tsv: catalogue line 4:");
        row("blank drug", "E004010012345679\t00\t28\t4\t\u3000\n",
            "bad.tsv: transponder E004010012345679: the drug name is empty");
        row("control in drug", "E004010012345679\t00\t28\t4\tA\x01\n",
            "transponder E004010012345679: the drug name holds a control character");
        row("drug name too long", "E004010012345679\t00\t28\t4\t" + QByteArray(65, 'A') + "\n",
            "transponder E004010012345679: the drug name is longer than 64");
        row("drug twice", "E004010012345679\t00\t28\t4\t 普拿疼\n",
            "transponder E004010012345679: drug 普拿疼 is listed twice");
        row("not UTF-8", "E004010012345679\t00\t28\t4\t\xff\xfe\n",
            "transponder E004010012345679: the drug name is not UTF-8");
        QTest::newRow("header only") << QByteArray("UID\tType\tBlocks\tBlockSize\tDrug\n")
                                     << QStringLiteral("no transponder");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("no transponder");
    }

    void reportsBadCatalogueLines() {
        QFETCH(QByteArray, catalogue);
        QFETCH(QString, expected);
        writeFileBytes(path(QStringLiteral("bad.tsv")), catalogue);
        const Run run = runMaker({QStringLiteral("--catalogue"), QStringLiteral("bad.tsv")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(expected), qPrintable(run.errors));
        QVERIFY(!QFile::exists(path(databaseName)));
    }

    void reportsAMissingCatalogue() {
        const Run run = runMaker({QStringLiteral("--catalogue"), QStringLiteral("missing.tsv")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("missing.tsv")), qPrintable(run.errors));
        QVERIFY(!QFile::exists(path(databaseName)));
    }
};

QTEST_GUILESS_MAIN(TestDemoDbMaker)
#include "test_demodbmaker.moc"
