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
    constexpr bool required = true;
    static const QList<Table> tables{
        {.name = QStringLiteral("病人基本資料"),
         .columns = {{QStringLiteral("病歷號碼"), Text},
                     {QStringLiteral("姓名"), Text},
                     {QStringLiteral("性別"), YesNo}, // yes is male, no female
                     {QStringLiteral("出生年月日"), Text}}},
        {.name = QStringLiteral("藥品資料表"),
         .columns = {{QStringLiteral("藥品名稱"), Text}, {db::field::SerialNumber, Text}},
         // What the balance checks a line's weight against, and the day the drug expires.
         .optionalColumns = {{db::field::UnitWeight, Real},
                             {db::field::Tolerance, Real},
                             {db::field::Expiry, Day}}},
        {.name = QStringLiteral("領藥單"),
         .columns = {{QStringLiteral("配藥日期"), Text, required},
                     {QStringLiteral("領藥序號"), Text, required},
                     {QStringLiteral("病歷號碼"), Text}},
         .keyColumns = 2,
         .references = {{{QStringLiteral("病歷號碼")}, QStringLiteral("病人基本資料")}},
         .indexes = {{QStringLiteral("領藥單_配藥日期"), {QStringLiteral("配藥日期")}},
                     {QStringLiteral("領藥單_領藥序號"),
                      {QStringLiteral("領藥序號"), QStringLiteral("配藥日期")}}}},
        {.name = QStringLiteral("領藥明細"),
         .columns = {{QStringLiteral("配藥日期"), Text, required},
                     {QStringLiteral("領藥序號"), Text, required},
                     {QStringLiteral("項次"), WholeNumber, required},
                     {QStringLiteral("藥品名稱"), Text, required},
                     {QStringLiteral("數量"), WholeNumber},
                     {db::field::DispensingState, Text}},
         .keyColumns = 3,
         .references = {{{QStringLiteral("藥品名稱")}, QStringLiteral("藥品資料表")},
                        {{QStringLiteral("配藥日期"), QStringLiteral("領藥序號")},
                         QStringLiteral("領藥單")}}},
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
