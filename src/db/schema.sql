-- Worktide tables. Text columns are euckr: the client sends and reads CP949 bytes
-- and declares euckr for its connection. Dates of schedule entries are ten-character
-- texts so that the empty text can stand for "no date".

CREATE TABLE IF NOT EXISTS user (
    id        VARCHAR(32)  NOT NULL,
    name      VARCHAR(40)  NOT NULL DEFAULT '',
    level     SMALLINT     NOT NULL DEFAULT 0,
    password2 VARCHAR(64)  NOT NULL DEFAULT '',
    hidden    TINYINT      NOT NULL DEFAULT 0,
    groupcode INT          NOT NULL DEFAULT 1,
    PRIMARY KEY (id),
    KEY idx_user_name (name)
) ENGINE=InnoDB DEFAULT CHARSET=euckr COLLATE=euckr_korean_ci;

-- One address may be registered more than once; the first row found wins.
CREATE TABLE IF NOT EXISTS user_mac (
    seq      INT         NOT NULL AUTO_INCREMENT,
    user_id  VARCHAR(32) NOT NULL DEFAULT '',
    mac_addr VARCHAR(32) NOT NULL DEFAULT '',
    block    TINYINT     NOT NULL DEFAULT 0,
    PRIMARY KEY (seq),
    KEY idx_user_mac_addr (mac_addr)
) ENGINE=InnoDB DEFAULT CHARSET=euckr COLLATE=euckr_korean_ci;

CREATE TABLE IF NOT EXISTS worktide (
    seq      INT          NOT NULL AUTO_INCREMENT,
    wdate    DATE         NULL,
    devname  VARCHAR(40)  NOT NULL DEFAULT '',
    title    VARCHAR(255) NOT NULL DEFAULT '',
    details  TEXT         NULL,
    sdate    VARCHAR(10)  NOT NULL DEFAULT '',
    edate    VARCHAR(10)  NOT NULL DEFAULT '',
    finished TINYINT      NOT NULL DEFAULT 0,
    catename VARCHAR(40)  NOT NULL DEFAULT '',
    PRIMARY KEY (seq),
    -- month selection: owner, then the start-date range
    KEY idx_worktide_owner_sdate (devname, sdate),
    -- search list: owner, ordered by due date
    KEY idx_worktide_owner_edate (devname, edate)
) ENGINE=InnoDB DEFAULT CHARSET=euckr COLLATE=euckr_korean_ci;

CREATE TABLE IF NOT EXISTS worktide_cate (
    catename VARCHAR(40) NOT NULL DEFAULT '',
    devname  VARCHAR(40) NOT NULL DEFAULT '*',
    ordpos   INT         NOT NULL DEFAULT 0,
    PRIMARY KEY (devname, catename)
) ENGINE=InnoDB DEFAULT CHARSET=euckr COLLATE=euckr_korean_ci;
