#include "storage/DismissedPairs.h"

#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include "storage/Adapter.h"
#include "storage/DbValues.h"
#include "storage/StorageHooks.h"

const char* const DismissedPairs::TABLE = "duplicate_dismissed";
const char* const DismissedPairs::CREATE_TABLE =
    "CREATE TABLE IF NOT EXISTS duplicate_dismissed ("
    " first_id INTEGER NOT NULL, second_id INTEGER NOT NULL, PRIMARY KEY (first_id, second_id))";

DismissedPairs::Pair DismissedPairs::Ordered(int a, int b)
{
    return a < b ? Pair(a, b) : Pair(b, a);
}

bool DismissedPairs::Exists(Adapter& adapter)
{
    return adapter.HasTable("duplicate_dismissed");
}

bool DismissedPairs::Add(Adapter& adapter, const std::vector<int>& ids)
{
    if (ids.size() < 2)
        return true;
    bool stored = adapter.BeginBatch();
    if (stored && !Exists(adapter))
    {
        // A book the start-up could not change: the table comes with the first pair.
        adapter.Execute(CREATE_TABLE);
    }
    for (size_t i = 0; stored && i < ids.size(); ++i)
    {
        for (size_t j = i + 1; stored && j < ids.size(); ++j)
        {
            const Pair pair = Ordered(ids[i], ids[j]);
            adapter.Execute(wxString::Format("insert or ignore into duplicate_dismissed (first_id, second_id) "
                                             "values (%d, %d);",
                                             pair.first, pair.second));
            stored = !adapter.BatchFailed();
        }
    }
    if (stored)
        stored = adapter.CommitBatch();
    if (!stored)
    {
        const wxString reason = adapter.BatchError();
        adapter.RollbackBatch();
        ReportError(_("The contacts could not be marked as not duplicates.") + "\n\n" + reason);
    }
    return stored;
}

bool DismissedPairs::ReadAll(Adapter& adapter, std::set<Pair>& pairs)
{
    if (!Exists(adapter))
        return !adapter.LastFailed();
    return adapter.Query("select first_id, second_id from duplicate_dismissed;", [&pairs](wxSQLite3ResultSet& row)
                         { pairs.insert(Ordered(ReadInt(row, 0), ReadInt(row, 1))); }) >= 0;
}

bool DismissedPairs::Delete(Adapter& adapter, int contactId)
{
    if (!Exists(adapter))
        return !adapter.LastFailed();
    adapter.Execute(wxString::Format("delete from duplicate_dismissed where first_id = %d or second_id = %d;",
                                     contactId, contactId));
    return !adapter.LastFailed();
}
