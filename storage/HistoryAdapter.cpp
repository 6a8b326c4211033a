#include "storage/HistoryAdapter.h"

#include <wx/wxsqlite3.h>

#include "storage/DbValues.h"
#include "storage/HistoryInfo.h"

int HistoryAdapter::InsertHistory(const wxString& sql, const HistoryInfo* history)
{
    return ExecutePrepared(sql,
                           [history](wxSQLite3Statement& stmt)
                           {
                               BindDateTime(stmt, 1, history->his_time);
                               stmt.Bind(2, history->contact_id);
                               stmt.Bind(3, history->comment);
                               stmt.Bind(4, history->his_type);
                           });
}

int HistoryAdapter::UpdateHistory(const wxString& sql, const HistoryInfo* history)
{
    return ExecutePrepared(sql,
                           [history](wxSQLite3Statement& stmt)
                           {
                               BindDateTime(stmt, 1, history->his_time);
                               stmt.Bind(2, history->comment);
                               stmt.Bind(3, history->id);
                           });
}
