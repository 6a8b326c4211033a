#include "storage/Adapter.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <memory>

#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

namespace
{
// Used only when the SQLite build can encrypt; Debian's cannot.
const char* const DATABASE_KEY = "velkrant";

// The wrapper's default is a minute per statement, and a search runs up to
// 102 of them: the window would freeze for over an hour behind a lock.
int busyTimeoutMs = 2000;

// A connection whose long statements let the application keep its window
// painting (StorageHooks.h).
class WatchedDatabase : public wxSQLite3Database
{
public:
    void WatchProgress()
    {
        WatchStatementProgress(GetDatabaseHandle());
    }
};
} // namespace

wxString Adapter::Reason(const wxString& message)
{
    const int pos = message.Find("]: ");
    return pos == wxNOT_FOUND ? message : message.Mid(pos + 3);
}

Adapter::Adapter() : db(nullptr) {}

Adapter::~Adapter()
{
    // A batch its caller never finished is not kept.
    if (inBatch)
        RollbackBatch();
    CloseConnection();
}

wxString Adapter::GetDatabasePath()
{
    // Rebuilt at every open: it follows the working directory of the moment.
    return wxGetCwd() + wxFILE_SEP_PATH + "data" + wxFILE_SEP_PATH + "Corvala.s3db";
}

wxString Adapter::GetDatabaseKey()
{
    return wxSQLite3Database::HasEncryptionSupport() ? wxString(DATABASE_KEY) : wxString();
}

wxSQLite3Database* Adapter::OpenDatabase()
{
    const wxString path = GetDatabasePath();
    wxSQLite3Database::InitializeSQLite();
    std::unique_ptr<WatchedDatabase> connection(new WatchedDatabase());
    connection->Open(path, GetDatabaseKey());
    connection->SetBusyTimeout(busyTimeoutMs);
    connection->WatchProgress();
    return connection.release();
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
    db = OpenDatabase();
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

void Adapter::SetBusyTimeout(int milliseconds)
{
    busyTimeoutMs = milliseconds;
}

int Adapter::GetBusyTimeout()
{
    return busyTimeoutMs;
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
        Fail(e.GetMessage());
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
        Fail(e.GetMessage());
        return 0;
    }
    Close();
    return changed;
}

int Adapter::ExecutePrepared(const wxString& sql, const Binder& bind, bool inTransaction)
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
        if (inTransaction)
        {
            db->Commit();
            ownTransaction = false;
        }
    }
    catch (const wxSQLite3Exception& e)
    {
        // Closing without a commit discards an open transaction.
        Fail(e.GetMessage());
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
            batchError = Reason(UnitOfWork::OpenError());
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
        batchError = Reason(e.GetMessage());
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
            batchError = Reason(e.GetMessage());
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
            batchError = Reason(e.GetMessage());
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
        batchError = Reason(message);
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
