#include "storage/KeptProperties.h"

#include <wx/wxsqlite3.h>

#include "storage/Adapter.h"
#include "storage/ContactInfoEx.h"
#include "storage/DbValues.h"

const char* const KeptProperties::TABLE = "contact_properties";
const char* const KeptProperties::CREATE_TABLE =
    "CREATE TABLE IF NOT EXISTS contact_properties ("
    " contact_id INTEGER NOT NULL, position INTEGER NOT NULL, line TEXT NOT NULL)";

bool KeptProperties::Insert(Adapter& adapter, const ContactInfoEx& contact)
{
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

wxString KeptProperties::DeleteStatement(int contactId)
{
    return wxString::Format("delete from contact_properties where contact_id = %d;", contactId);
}

bool KeptProperties::ReadAll(Adapter& adapter, std::map<int, wxArrayString>& lines)
{
    return adapter.Query("select contact_id, line from contact_properties order by contact_id, position;",
                         [&lines](wxSQLite3ResultSet& row) { lines[ReadInt(row, 0)].Add(ReadText(row, 1)); }) >= 0;
}
