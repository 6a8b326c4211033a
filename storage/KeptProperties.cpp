#include "storage/KeptProperties.h"

#include <wx/wxsqlite3.h>

#include "storage/Adapter.h"
#include "storage/ContactInfoEx.h"
#include "storage/DbValues.h"

const char* const KeptProperties::TABLE = "contact_properties";
const char* const KeptProperties::CREATE_TABLE =
    "CREATE TABLE IF NOT EXISTS contact_properties ("
    " contact_id INTEGER NOT NULL, position INTEGER NOT NULL, line TEXT NOT NULL)";

// A book the start-up could not add the table to (read-only, locked) works
// as before: nothing is kept, and reading and deleting find nothing.
bool KeptProperties::Exists(Adapter& adapter)
{
    return adapter.HasTable("contact_properties");
}

bool KeptProperties::Insert(Adapter& adapter, const ContactInfoEx& contact)
{
    if (contact.keptProperties.empty() || !Exists(adapter))
        return true;
    for (size_t i = 0; i < contact.keptProperties.size(); ++i)
    {
        adapter.Execute(wxString::Format("insert into contact_properties (contact_id, position, line) values "
                                         "(%d, %d, '%s');",
                                         contact.id, static_cast<int>(i), EscapeSqlText(contact.keptProperties[i])));
        if (adapter.LastFailed())
            return false;
    }
    return true;
}

bool KeptProperties::Delete(Adapter& adapter, int contactId)
{
    if (!Exists(adapter))
        return !adapter.LastFailed();
    adapter.Execute(wxString::Format("delete from contact_properties where contact_id = %d;", contactId));
    return !adapter.LastFailed();
}

bool KeptProperties::Read(Adapter& adapter, int contactId, wxArrayString& lines)
{
    lines.clear();
    if (!Exists(adapter))
        return !adapter.LastFailed();
    return adapter.Query(wxString::Format(
                             "select line from contact_properties where contact_id = %d order by position;", contactId),
                         [&lines](wxSQLite3ResultSet& row) { lines.Add(ReadText(row, 0)); }) >= 0;
}

bool KeptProperties::Load(ContactInfoEx& contact)
{
    Adapter adapter;
    wxArrayString lines;
    const bool ok = Read(adapter, contact.id, lines);
    if (ok)
        contact.keptProperties = lines;
    return ok;
}

bool KeptProperties::ReadAll(Adapter& adapter, std::map<int, wxArrayString>& lines)
{
    if (!Exists(adapter))
        return !adapter.LastFailed();
    return adapter.Query("select contact_id, line from contact_properties order by contact_id, position;",
                         [&lines](wxSQLite3ResultSet& row) { lines[ReadInt(row, 0)].Add(ReadText(row, 1)); }) >= 0;
}
