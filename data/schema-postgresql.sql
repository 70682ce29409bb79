-- The prescription database on a PostgreSQL server: the same tables, columns and keys as the
-- file's schema. Names are written unquoted, so the server keeps them as the station writes
-- them in its statements (SerialNumber is stored as serialnumber).
CREATE TABLE 病人基本資料 (
    病歷號碼 TEXT PRIMARY KEY,
    姓名 TEXT,
    性別 BOOLEAN, -- yes/no: true is male, false female
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

-- The station's Like compares regardless of case; on this server it is sent as lower(name) LIKE
-- lower(text), which these indexes serve.
CREATE INDEX 領藥單_配藥日期 ON 領藥單 (lower(配藥日期) text_pattern_ops);
CREATE INDEX 領藥單_領藥序號 ON 領藥單 (lower(領藥序號) text_pattern_ops, lower(配藥日期) text_pattern_ops);
