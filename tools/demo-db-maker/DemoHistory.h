#pragma once

#include "DemoContent.h"
#include "TransponderCatalogue.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QTimeZone>
#include <optional>

namespace demodb {

// One row of the audit table for an order; the order's day and sequence are the order's.
struct AuditEvent {
    QDateTime time; // local, with its offset from UTC
    QString station;
    QString user;
    QString event;
    std::optional<int> item;
    QString drugName;
    QString serialNumber;
    QString weightShown;
    std::optional<double> expectedGrams;
    QString details; // of a wrong container: the drug it holds
};

// The dispensing history of the demo's orders, as stations would have written it: an order with
// dispensed lines was opened by one user at one station, its lines were stored a minute or two
// apart, now and then after a wrong container, and it was completed when every line was stored,
// else stopped. The times fall in a working day. The same seed gives the same history, drawn apart
// from the content's own draws, which stay as they were.
class DemoHistory {
public:
    // withChecks: lines were weighed against the drugs' unit weights.
    DemoHistory(quint32 seed, const QList<CatalogueEntry>& catalogue, bool withChecks);

    // Empty for an order none of whose lines was dispensed.
    QList<AuditEvent> eventsOf(const Order& order, const QDate& day);

private:
    const CatalogueEntry& anotherContainer(const QString& serialNumber);
    QString weightOf(const OrderLine& line, AuditEvent& stored);

    QRandomGenerator random;
    QList<CatalogueEntry> containers;
    QHash<QString, QString> serialOf; // by drug name
    bool weighed;
    QTimeZone zone; // the local one
};

} // namespace demodb
