#pragma once

#include <QString>

// A scratch database of the private test server, made fresh from the schema for
// one suite and dropped again when the object goes away. Names carry the process
// id so that test programs running at the same time never share one.
namespace worktide::test {

struct DbServer {
    static QString host(); // WORKTIDE_TEST_DB_HOST or 127.0.0.2 (scripts/dbserver)
    static int port();     // WORKTIDE_TEST_DB_PORT or 3306
    static QString user(); // the program's fixed account
    static QString password();
};

class ScratchDatabase {
public:
    // Creates wt_<suite>_<pid> with the schema loaded. Fails the test loudly
    // (throws) when the server cannot be reached.
    explicit ScratchDatabase(const QString& suite);
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const QString& name() const { return m_name; }

    // Runs statements on a connection of its own (not gDB); ';'-separated text is
    // split into statements. Throws on failure.
    void exec(const QString& sql) const;
    // First column of the first row, "" when there is none; NULL gives "<NULL>".
    QString scalar(const QString& sql) const;
    // Empties the four tables.
    void truncateAll() const;
    // Loads a .sql file (statements separated by ';' at line ends).
    void loadFile(const QString& path) const;

    // DBInit on this database: gDB is connected to it afterwards.
    bool connectGlobal() const;

private:
    QString m_name;
};

} // namespace worktide::test
