#pragma once

#include <QDate>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace demodb {

// What to make. The orders are spread over the days that end three days after `today`: at least
// the seven days around today, more when a day would otherwise hold over ordersPerDayLimit.
struct DemoOptions {
    quint32 seed = 1;
    int orders = 56;
    std::optional<qint64> lines; // total over all orders; unset: 1 to 4 per order
    QDate today;

    static constexpr int ordersPerDayLimit = 200;
    static constexpr int maxOrders = 10'000'000;
    static constexpr qint64 maxLinesPerOrderOnAverage = 50;
};

struct Patient {
    QString chartNumber;
    QString name;
    std::optional<bool> male; // unset: 性別 is NULL
    QDate birth;
};

struct OrderLine {
    int item = 0;
    QString drugName;
    int quantity = 0;
    bool dispensed = false;
};

struct Order {
    int dayIndex = 0;
    QString sequence;
    QString chartNumber;
    QList<OrderLine> lines;
};

// Deterministic demo content for one seed: the same options give the same patients, orders
// and lines. Throws std::invalid_argument for counts that cannot be met.
class DemoContent {
public:
    DemoContent(const DemoOptions& options, QStringList drugNames);

    int dayCount() const { return days; }
    QDate day(int dayIndex) const { return firstDay.addDays(dayIndex); }
    const QList<Patient>& patients() const { return patientList; }

    // Hands over the orders one at a time, so a large database needs no room for all of them.
    void forEachOrder(const std::function<void(const Order&)>& take);

private:
    int lineCount(int orderIndex);
    QList<OrderLine> makeLines(int count, bool pastDay);

    DemoOptions options;
    QStringList drugs;
    QRandomGenerator random;
    int days = 0;
    QDate firstDay;
    QList<Patient> patientList;
    static constexpr int nullSexPatient = 2;
    qint64 linesLeft = 0;
    int mostLinesPerOrder = 4;
};

} // namespace demodb
