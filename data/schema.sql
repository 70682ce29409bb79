-- The prescription database. The station reads it and writes 配藥情況 only; the demo maker and the
-- tests create it from this file.
CREATE TABLE 病人基本資料 (
    病歷號碼 TEXT PRIMARY KEY,
    姓名 TEXT,
    性別 INTEGER, -- yes/no: 1 is male, 0 female
    出生年月日 TEXT
);

CREATE TABLE 藥品資料表 (
    藥品名稱 TEXT PRIMARY KEY,
    SerialNumber TEXT
);

CREATE TABLE 領藥單 (
    配藥日期 TEXT NOT NULL,
    領藥序號 TEXT NOT NULL,
    病歷號碼 TEXT REFERENCES 病人基本資料 (病歷號碼),
    PRIMARY KEY (配藥日期, 領藥序號)
);

CREATE TABLE 領藥明細 (
    配藥日期 TEXT NOT NULL,
    領藥序號 TEXT NOT NULL,
    項次 INTEGER NOT NULL,
    藥品名稱 TEXT NOT NULL REFERENCES 藥品資料表 (藥品名稱),
    數量 INTEGER,
    配藥情況 TEXT,
    PRIMARY KEY (配藥日期, 領藥序號, 項次),
    FOREIGN KEY (配藥日期, 領藥序號) REFERENCES 領藥單 (配藥日期, 領藥序號)
);

-- Like without wildcards compares regardless of case; these indexes let it use an index.
CREATE INDEX 領藥單_配藥日期 ON 領藥單 (配藥日期 COLLATE NOCASE);
CREATE INDEX 領藥單_領藥序號 ON 領藥單 (領藥序號 COLLATE NOCASE, 配藥日期 COLLATE NOCASE);
