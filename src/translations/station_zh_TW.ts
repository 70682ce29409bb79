<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="en">
<context>
    <name>DispensingCheck</name>
    <message>
        <source>Weigh %1 g (%2 - %3 g)</source>
        <translation>應秤 %1 克 (%2 - %3 克)</translation>
    </message>
    <message>
        <source>數量 of line %1 is not a count to weigh</source>
        <translation>項次 %1 的數量不是可秤的數量</translation>
    </message>
    <message>
        <source>Warning!! Wrong weight!!</source>
        <translation>警告!! 重量不符!!</translation>
    </message>
    <message>
        <source>Warning!! Expired drug!!</source>
        <translation>警告!! 藥品過期!!</translation>
    </message>
    <message>
        <source>Clear the pan first: the last line&apos;s weight is still on it</source>
        <translation>請先清空秤盤: 上一項的重量仍在秤上</translation>
    </message>
</context>
<context>
    <name>DispensingReport</name>
    <message>
        <source>Lines stored per hour</source>
        <translation>每小時配藥完成的品項</translation>
    </message>
    <message>
        <source>hour of the day</source>
        <translation>一天中的時刻（時）</translation>
    </message>
    <message>
        <source>%1 (order %2 of %3)</source>
        <translation>%1（%3 的領藥序號 %2）</translation>
    </message>
    <message>
        <source>Orders</source>
        <translation>領藥單</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>藥品品項</translation>
    </message>
    <message>
        <source>Lines dispensed (%1)</source>
        <translation>已配藥的品項（%1）</translation>
    </message>
    <message>
        <source>Orders completed</source>
        <translation>全部完成的領藥單</translation>
    </message>
    <message>
        <source>Wrong containers presented</source>
        <translation>拿錯藥品的次數</translation>
    </message>
    <message>
        <source>Median time from opening an order to completing it</source>
        <translation>從開始配藥到全部完成的時間（中位數）</translation>
    </message>
    <message>
        <source>Longest time from opening an order to completing it</source>
        <translation>從開始配藥到全部完成的最長時間</translation>
    </message>
    <message>
        <source>Lines stored</source>
        <translation>配藥完成的品項</translation>
    </message>
    <message>
        <source>Wrong containers</source>
        <translation>拿錯藥品</translation>
    </message>
    <message>
        <source>Per station</source>
        <translation>各工作站</translation>
    </message>
    <message>
        <source>Per user</source>
        <translation>各使用者</translation>
    </message>
    <message>
        <source>Dispensing report, %1</source>
        <translation>配藥報表，%1</translation>
    </message>
    <message>
        <source>Dispensing report, %1 to %2</source>
        <translation>配藥報表，%1 至 %2</translation>
    </message>
    <message>
        <source>The report&apos;s days are not valid days</source>
        <translation>報表的日期不是有效的日期</translation>
    </message>
    <message>
        <source>The first day %1 is after the last day %2</source>
        <translation>第一天 %1 在最後一天 %2 之後</translation>
    </message>
    <message>
        <source>A report covers at most %1 days</source>
        <translation>一份報表最多涵蓋 %1 天</translation>
    </message>
    <message>
        <source>The database has no audit table %1 (or it lacks columns): the columns %2 could not be filled, nor the figures that count its rows.</source>
        <translation>資料庫沒有稽核資料表 %1（或缺少欄位）：欄位 %2 無法填入，依其資料列計算的數字也無法得出。</translation>
    </message>
