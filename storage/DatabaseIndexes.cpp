#include "storage/DatabaseIndexes.h"

#include <wx/wxsqlite3.h>

#include <set>

#include "storage/Adapter.h"
#include "storage/DismissedPairs.h"
#include "storage/FindIndex.h"
#include "storage/KeptProperties.h"
#include "storage/SyncStore.h"

namespace
{
// Opens the file the way every statement of the program does.
class IndexAdapter : public Adapter
{
public:
    wxSQLite3Database& Connection()
    {
        return *db;
    }
};

std::set<wxString> Names(wxSQLite3Database& db, const char* type)
{
    std::set<wxString> names;
    wxSQLite3Statement stmt = db.PrepareStatement("select name from sqlite_master where type = ?;");
    stmt.Bind(1, type);
    wxSQLite3ResultSet rs = stmt.ExecuteQuery();
    while (rs.NextRow())
        names.insert(rs.GetString(0));
    rs.Finalize();
    return names;
}
} // namespace

const std::vector<DatabaseIndex>& DatabaseIndexes()
{
    static const std::vector<DatabaseIndex> indexes = {
        // The order of every contact list.
        {"idx_contacts_last_name_alpha", "contacts", "last_name_alpha"},
        // The first-letter filter: LIKE ignores case, so only an index that
        // ignores case serves it; with the given name beside it, a letter
        // and a keyword together are checked without reading the rows.
        {"idx_contacts_last_name_alpha_nocase", "contacts", "last_name_alpha COLLATE NOCASE, first_name"},
        // The keyword filter matches anywhere in the given name, which no
        // index can seek: the count reads this small index instead of the
        // table, and the page, in list order, checks the name in the index
        // and reads only the rows that match.
        {"idx_contacts_first_name", "contacts", "first_name"},
        {"idx_contacts_last_name_alpha_first_name", "contacts", "last_name_alpha, first_name"},
        // The statistics totals.
        {"idx_contacts_birthday", "contacts", "birthday"},
        {"idx_contacts_sex", "contacts", "sex"},
        // Per-contact tag and history look-ups, per-tag counts and deletes.
        {"idx_contact_tag_contact", "contact_tag", "contact_id"},
        {"idx_contact_tag_tag", "contact_tag", "tag_id, contact_id"},
        {"idx_contact_history_contact", "contact_history", "contact_id, his_time"},
        {"idx_contact_history_time", "contact_history", "his_time"},
        {"idx_mst_tags_name", "mst_tags", "name"},
        // The kept properties of a contact, read and deleted with it.
        {"idx_contact_properties_contact", "contact_properties", "contact_id, position"},
    };
    return indexes;
}

wxString CreateIndexStatement(const DatabaseIndex& index)
{
    return wxString::Format("CREATE INDEX IF NOT EXISTS %s ON %s (%s)", index.name, index.table, index.columns);
}

int AddMissingIndexes(const std::function<void()>& beforeCreating)
{
    IndexAdapter adapter;
    int created = 0;
    try
    {
        adapter.Open();
        wxSQLite3Database& db = adapter.Connection();
        std::set<wxString> tables = Names(db, "table");
        const std::set<wxString> existing = Names(db, "index");
        // A book made before imports kept the properties without a field
        // gets their table too, in the same transaction.
        const bool addTable = tables.count("contacts") && !tables.count(KeptProperties::TABLE);
        if (addTable)
            tables.insert(KeptProperties::TABLE);
        // And one made before the search for duplicates, their table.
        const bool addDismissed = tables.count("contacts") && !tables.count(DismissedPairs::TABLE);
        // And one made before sync, the accounts and links.
        const bool addSync = tables.count("contacts") && !tables.count("sync_links");
        std::vector<const DatabaseIndex*> missing;
        for (const DatabaseIndex& index : DatabaseIndexes())
        {
            if (tables.count(index.table) && !existing.count(index.name))
                missing.push_back(&index);
        }
        // The find box's index, for a book made before it or changed by
        // another program since (contacts added or removed there).
        const bool fillFind = tables.count("contacts") && !FindIndex::IsComplete(db);
        if (!missing.empty() || addTable || addDismissed || addSync || fillFind)
        {
            if (beforeCreating)
                beforeCreating();
            db.Begin(WXSQLITE_TRANSACTION_IMMEDIATE);
            if (addTable)
                db.ExecuteUpdate(KeptProperties::CREATE_TABLE);
            if (addDismissed)
                db.ExecuteUpdate(DismissedPairs::CREATE_TABLE);
            if (addSync)
            {
                for (const char* sql : SyncStore::CREATE_TABLES)
                    db.ExecuteUpdate(sql);
            }
            for (const DatabaseIndex* index : missing)
                db.ExecuteUpdate(CreateIndexStatement(*index));
            if (fillFind)
            {
                db.ExecuteUpdate("DROP TABLE IF EXISTS contact_find");
                db.ExecuteUpdate(FindIndex::CREATE_TABLE);
                FindIndex::Rebuild(db);
            }
            db.Commit();
            created = static_cast<int>(missing.size());
        }
    }
    catch (const wxSQLite3Exception&)
    {
        // Closing without a commit leaves the file as it was.
        created = 0;
    }
    adapter.Close();
    return created;
}
