#include "storage/Trash.h"

#include <wx/wxsqlite3.h>

#include "storage/Adapter.h"
#include "storage/ContactAdapter.h"
#include "storage/DbValues.h"
#include "storage/FindIndex.h"
#include "storage/KeptProperties.h"

namespace
{
// The contact's columns without a declared type, so that every value is
// kept exactly as it was stored (a number in a text column, text that is
// not UTF-8) and goes back the same.
wxString CreateContactsTable()
{
    wxString sql = "CREATE TABLE IF NOT EXISTS trash_contacts (id INTEGER PRIMARY KEY";
    for (int i = 1; i < 43; ++i)
        sql << ", " << ContactAdapter::COLUMNS[i];
    return sql + ", deleted_time TEXT)";
}

const char* const CREATE_LINKS = "CREATE TABLE IF NOT EXISTS trash_contact_tag (contact_id INTEGER, tag_id INTEGER)";
const char* const CREATE_HISTORY = "CREATE TABLE IF NOT EXISTS trash_contact_history (contact_id INTEGER, his_time, "
                                   "his_type, comment)";
const char* const CREATE_PROPERTIES = "CREATE TABLE IF NOT EXISTS trash_contact_properties (contact_id INTEGER, "
                                      "position, line)";

// The columns of a contact, with the id or without it.
wxString Columns(bool withId)
{
    wxString columns;
    for (int i = withId ? 0 : 1; i < 43; ++i)
        columns << (columns.empty() ? "" : ", ") << ContactAdapter::COLUMNS[i];
    return columns;
}

bool Run(Adapter& adapter, const wxString& sql)
{
    adapter.Execute(sql);
    return !adapter.LastFailed();
}

bool TablesExist(Adapter& adapter)
{
    return adapter.HasTable("trash_contacts");
}

int CountOf(Adapter& adapter, const wxString& sql)
{
    int count = -1;
    adapter.Query(sql, [&count](wxSQLite3ResultSet& row) { count = ReadInt(row, 0); });
    return adapter.LastFailed() ? -1 : count;
}
} // namespace

bool Trash::Keep(Adapter& adapter, int id, const wxDateTime& when)
{
    for (const wxString& sql :
         {CreateContactsTable(), wxString(CREATE_LINKS), wxString(CREATE_HISTORY), wxString(CREATE_PROPERTIES)})
    {
        if (!Run(adapter, sql))
            return false;
    }
    // What an earlier delete of the same id left (another program put the
    // contact back) makes way for the contact as it is now.
    if (!Discard(adapter, id))
        return false;
    const wxString columns = Columns(true);
    if (!Run(adapter, wxString::Format("insert into trash_contacts (%s, deleted_time) select %s, '%s' from contacts "
                                       "where id = %d;",
                                       columns, columns, FormatDbTime(when), id)))
        return false;
    // What a damaged book lacks cannot be kept, and does not stop the delete.
    const struct
    {
        const char* table;
        const char* copy;
    } belongings[] = {
        {"contact_tag", "insert into trash_contact_tag (contact_id, tag_id) select contact_id, tag_id from "
                        "contact_tag where contact_id = %d;"},
        {"contact_history", "insert into trash_contact_history (contact_id, his_time, his_type, comment) select "
                            "contact_id, his_time, his_type, comment from contact_history where contact_id = %d "
                            "order by id;"},
        {KeptProperties::TABLE, "insert into trash_contact_properties (contact_id, position, line) select "
                                "contact_id, position, line from contact_properties where contact_id = %d;"},
    };
    for (const auto& belonging : belongings)
    {
        if (adapter.HasTable(belonging.table) && !Run(adapter, wxString::Format(belonging.copy, id)))
            return false;
        if (adapter.LastFailed())
            return false;
    }
    return true;
}

int Trash::Restore(Adapter& adapter, int id)
{
    if (!TablesExist(adapter) ||
        CountOf(adapter, wxString::Format("select count(*) from trash_contacts where id = %d;", id)) != 1)
        return -1;
    const int taken = CountOf(adapter, wxString::Format("select count(*) from contacts where id = %d;", id));
    if (taken < 0)
        return -1;
    int restored = id;
    if (taken == 0)
    {
        const wxString columns = Columns(true);
        if (!Run(adapter, wxString::Format("insert into contacts (%s) select %s from trash_contacts where id = %d;",
                                           columns, columns, id)))
            return -1;
    }
    else
    {
        const wxString columns = Columns(false);
        if (!Run(adapter, wxString::Format("insert into contacts (%s) select %s from trash_contacts where id = %d;",
                                           columns, columns, id)))
            return -1;
        restored = CountOf(adapter, "select max(id) from contacts;");
    }
    if (restored < 0 ||
        !Run(adapter, wxString::Format("insert into contact_tag (contact_id, tag_id) select %d, tag_id from "
                                       "trash_contact_tag where contact_id = %d and tag_id in (select id from "
                                       "mst_tags);",
                                       restored, id)) ||
        !Run(adapter, wxString::Format("insert into contact_history (his_time, contact_id, his_type, comment) select "
                                       "his_time, %d, his_type, comment from trash_contact_history where contact_id "
                                       "= %d order by rowid;",
                                       restored, id)))
        return -1;
    if (CountOf(adapter, wxString::Format("select count(*) from trash_contact_properties where contact_id = %d;", id)) >
        0)
    {
        if (!Run(adapter, KeptProperties::CREATE_TABLE) ||
            !Run(adapter, wxString::Format("insert into contact_properties (contact_id, position, line) select %d, "
                                           "position, line from trash_contact_properties where contact_id = %d;",
                                           restored, id)))
            return -1;
    }
    if (!Discard(adapter, id) || !FindIndex::Reindex(adapter, restored))
        return -1;
    return restored;
}

bool Trash::Discard(Adapter& adapter, int id)
{
    if (!TablesExist(adapter))
        return !adapter.LastFailed();
    return Run(adapter, wxString::Format("delete from trash_contacts where id = %d;", id)) &&
           Run(adapter, wxString::Format("delete from trash_contact_tag where contact_id = %d;", id)) &&
           Run(adapter, wxString::Format("delete from trash_contact_history where contact_id = %d;", id)) &&
           Run(adapter, wxString::Format("delete from trash_contact_properties where contact_id = %d;", id));
}

bool Trash::List(Adapter& adapter, std::vector<Entry>& entries)
{
    entries.clear();
    if (!TablesExist(adapter))
        return !adapter.LastFailed();
    return adapter.Query("select id, last_name, first_name, company, deleted_time from trash_contacts order by "
                         "deleted_time desc, id desc;",
                         [&entries](wxSQLite3ResultSet& row)
                         {
                             Entry entry;
                             entry.id = ReadInt(row, 0);
                             entry.name = ReadText(row, 1) + " " + ReadText(row, 2);
                             entry.company = ReadText(row, 3);
                             entry.deleted = ReadDateTime(row, 4);
                             entries.push_back(entry);
                         }) >= 0;
}

bool Trash::DeletedBefore(Adapter& adapter, const wxDateTime& when, std::vector<int>& ids)
{
    ids.clear();
    if (!TablesExist(adapter))
        return !adapter.LastFailed();
    return adapter.Query(
               wxString::Format("select id from trash_contacts where deleted_time < '%s';", FormatDbTime(when)),
               [&ids](wxSQLite3ResultSet& row) { ids.push_back(ReadInt(row, 0)); }) >= 0;
}
