#include "DemoHistory.h"

#include "AuditTrail.h"
#include "DemoUnitWeight.h"

#include <algorithm>
#include <cmath>

namespace demodb {

namespace {

// Its own stream of the seed, so that the content drawn from the seed alone is unchanged.
constexpr quint32 historyStream = 0x48495354;

constexpr int stations = 3;
constexpr int users = 4;
constexpr int wrongContainerOneIn = 12;
// Seconds from one event of an order to the next, and the working day the order falls in.
constexpr int leastStep = 20;
constexpr int mostStep = 180;
const QTime opening(8, 0);
const QTime closing(18, 0);
// Grams of a unit of a drug whose weight the demo does not know (a bottle, a tube).
constexpr double unknownUnitGrams = 1.0;

} // namespace

DemoHistory::DemoHistory(quint32 seed, const QList<CatalogueEntry>& catalogue, bool withChecks)
    : random({seed, historyStream}), containers(catalogue), weighed(withChecks),
      zone(QTimeZone::systemTimeZone()) {
    for (const CatalogueEntry& entry : catalogue)
        serialOf.insert(entry.drugName, entry.uid);
}

QList<AuditEvent> DemoHistory::eventsOf(const Order& order, const QDate& day) {
    const bool anyStored = std::ranges::any_of(order.lines, &OrderLine::dispensed);
    if (!anyStored)
        return {};
    AuditEvent opened;
    opened.station = QStringLiteral("藥局-%1").arg(1 + random.bounded(stations));
    opened.user = QStringLiteral("pharmacist%1").arg(1 + random.bounded(users));
    opened.event = journal_event::orderOpened();

    // Seconds after the opening, laid out first so that the whole order fits the working day.
    QList<AuditEvent> events{opened};
    QList<int> seconds{0};
    const auto next = [&](AuditEvent event) {
        seconds.append(seconds.last() + leastStep + random.bounded(mostStep - leastStep + 1));
        events.append(std::move(event));
    };
    bool allStored = true;
    for (const OrderLine& line : order.lines) {
        if (!line.dispensed) {
            allStored = false;
            continue;
        }
        AuditEvent stored = opened;
        stored.item = line.item;
        stored.drugName = line.drugName;
        stored.serialNumber = serialOf.value(line.drugName);
        if (containers.size() > 1 && random.bounded(wrongContainerOneIn) == 0) {
            const CatalogueEntry& presented = anotherContainer(stored.serialNumber);
            AuditEvent wrong = stored;
            wrong.event = journal_event::wrongContainer();
            wrong.serialNumber = presented.uid;
            wrong.details = presented.drugName;
            next(wrong);
        }
        stored.event = journal_event::lineStored();
        stored.weightShown = weightOf(line, stored);
        next(stored);
    }
    AuditEvent finished = opened;
    finished.event = allStored ? journal_event::orderCompleted() : journal_event::orderStopped();
    next(finished);

    const int workingSeconds = opening.secsTo(closing);
    const int latestStart = std::max(0, workingSeconds - seconds.last());
    const QDateTime local(day, opening.addSecs(random.bounded(latestStart + 1)), zone);
    // Written with the offset the station's clock had; no clock changes within a working day.
    const QDateTime start = local.toOffsetFromUtc(local.offsetFromUtc());
    for (qsizetype index = 0; index < events.size(); ++index)
        events[index].time =
            start.addMSecs(qint64(seconds.at(index)) * 1000 + random.bounded(1000));
    return events;
}

const CatalogueEntry& DemoHistory::anotherContainer(const QString& serialNumber) {
    // The catalogue's transponders differ, and there are two at least.
    for (;;) {
        const CatalogueEntry& other =
            containers.at(random.bounded(static_cast<int>(containers.size())));
        if (other.uid != serialNumber)
            return other;
    }
}

QString DemoHistory::weightOf(const OrderLine& line, AuditEvent& stored) {
    const std::optional<double> unitWeight = demoUnitWeight(line.drugName);
    const double expected = line.quantity * unitWeight.value_or(unknownUnitGrams);
    if (weighed && unitWeight)
        stored.expectedGrams = std::round(expected * 1000) / 1000;
    // Within 2% of what it should weigh.
    const double shown = expected * (1 + (random.bounded(41) - 20) / 1000.0);
    return QString::number(shown, 'f', 2) + QStringLiteral("克");
}

} // namespace demodb
