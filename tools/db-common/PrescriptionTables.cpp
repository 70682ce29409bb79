#include "PrescriptionTables.h"

namespace dbtools {

QString Table::insertHead() const {
    return QStringLiteral("INSERT INTO %1 (%2) VALUES ")
        .arg(name, columns.join(QStringLiteral(", ")));
}

const QList<Table>& prescriptionTables() {
    static const QList<Table> tables{
        {QStringLiteral("病人基本資料"),
         {QStringLiteral("病歷號碼"), QStringLiteral("姓名"), QStringLiteral("性別"),
          QStringLiteral("出生年月日")},
         1},
        {QStringLiteral("藥品資料表"),
         {QStringLiteral("藥品名稱"), QStringLiteral("SerialNumber")},
         1},
        {QStringLiteral("領藥單"),
         {QStringLiteral("配藥日期"), QStringLiteral("領藥序號"), QStringLiteral("病歷號碼")},
         2},
        {QStringLiteral("領藥明細"),
         {QStringLiteral("配藥日期"), QStringLiteral("領藥序號"), QStringLiteral("項次"),
          QStringLiteral("藥品名稱"), QStringLiteral("數量"), QStringLiteral("配藥情況")},
         3},
    };
    return tables;
}

} // namespace dbtools
