// What a drug's row and the INI file say for the checks beyond the right container: missing
// columns and values check nothing, a value that cannot be read is an error, never a pass.
#include "AppError.h"
#include "DispensingSettings.h"
#include "DrugChecks.h"
#include "StationIdentity.h"
#include "TADOConnection.h"

#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

namespace {

db::ResultSet drugRow(const QStringList& names, const QVariantList& values) {
    db::ResultSet result;
    for (const QString& name : names)
        result.columns << db::ResultColumn{name, QStringLiteral("藥品資料表"), name};
    result.rows << values;
    return result;
}

} // namespace

class TestDrugChecks : public QObject {
    Q_OBJECT

private slots:
    void readsWhatIsThere() {
        const QStringList all{"藥品名稱", "SerialNumber", "單位重量", "容許誤差", "有效期限"};
        const DrugChecks none =
            DrugChecks::of(drugRow({"藥品名稱", "SerialNumber"}, {"A", "E1"}), "A");
        QVERIFY(!none.unitGrams && !none.tolerancePercent && !none.expiry);
        const DrugChecks empty = DrugChecks::of(drugRow(all, {"A", "E1", {}, " ", {}}), "A");
        QVERIFY(!empty.unitGrams && !empty.tolerancePercent && !empty.expiry);
        const DrugChecks text =
            DrugChecks::of(drugRow(all, {"A", "E1", "0.25", 8, "2027-01-31"}), "A");
        QCOMPARE(text.unitGrams, std::optional<double>(0.25));
        QCOMPARE(text.tolerancePercent, std::optional<double>(8));
        QCOMPARE(text.expiry, std::optional<QDate>(QDate(2027, 1, 31)));
        // A server gives a date as a date.
        const DrugChecks typed = DrugChecks::of(drugRow({"有效期限"}, {QDate(2026, 12, 7)}), "A");
        QCOMPARE(typed.expiry, std::optional<QDate>(QDate(2026, 12, 7)));
    }

    void refusesWhatCannotBeRead_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("no number") << "單位重量" << QVariant("abc");
        QTest::newRow("no weight") << "單位重量" << QVariant(0);
        QTest::newRow("negative") << "單位重量" << QVariant(-1.5);
        QTest::newRow("a kilogram a unit") << "單位重量" << QVariant(1500);
        QTest::newRow("tolerance over 100") << "容許誤差" << QVariant(150);
        QTest::newRow("no day") << "有效期限" << QVariant("2026-13-01");
        QTest::newRow("another format") << "有效期限" << QVariant("31/1/2027");
    }

    void refusesWhatCannotBeRead() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        try {
            DrugChecks::of(drugRow({field}, {value}), "A");
            QFAIL("read as usable");
        } catch (const platform::AppError& error) {
            QVERIFY2(error.text().startsWith(field + " of A"), qPrintable(error.text()));
        }
    }

    void settingsOffUnlessSwitchedOn_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("weightCheck");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<int>("wait");
        QTest::newRow("no section") << "" << false << 5.0 << 10;
        QTest::newRow("on")
            << "[Dispensing]\nWeightCheck=1\nTolerancePercent=2.5\nWeightWaitSeconds=4\n"
            << true << 2.5 << 4;
        QTest::newRow("out of range")
            << "[Dispensing]\nWeightCheck=yes\nTolerancePercent=-1\nWeightWaitSeconds=0\n"
            << false << 5.0 << 10;
    }

    void settingsOffUnlessSwitchedOn() {
        QFETCH(QString, ini);
        QFETCH(bool, weightCheck);
        QFETCH(double, tolerance);
        QFETCH(int, wait);
        QTemporaryDir folder;
        const std::string path = folder.filePath("station.ini").toStdString();
        std::ofstream(path) << ini.toStdString();
        const DispensingSettings settings = DispensingSettings::read(path);
        QCOMPARE(settings.weightCheck, weightCheck);
        QCOMPARE(settings.tolerancePercent, tolerance);
        QCOMPARE(settings.weightWaitSeconds, wait);
    }

    // [Station] Name, which anyone may edit, names the station in the audit rows.
    void stationNameFromTheIni_data() {
        QTest::addColumn<QByteArray>("ini");
        // Empty for the host name.
        QTest::addColumn<QString>("name");
        QTest::newRow("named") << QByteArray("[Station]\nName= Counter 2 \n") << "Counter 2";
        QTest::newRow("no key") << QByteArray("[Dispensing]\nName=X\n") << "";
        QTest::newRow("empty") << QByteArray("[Station]\nName=\n") << "";
        QTest::newRow("control characters")
            << QByteArray("[Station]\nName=Coun\x01ter\x1b 2\x7f\n") << "Counter 2";
        QTest::newRow("nothing but control characters")
            << QByteArray("[Station]\nName=\x01\x02\n") << "";
        QTest::newRow("too long") << "[Station]\nName=" + QString(70, u'藥').toUtf8() + '\n'
                                  << QString(StationIdentity::maxNameLength, u'藥');
    }

    void stationNameFromTheIni() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, name);
        QTemporaryDir folder;
        const std::string path = folder.filePath("station.ini").toStdString();
        std::ofstream(path, std::ios::binary) << ini.toStdString();
        QCOMPARE(StationIdentity::read(path).station,
                 name.isEmpty() ? QSysInfo::machineHostName() : name);
    }
};

QTEST_GUILESS_MAIN(TestDrugChecks)
#include "test_drugchecks.moc"
