#include "storage/UnitOfWork.h"

#include <wx/wxsqlite3.h>

#include <map>
#include <memory>

#include "storage/Database.h"
#include "storage/StorageHooks.h"

namespace
{
int depth = 0;

// The outermost unit's connection and what was prepared on it; the
// statements go before the connection does.
std::unique_ptr<wxSQLite3Database> connection;
bool openFailed = false;
wxString openError;
// Statements sorted by length first: a batch's long statements are told
// apart without comparing their texts.
struct ShorterFirst
{
    bool operator()(const wxString& a, const wxString& b) const
    {
        return a.length() != b.length() ? a.length() < b.length() : a.compare(b) < 0;
    }
};
std::map<wxString, std::unique_ptr<wxSQLite3Statement>, ShorterFirst> prepared;

void CloseConnection()
{
    for (auto& entry : prepared)
    {
        try
        {
            if (entry.second)
                entry.second->Finalize();
        }
        catch (const wxSQLite3Exception&)
        {
            // Finalizing reports the last step's error again; the statement
            // is gone all the same.
        }
    }
    prepared.clear();
    if (connection)
    {
        try
        {
            if (connection->IsOpen())
                connection->Close();
        }
        catch (const wxSQLite3Exception&)
        {
            // Every statement is finished by now; the object goes regardless.
        }
        connection.reset();
    }
    openFailed = false;
    openError.clear();
}
} // namespace

UnitOfWork::UnitOfWork()
{
    ++depth;
    OpenReportScope();
}

UnitOfWork::~UnitOfWork()
{
    CloseReportScope();
    if (--depth == 0)
        CloseConnection();
}

bool UnitOfWork::IsActive()
{
    return depth > 0;
}

wxSQLite3Database* UnitOfWork::Connection()
{
    wxASSERT_MSG(depth > 0, "a unit's connection outside any unit");
    if (connection)
        return connection.get();
    if (openFailed)
        return nullptr;
    try
    {
        connection.reset(Database::Open());
    }
    catch (const wxSQLite3Exception& e)
    {
        openFailed = true;
        openError = Database::Reason(e);
        throw;
    }
    return connection.get();
}

const wxString& UnitOfWork::OpenError()
{
    return openError;
}

wxSQLite3Statement& UnitOfWork::Prepared(const wxString& sql)
{
    wxASSERT_MSG(connection, "prepared before the unit's connection was opened");
    std::unique_ptr<wxSQLite3Statement>& stmt = prepared[sql];
    if (!stmt)
        stmt.reset(new wxSQLite3Statement(connection->PrepareStatement(sql)));
    else
        stmt->ClearBindings();
    return *stmt;
}
