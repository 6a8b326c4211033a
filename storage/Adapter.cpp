#include "storage/Adapter.h"

#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <memory>

#include "storage/Database.h"
#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

Adapter::Adapter() : db(nullptr) {}

Adapter::~Adapter()
{
    // A batch its caller never finished is not kept.
    if (inBatch)
        RollbackBatch();
    CloseConnection();
}

void Adapter::Open()
{
    if (UnitOfWork::IsActive())
    {
        if (ownsConnection)
            CloseConnection();
        db = UnitOfWork::Connection();
        return;
    }
    CloseConnection();
    db = Database::Open();
    ownsConnection = true;
}

bool Adapter::Connect()
{
    Open();
    if (db)
        return true;
    lastFailed = true;
    return false;
}

void Adapter::Close()
{
    // The batch's connection lives until the batch ends.
    if (!inBatch)
        CloseConnection();
}

void Adapter::CloseConnection()
{
    if (!db)
        return;
    if (!ownsConnection)
    {
        // The unit's connection: it closes when the unit ends.
        db = nullptr;
        return;
    }
    ownsConnection = false;
    try
    {
        if (db->IsOpen())
            db->Close();
    }
    catch (const wxSQLite3Exception&)
    {
        // Closing fails only with unfinished statements, which every
        // operation finishes first; the connection object goes regardless.
    }
    delete db;
    db = nullptr;
}

int Adapter::Query(const wxString& sql, const RowReader& onRow)
{
    lastFailed = false;
    if (batchFailed)
    {
        lastFailed = true;
        return -1;
    }
    int rows = 0;
    try
    {
        if (!Connect())
            return -1;
        wxSQLite3ResultSet rs = db->ExecuteQuery(sql);
        while (rs.NextRow())
        {
            onRow(rs);
            ++rows;
        }
        rs.Finalize();
    }
    catch (const wxSQLite3Exception& e)
    {
        Fail(Database::Reason(e));
        return -1;
    }
    Close();
    return rows;
}

int Adapter::Execute(const wxString& sql)
{
    lastFailed = false;
    if (batchFailed)
    {
        lastFailed = true;
        return 0;
    }
    int changed = 0;
    try
    {
        if (!Connect())
            return 0;
        changed = db->ExecuteUpdate(sql);
    }
    catch (const wxSQLite3Exception& e)
    {
        Fail(Database::Reason(e));
        return 0;
    }
    Close();
    return changed;
}

bool Adapter::HasTable(const char* name)
{
    bool exists = false;
    Query(wxString::Format("select 1 from sqlite_master where type = 'table' and name = '%s';", name),
          [&exists](wxSQLite3ResultSet&) { exists = true; });
    return exists;
}

int Adapter::ExecutePrepared(const wxString& sql, const Binder& bind, bool inTransaction)
{
    lastFailed = false;
    lastInsertId = 0;
    if (batchFailed)
    {
        lastFailed = true;
        return 0;
    }
    int changed = 0;
    try
    {
        if (!Connect())
            return 0;
        // Inside a batch the batch's transaction covers the statement.
        inTransaction = inTransaction && !inBatch;
        if (inTransaction)
        {
            db->Begin();
            ownTransaction = true;
        }
        if (UnitOfWork::IsActive())
        {
            // A batch runs the same insert or update for every record.
            wxSQLite3Statement& stmt = UnitOfWork::Prepared(sql);
            bind(stmt);
            changed = stmt.ExecuteUpdate();
        }
        else
        {
            wxSQLite3Statement stmt = db->PrepareStatement(sql);
            bind(stmt);
            changed = stmt.ExecuteUpdate();
            stmt.Finalize();
        }
        if (changed > 0)
            lastInsertId = db->GetLastRowId().GetValue();
        if (inTransaction)
        {
            db->Commit();
            ownTransaction = false;
        }
    }
    catch (const wxSQLite3Exception& e)
    {
        // Closing without a commit discards an open transaction.
        Fail(Database::Reason(e));
        return 0;
    }
    Close();
    return changed;
}

bool Adapter::BeginBatch()
{
    if (inBatch)
        return !batchFailed;
    batchFailed = false;
    batchError.clear();
    // The batch is a unit of work: one connection from its first statement
    // to its commit, whatever units its caller holds.
    batchUnit.reset(new UnitOfWork());
    try
    {
        if (!Connect())
            batchError = Database::Reason(UnitOfWork::OpenError());
        else
        {
            // Immediate: a lock held by another program, or a file that
            // cannot be written, shows here, once, before anything of the
            // batch runs.
            db->Begin(WXSQLITE_TRANSACTION_IMMEDIATE);
            inBatch = true;
            return true;
        }
    }
    catch (const wxSQLite3Exception& e)
    {
        batchError = Database::Reason(e);
    }
    CloseConnection();
    batchUnit.reset();
    return false;
}

bool Adapter::CommitBatch()
{
    if (!inBatch)
        return false;
    if (!batchFailed)
    {
        try
        {
            db->Commit();
            EndBatch();
            return true;
        }
        catch (const wxSQLite3Exception& e)
        {
            // Typically another program reading the file: the transaction
            // is still open and is undone below.
            batchFailed = true;
            batchError = Database::Reason(e);
        }
    }
    RollbackBatch();
    return false;
}

void Adapter::RollbackBatch()
{
    if (!inBatch)
        return;
    try
    {
        // Some errors (disk full, I/O) have undone the transaction already.
        if (db && db->IsOpen() && !db->GetAutoCommit())
            db->Rollback();
    }
    catch (const wxSQLite3Exception& e)
    {
        // Closing the connection discards whatever is left of it.
        if (batchError.empty())
            batchError = Database::Reason(e);
    }
    EndBatch();
}

void Adapter::EndBatch()
{
    inBatch = false;
    batchFailed = false;
    CloseConnection();
    batchUnit.reset();
}

void Adapter::Fail(const wxString& message)
{
    lastFailed = true;
    if (!inBatch)
    {
        if (ownTransaction)
        {
            ownTransaction = false;
            try
            {
                if (db && db->IsOpen() && !db->GetAutoCommit())
                    db->Rollback();
            }
            catch (const wxSQLite3Exception&)
            {
                // Closing the connection discards it; a unit's connection
                // closes when the unit ends.
            }
        }
        CloseConnection();
        ReportError(message);
        return;
    }
    // The first failure decides; the batch is undone at once so that no
    // later statement can run outside its transaction.
    if (!batchFailed)
    {
        batchFailed = true;
        batchError = Database::Reason(message);
        try
        {
            if (db && db->IsOpen() && !db->GetAutoCommit())
                db->Rollback();
        }
        catch (const wxSQLite3Exception&)
        {
            // The connection is closed when the batch ends; that discards it.
        }
    }
}
