#include "storage/Adapter.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include "storage/StorageHooks.h"

namespace
{
// Used only when the SQLite build can encrypt; Debian's cannot.
const char* const DATABASE_KEY = "velkrant";

// The wrapper's default is a minute per statement, and a search runs up to
// 102 of them: the window would freeze for over an hour behind a lock.
int busyTimeoutMs = 2000;
} // namespace

Adapter::Adapter() : db(nullptr) {}

Adapter::~Adapter()
{
    inBatch = false;
    Close();
}

wxString Adapter::GetDatabasePath()
{
    // Rebuilt at every open: it follows the working directory of the moment.
    return wxGetCwd() + wxFILE_SEP_PATH + "data" + wxFILE_SEP_PATH + "Corvala.s3db";
}

void Adapter::Open()
{
    if (inBatch && db)
        return;
    Close();
    const wxString path = GetDatabasePath();
    wxSQLite3Database::InitializeSQLite();
    db = new wxSQLite3Database();
    const wxString key = wxSQLite3Database::HasEncryptionSupport() ? wxString(DATABASE_KEY) : wxString();
    db->Open(path, key);
    db->SetBusyTimeout(busyTimeoutMs);
}

void Adapter::SetBusyTimeout(int milliseconds)
{
    busyTimeoutMs = milliseconds;
}

void Adapter::Close()
{
    if (!db || inBatch)
        return;
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
    int rows = 0;
    try
    {
        Open();
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
    int changed = 0;
    try
    {
        Open();
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
    int changed = 0;
    try
    {
        Open();
        // Inside a batch the batch's transaction covers the statement.
        inTransaction = inTransaction && !inBatch;
        if (inTransaction)
            db->Begin();
        {
            wxSQLite3Statement stmt = db->PrepareStatement(sql);
            bind(stmt);
            changed = stmt.ExecuteUpdate();
            stmt.Finalize();
        }
        if (inTransaction)
            db->Commit();
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

void Adapter::BeginBatch()
{
    if (inBatch)
        return;
    try
    {
        Open();
        // Immediate: a lock held by another program shows here, once, and
        // not in the middle of the batch.
        db->Begin(WXSQLITE_TRANSACTION_IMMEDIATE);
        inBatch = true;
    }
    catch (const wxSQLite3Exception&)
    {
        // Not an error of its own: each statement of the batch now opens
        // its own connection and reports what fails.
        Close();
    }
}

void Adapter::EndBatch()
{
    if (!inBatch)
        return;
    inBatch = false;
    try
    {
        if (db && db->IsOpen() && !db->GetAutoCommit())
            db->Commit();
    }
    catch (const wxSQLite3Exception& e)
    {
        Close();
        ReportError(e.GetMessage());
        return;
    }
    Close();
}

void Adapter::Fail(const wxString& message)
{
    Close();
    ReportError(message);
    CheckBatchAfterError();
}

void Adapter::CheckBatchAfterError()
{
    if (!inBatch || !db || !db->IsOpen() || !db->GetAutoCommit())
        return;
    inBatch = false;
    Close();
    ReportError(_("The changes made so far in this batch could not be kept and were undone."));
}
