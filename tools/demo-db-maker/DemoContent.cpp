#include "DemoContent.h"

#include "PatientNames.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <stdexcept>

namespace demodb {

namespace {

constexpr int daysAfterToday = 3;
constexpr int leastDays = 7;
constexpr int leastPatients = 20;
constexpr int ordersPerPatient = 4;
constexpr std::array quantities{1, 2, 3, 7, 14, 28, 30};

QDate randomBirth(QRandomGenerator& random) {
    const qint64 first = QDate(1930, 1, 1).toJulianDay();
    const qint64 last = QDate(2019, 12, 31).toJulianDay();
    return QDate::fromJulianDay(first + random.bounded(static_cast<int>(last - first + 1)));
}

} // namespace

DemoContent::DemoContent(const DemoOptions& demoOptions, QStringList drugNames)
    : options(demoOptions), drugs(std::move(drugNames)), random(demoOptions.seed) {
    if (drugs.isEmpty())
        throw std::invalid_argument("there are no drugs to prescribe");
    if (options.orders < 1 || options.orders > DemoOptions::maxOrders)
        throw std::invalid_argument("the number of orders must be between 1 and " +
                                    std::to_string(DemoOptions::maxOrders));
    if (options.lines) {
        const qint64 lines = *options.lines;
        if (lines < options.orders ||
            lines > options.orders * DemoOptions::maxLinesPerOrderOnAverage)
            throw std::invalid_argument(
                "the number of lines must be between the number of orders (one line each) and " +
                std::to_string(DemoOptions::maxLinesPerOrderOnAverage) + " times that");
        linesLeft = lines;
        // Wide enough that the counts can average lines/orders and still vary from order to order.
        const qint64 average = (lines + options.orders - 1) / options.orders;
        mostLinesPerOrder = static_cast<int>(std::max<qint64>(4, 2 * average - 1));
    }

    days = std::max(leastDays, (options.orders + DemoOptions::ordersPerDayLimit - 1) /
                                   DemoOptions::ordersPerDayLimit);
    firstDay = options.today.addDays(daysAfterToday - (days - 1));

    const int patientCount = std::max(leastPatients, options.orders / ordersPerPatient);
    patientList.reserve(patientCount);
    for (int index = 0; index < patientCount; ++index) {
        Patient patient;
        patient.chartNumber = QString::number(1000001 + index);
        if (index != nullSexPatient)
            patient.male = random.bounded(2) == 1;
        patient.name = makePatientName(random, patient.male);
        patient.birth = randomBirth(random);
        patientList.append(patient);
    }
}

void DemoContent::forEachOrder(const std::function<void(const Order&)>& take) {
    const int todayIndex = days - 1 - daysAfterToday;
    int dayIndex = -1;
    int sequence = 0;
    for (int index = 0; index < options.orders; ++index) {
        const int orderDay = static_cast<int>(qint64(index) * days / options.orders);
        if (orderDay != dayIndex) {
            dayIndex = orderDay;
            sequence = 0;
        }
        ++sequence;

        Order order;
        order.dayIndex = dayIndex;
        order.sequence = QStringLiteral("%1").arg(sequence, 4, 10, QLatin1Char('0'));
        // Today's first order is for the patient without a recorded sex, so the demo shows one.
        const bool showsNullSex = dayIndex == todayIndex && sequence == 1;
        const int patient =
            showsNullSex ? nullSexPatient : random.bounded(static_cast<int>(patientList.size()));
        order.chartNumber = patientList.at(patient).chartNumber;
        order.lines = makeLines(lineCount(index), dayIndex < todayIndex);
        take(order);
    }
}

int DemoContent::lineCount(int orderIndex) {
    if (!options.lines)
        return 1 + random.bounded(4);
    // Keep the rest reachable: every later order needs one line and takes at most
    // mostLinesPerOrder.
    const qint64 ordersAfter = options.orders - orderIndex - 1;
    const qint64 least = std::max<qint64>(1, linesLeft - mostLinesPerOrder * ordersAfter);
    const qint64 most = std::min<qint64>(mostLinesPerOrder, linesLeft - ordersAfter);
    const int count = static_cast<int>(least + random.bounded(static_cast<int>(most - least + 1)));
    linesLeft -= count;
    return count;
}

QList<OrderLine> DemoContent::makeLines(int count, bool pastDay) {
    // Distinct drugs within an order as long as there are enough of them.
    QList<int> order(drugs.size());
    std::iota(order.begin(), order.end(), 0);
    const int distinct = std::min(count, static_cast<int>(order.size()));
    for (int index = 0; index < distinct; ++index) {
        const int other = index + random.bounded(static_cast<int>(order.size()) - index);
        std::swap(order[index], order[other]);
    }

    QList<OrderLine> lines;
    lines.reserve(count);
    for (int index = 0; index < count; ++index) {
        OrderLine line;
        line.item = index + 1;
        line.drugName = drugs.at(order.at(index % distinct));
        line.quantity = quantities[random.bounded(static_cast<int>(quantities.size()))];
        line.dispensed = pastDay && random.bounded(4) == 0;
        lines.append(line);
    }
    return lines;
}

} // namespace demodb
