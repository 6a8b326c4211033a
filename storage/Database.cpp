#include "storage/Database.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <sqlite3.h>

#include <memory>

#include "storage/StorageHooks.h"

namespace
{
// Used only when the SQLite build can encrypt; Debian's cannot.
const char* const DATABASE_KEY = "velkrant";

// The wrapper's default is a minute per statement, and a search runs up to
// 102 of them: the window would freeze for over an hour behind a lock.
int busyTimeoutMs = 2000;

wxString chosenPath;

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

void Database::SetPath(const wxString& path)
{
    chosenPath = path.empty() ? path : wxFileName(path).GetAbsolutePath();
}

wxString Database::Path()
{
    if (!chosenPath.empty())
        return chosenPath;
    return wxGetCwd() + wxFILE_SEP_PATH + "data" + wxFILE_SEP_PATH + "Corvala.s3db";
}

wxString Database::Key()
{
    return wxSQLite3Database::HasEncryptionSupport() ? wxString(DATABASE_KEY) : wxString();
}

void Database::SetBusyTimeout(int milliseconds)
{
    busyTimeoutMs = milliseconds;
}

int Database::GetBusyTimeout()
{
    return busyTimeoutMs;
}

wxSQLite3Database* Database::Open()
{
    const wxString path = Path();
    wxSQLite3Database::InitializeSQLite();
    std::unique_ptr<WatchedDatabase> connection(new WatchedDatabase());
    connection->Open(path, Key());
    connection->SetBusyTimeout(busyTimeoutMs);
    connection->WatchProgress();
    return connection.release();
}

wxString Database::Reason(const wxString& message)
{
    const int pos = message.Find("]: ");
    return pos == wxNOT_FOUND ? message : message.Mid(pos + 3);
}

wxString Database::Reason(const wxSQLite3Exception& e)
{
    // Primary codes: every extended code of a kind (a read-only file, a
    // read-only folder's journal, a recovery) carries its kind's words.
    switch (e.GetExtendedErrorCode() & 0xff)
    {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return wxString::Format(_("The address book %s is locked by another program"), Path());
    case SQLITE_READONLY:
        return wxString::Format(_("The address book %s is read-only"), Path());
    case SQLITE_FULL:
        return wxString::Format(_("The disk holding the address book %s is full"), Path());
    default:
        return Reason(e.GetMessage());
    }
}
