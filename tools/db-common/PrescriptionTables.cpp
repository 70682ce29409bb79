#include "PrescriptionTables.h"

#include "AuditTrail.h"
#include "PrescriptionFields.h"

namespace dbtools {

namespace {

QStringList namesOf(const QList<Column>& columns) {
    QStringList names;
    for (const Column& column : columns)
        names.append(column.name);
    return names;
}

} // namespace

QStringList Table::columnNames() const {
    return namesOf(columns);
}

QStringList Table::optionalColumnNames() const {
    return namesOf(optionalColumns);
}

QStringList Table::keyColumnNames() const {
    return columnNames().first(keyColumns);
}

const QList<Table>& prescriptionTables() {
    using enum ColumnKind;
    namespace field = db::field;
    constexpr bool required = true;
    static const QList<Table> tables{
        {.name = db::table::Patients,
         .columns = {{field::ChartNumber, Text},
                     {field::PatientName, Text},
                     {field::Sex, YesNo},
                     {field::Birth, Text}}},
        {.name = db::table::Drugs,
         .columns = {{field::DrugName, Text}, {field::SerialNumber, Text}},
         // What the balance checks a line's weight against, and the day the drug expires.
         .optionalColumns = {{field::UnitWeight, Real},
                             {field::Tolerance, Real},
                             {field::Expiry, Day}}},
        {.name = db::table::Orders,
         .columns = {{field::OrderDay, Text, required},
                     {field::Sequence, Text, required},
                     {field::ChartNumber, Text}},
         .keyColumns = 2,
         .references = {{{field::ChartNumber}, db::table::Patients}},
         .indexes = {{db::table::Orders + QStringLiteral("_") + field::OrderDay, {field::OrderDay}},
                     {db::table::Orders + QStringLiteral("_") + field::Sequence,
                      {field::Sequence, field::OrderDay}}}},
        {.name = db::table::Lines,
         .columns = {{field::OrderDay, Text, required},
                     {field::Sequence, Text, required},
                     {field::Item, WholeNumber, required},
                     {field::DrugName, Text, required},
                     {field::Quantity, WholeNumber},
                     {field::DispensingState, Text}},
         .keyColumns = 3,
         .references = {{{field::DrugName}, db::table::Drugs},
                        {{field::OrderDay, field::Sequence}, db::table::Orders}}},
    };
    return tables;
}

const Table& auditTable() {
    using enum ColumnKind;
    constexpr bool required = true;
    namespace audit = db::audit;
    static const Table table{
        .name = audit::Table,
        .columns = {{audit::Time, Moment, required},
                    {audit::Station, Text},
                    {audit::User, Text},
                    {audit::Event, Text, required},
                    {audit::Day, Text},
                    {audit::Sequence, Text},
                    {audit::Item, WholeNumber},
                    {audit::Drug, Text},
                    {audit::Serial, Text},
                    {audit::WeightShown, Text},
                    {audit::ExpectedGrams, Real},
                    {audit::Details, Text}},
        .keyColumns = 0,
        // For a day's report: an order's rows, and the rows of a span of time.
        .indexes = {
            {audit::Table + QStringLiteral("_") + audit::Day, {audit::Day, audit::Sequence}, false},
            {audit::Table + QStringLiteral("_") + audit::Time, {audit::Time}, false}}};
    return table;
}

const QList<Table>& allTables() {
    static const QList<Table> tables = prescriptionTables() + QList<Table>{auditTable()};
    return tables;
}

QStringList allOptionalColumnNames() {
    QStringList names;
    for (const Table& table : prescriptionTables())
        names.append(table.optionalColumnNames());
    return names;
}

} // namespace dbtools
