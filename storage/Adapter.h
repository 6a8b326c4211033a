// Base of the table adapters. Inside a unit of work (UnitOfWork.h) every
// statement runs on the unit's one connection to the file (Database.h);
// outside one, each operation opens its own short-lived connection, runs
// one statement and closes it. A write batch is a unit of work of its own,
// with one transaction for its length. Database errors are reported
// through ReportError and never leave here.
#pragma once

#include <functional>
#include <memory>
#include <wx/string.h>

class wxSQLite3Database;
class wxSQLite3ResultSet;
class wxSQLite3Statement;
class UnitOfWork;

class Adapter
{
public:
    using RowReader = std::function<void(wxSQLite3ResultSet& row)>;
    using Binder = std::function<void(wxSQLite3Statement& stmt)>;

    Adapter();
    Adapter(const Adapter&) = delete;
    Adapter& operator=(const Adapter&) = delete;
    virtual ~Adapter();

    // Inside a unit of work: takes the unit's connection (opening it on the
    // unit's first statement). Outside one: opens a fresh connection,
    // closing any earlier one first. Throws wxSQLite3Exception when the
    // file cannot be opened, and leaves db null when the unit's connection
    // failed to open earlier (that failure was reported then). Callers
    // outside this class use Query, Execute or ExecutePrepared, which catch
    // the exception.
    void Open();
    // Closes a connection of the adapter's own, or lets go of the unit's.
    void Close();

    // Runs one SELECT and calls onRow for each result row. Returns the number
    // of rows read, or -1 when the statement failed (the error is reported
    // once and the rows read before the failure stay delivered).
    int Query(const wxString& sql, const RowReader& onRow);

    // Runs one non-SELECT statement; the number of rows changed, 0 on error.
    int Execute(const wxString& sql);
    // Whether the file has a table of that name (an older book may lack the
    // tables added since). False as well when the read failed.
    bool HasTable(const char* name);
    // The same with its values bound; prepared once per unit of work.
    int ExecuteBound(const wxString& sql, const Binder& bind)
    {
        return ExecutePrepared(sql, bind);
    }

    // Whether the last Query, Execute or prepared statement failed. A
    // statement can succeed and change no row; this tells the two apart.
    bool LastFailed() const
    {
        return lastFailed;
    }
    // The row id the last prepared statement inserted on its connection
    // (0 when it failed or inserted nothing).
    long long LastInsertId() const
    {
        return lastInsertId;
    }

    // A write batch, stored entirely or not at all. Between BeginBatch and
    // CommitBatch (or RollbackBatch) a unit of work is alive, and every
    // statement runs on its connection inside one transaction. Inside a batch a failed
    // statement is not reported: it rolls the whole batch back, every later
    // statement of the batch does nothing and fails, and the caller reports
    // the batch once, with BatchError() as the database's reason.
    // BeginBatch is false when the transaction cannot start (a lock held by
    // another program, a read-only file); CommitBatch is false when a
    // statement failed or the commit did, and nothing of the batch is then
    // left in the file.
    bool BeginBatch();
    bool CommitBatch();
    void RollbackBatch();
    bool InBatch() const
    {
        return inBatch;
    }
    bool BatchFailed() const
    {
        return batchFailed;
    }
    const wxString& BatchError() const
    {
        return batchError;
    }

protected:
    // Open, prepare, bind, execute, finish, close; inside BEGIN/COMMIT when
    // asked. Returns the rows changed, 0 on any database error (reported).
    // Inside a unit of work the statement is prepared once per unit and
    // reused for every later run of the same text.
    int ExecutePrepared(const wxString& sql, const Binder& bind, bool inTransaction = false);

    // The connection of the statement that is running; null otherwise.
    wxSQLite3Database* db;

private:
    // Open, and whether there is a connection to run a statement on. False
    // when the unit's connection could not be opened earlier: the statement
    // then fails without a report of its own.
    bool Connect();
    // What every failed statement does: outside a batch, undo a transaction
    // of its own, let go of the connection and report once; inside one,
    // undo the batch and keep the reason for its caller.
    void Fail(const wxString& message);
    void EndBatch();
    void CloseConnection();

    bool ownsConnection = false;
    // Set while a transaction that this adapter began for one statement is
    // open; another adapter's batch on the same connection is never undone
    // by a failure here.
    bool ownTransaction = false;
    std::unique_ptr<UnitOfWork> batchUnit;
    bool inBatch = false;
    bool batchFailed = false;
    bool lastFailed = false;
    long long lastInsertId = 0;
    wxString batchError;
};
