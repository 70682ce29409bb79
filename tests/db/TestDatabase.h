#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>

// A prescription database made from the project's schema in a fresh temporary folder, which is
// the current directory while the object lives. Rows are added and read through a connection
// of its own, bypassing the classes under test.
class TestDatabase {
public:
    static constexpr const char* day = "2009/7/7";

    // With create false the folder stays empty until create() is called.
    explicit TestDatabase(bool create = true);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    void create();
    QString folder() const { return dir_.path(); }
    QString filePath() const;

    // Runs one statement with positional values; fails the test on an error.
    void exec(const QString& statement, const QVariantList& values = {});
    QVariant scalar(const QString& statement, const QVariantList& values = {});

    void addPatient(const QString& number, const QVariant& name, const QVariant& sex,
                    const QString& birth = QStringLiteral("1950/1/2"));
    void addDrug(const QString& name, const QVariant& serialNumber);
    void addOrder(const QString& dispensingDay, const QString& sequence, const QString& patient);
    void addLine(const QString& dispensingDay, const QString& sequence, int item,
                 const QString& drug, const QVariant& state = {});
    QVariant lineState(const QString& dispensingDay, const QString& sequence, int item);

    // One order "1" of `day` for patient P1 with two lines, drugs A (serial E001) and B (E002).
    void addSampleOrder();

private:
    QSqlDatabase database() const;

    QTemporaryDir dir_;
    QString previousFolder_;
    QString connectionName_;
};

// The text of the platform::AppError the action raises, empty when it raises none.
QString errorOf(const std::function<void()>& action);
