// Base of the table adapters. Every operation opens its own short-lived
// connection to <cwd>/data/Corvala.s3db, runs one statement and closes it.
// Database errors are reported through ReportError and never leave here.
#pragma once

#include <functional>
#include <wx/string.h>

class wxSQLite3Database;
class wxSQLite3ResultSet;
class wxSQLite3Statement;

class Adapter
{
public:
    using RowReader = std::function<void(wxSQLite3ResultSet& row)>;
    using Binder = std::function<void(wxSQLite3Statement& stmt)>;

    Adapter();
    Adapter(const Adapter&) = delete;
    Adapter& operator=(const Adapter&) = delete;
    virtual ~Adapter();

    // Full path of the database file below the current working directory.
    static wxString GetDatabasePath();

    // How long a statement waits for another program's lock before it
    // fails and is reported.
    static void SetBusyTimeout(int milliseconds);

    // Opens a fresh connection (closing any earlier one first). Throws
    // wxSQLite3Exception when the file cannot be opened; callers outside
    // this class use Query, Execute or ExecutePrepared, which catch it.
    void Open();
    void Close();

    // Runs one SELECT and calls onRow for each result row. Returns the number
    // of rows read, or -1 when the statement failed (the error is reported
    // once and the rows read before the failure stay delivered).
    int Query(const wxString& sql, const RowReader& onRow);

    // Runs one non-SELECT statement; the number of rows changed, 0 on error.
    int Execute(const wxString& sql);

    // Between these two, every statement runs on one connection inside one
    // transaction, so a batch of a thousand records costs one commit instead
    // of thousands. Statement errors are reported and the batch goes on, as
    // outside a batch. When the transaction cannot start, statements run on
    // their own connections as usual.
    void BeginBatch();
    void EndBatch();

protected:
    // Open, prepare, bind, execute, finish, close; inside BEGIN/COMMIT when
    // asked. Returns the rows changed, 0 on any database error (reported).
    int ExecutePrepared(const wxString& sql, const Binder& bind, bool inTransaction = false);

    wxSQLite3Database* db;

private:
    // What every failed statement does: close, report once, and check
    // whether a batch survived.
    void Fail(const wxString& message);

    // After a failed statement inside a batch: SQLite rolls the whole
    // transaction back on some errors (disk full, I/O); say so, and run the
    // rest of the batch statement by statement.
    void CheckBatchAfterError();

    bool inBatch = false;
};