</context>
<context>
    <name>DispensingReportTool</name>
    <message>
        <source>%1: no such database file</source>
        <translation>%1：沒有這個資料庫檔案</translation>
    </message>
    <message>
        <source>cannot write to standard output</source>
        <translation>無法寫入標準輸出</translation>
    </message>
    <message>
        <source>Reports a day&apos;s dispensing from the prescription database and its audit trail: each order&apos;s lines with who stored them, where, when and with what weight; the figures per station and per user; the times from opening an order to completing it; the lines stored per hour. Exits 0 when the report is complete, 2 when it was written without the audit trail (the database has no table 配藥紀錄), 1 on an error (nothing written).</source>
        <translation>從處方資料庫與其稽核紀錄產生一天的配藥報表：每張領藥單的品項由誰、在哪裡、何時、以多少重量完成配藥；各工作站與各使用者的數字；從開始配藥到全部完成的時間；每小時配藥完成的品項。報表完整時結束碼為 0，沒有稽核紀錄而寫出時（資料庫沒有資料表 配藥紀錄）為 2，發生錯誤時為 1（什麼都不寫）。</translation>
    </message>
    <message>
        <source>The database file (default: 藥袋正規化.db in the working folder).</source>
        <translation>資料庫檔案（預設：工作資料夾中的 藥袋正規化.db）。</translation>
    </message>
    <message>
        <source>A PostgreSQL database instead: a libpq connection text (&quot;host=db1 dbname=pharmacy&quot;) or a service name.</source>
        <translation>改用 PostgreSQL 資料庫：libpq 連線文字（&quot;host=db1 dbname=pharmacy&quot;）或服務名稱。</translation>
    </message>
    <message>
        <source>The day to report, yyyy-MM-dd or today (default: today).</source>
        <translation>報表的日期，yyyy-MM-dd 或 today（預設：today，即今天）。</translation>
    </message>
    <message>
        <source>The first day of a span to report, with --to (at most 366 days).</source>
        <translation>報表期間的第一天，與 --to 一起使用（最多 366 天）。</translation>
    </message>
    <message>
        <source>The last day of the span.</source>
        <translation>報表期間的最後一天。</translation>
    </message>
    <message>
        <source>csv (one row per line, for spreadsheets), html (default) or pdf.</source>
        <translation>csv（每個品項一列，供試算表使用）、html（預設）或 pdf。</translation>
    </message>
    <message>
        <source>The file to write (default: standard output; pdf needs one).</source>
        <translation>要寫入的檔案（預設：標準輸出；pdf 必須指定檔案）。</translation>
    </message>
    <message>
        <source>--%1 &quot;%2&quot; is not a day: write it yyyy-MM-dd, or today</source>
        <translation>--%1「%2」不是日期：請寫成 yyyy-MM-dd 或 today</translation>
    </message>
    <message>
        <source>--format &quot;%1&quot; is not one of csv, html, pdf</source>
        <translation>--format「%1」不是 csv、html、pdf 之一</translation>
    </message>
    <message>
        <source>--file and --server name two databases: give one</source>
        <translation>--file 與 --server 指定了兩個資料庫：請只給一個</translation>
    </message>
    <message>
        <source>--server takes a connection text or service name</source>
        <translation>--server 需要連線文字或服務名稱</translation>
    </message>
    <message>
        <source>--day and --from/--to both name days: give one</source>
        <translation>--day 與 --from/--to 都指定了日期：請只給一種</translation>
    </message>
    <message>
        <source>--from and --to go together</source>
        <translation>--from 與 --to 必須一起使用</translation>
    </message>
    <message>
        <source>--format pdf needs --output FILE</source>
        <translation>--format pdf 需要 --output 檔案</translation>
    </message>
</context>
<context>
    <name>DrugChecks</name>
    <message>
        <source>%1 of %2 is not usable: &quot;%3&quot;</source>
        <translation>%2 的 %1 無法使用：「%3」</translation>
    </message>
</context>
<context>
    <name>ErrorGuard</name>
    <message>
        <source>Unknown error</source>
        <translation>未知的錯誤</translation>
    </message>
</context>
<context>
    <name>ReaderIniSteps</name>
    <message>
        <source>Cannot save the port settings in %1</source>
        <translation>無法把通訊埠設定存入 %1</translation>
    </message>
</context>
<context>
    <name>ReportWindow</name>
    <message>
        <source>Save as PDF...</source>
        <translation>另存為 PDF...</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>報表</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>The report of %1 could not be read: %2</source>
        <translation>無法讀取 %1 的報表：%2</translation>
    </message>
    <message>
        <source>Save as PDF</source>
        <translation>另存為 PDF</translation>
    </message>
    <message>
        <source>dispensing-report-%1.pdf</source>
        <translation>配藥報表-%1.pdf</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF 檔案 (*.pdf)</translation>
    </message>
</context>
<context>
    <name>StationEvents</name>
    <message>
        <source>The audit trail cannot be written to the database: %1
Dispensing goes on; the journal file keeps every event.</source>
        <translation>無法把稽核紀錄寫入資料庫：%1
配藥照常進行；日誌檔保留每一個事件。</translation>
    </message>
</context>
<context>
    <name>TForm_Main</name>
    <message>
        <source>&amp;Report...</source>
        <translation>報表(&amp;R)...</translation>
    </message>
</context>
</TS>
