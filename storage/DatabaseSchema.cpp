#include "storage/DatabaseSchema.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include "storage/Database.h"
#include "storage/DatabaseIndexes.h"
#include "storage/DismissedPairs.h"
#include "storage/FindIndex.h"
#include "storage/KeptProperties.h"
#include "storage/SyncStore.h"

namespace
{
// Integer affinity on the link columns matters: some deletes compare them
// with a quoted number. contact_tag has no id column: the tag search joins it
// with contacts and uses the bare name id.
const char* const SCHEMA[] = {
    "CREATE TABLE contacts ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " last_name TEXT, last_name_alpha TEXT, first_name TEXT, first_name_alpha TEXT,"
    " sex INTEGER, birthday TEXT,"
    " company TEXT, department TEXT, job_title TEXT,"
    " business_fax TEXT, business_fax_2 TEXT, business_phone TEXT, business_phone_2 TEXT,"
    " business_mobile TEXT, business_mobile_2 TEXT,"
    " business_street TEXT, business_street_2 TEXT, business_street_3 TEXT,"
    " business_im TEXT, business_im_2 TEXT, business_im_3 TEXT,"
    " home_fax TEXT, home_fax_2 TEXT, home_phone TEXT, home_phone_2 TEXT,"
    " home_mobile TEXT, home_mobile_2 TEXT,"
    " home_street TEXT, home_street_2 TEXT, home_street_3 TEXT,"
    " home_im TEXT, home_im_2 TEXT, home_im_3 TEXT,"
    " email TEXT, email_2 TEXT, webpage TEXT, webpage_2 TEXT, comment TEXT,"
    " latest_update_time TEXT, latest_update_user_id INTEGER,"
    " entry_time TEXT, entry_user_id INTEGER)",
    "CREATE TABLE contact_tag (contact_id INTEGER NOT NULL, tag_id INTEGER NOT NULL)",
    "CREATE TABLE mst_tags (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, display_order INTEGER)",
    "CREATE TABLE contact_history ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, his_time TEXT, contact_id INTEGER,"
    " his_type INTEGER, comment TEXT)",
    KeptProperties::CREATE_TABLE,
    DismissedPairs::CREATE_TABLE,
    FindIndex::CREATE_TABLE,
    SyncStore::CREATE_TABLES[0],
    SyncStore::CREATE_TABLES[1],
    SyncStore::CREATE_TABLES[2],
};
} // namespace

const char* const DatabaseSchema::TABLES[4] = {"contacts", "contact_tag", "mst_tags", "contact_history"};

void DatabaseSchema::Create(wxSQLite3Database& db)
{
    db.Begin();
    for (const char* sql : SCHEMA)
        db.ExecuteUpdate(sql);
    for (const DatabaseIndex& index : DatabaseIndexes())
        db.ExecuteUpdate(CreateIndexStatement(index));
    db.Commit();
}

DatabaseSchema::Check DatabaseSchema::CheckFile(const wxString& path)
{
    Check check;
    const wxFileName file(path);
    if (wxFileName::DirExists(file.GetPath()) && !file.Exists())
    {
        check.state = NO_FILE;
        return check;
    }
    if (file.FileExists() && file.GetSize() == 0)
    {
        check.state = EMPTY_FILE;
        return check;
    }
    try
    {
        wxSQLite3Database::InitializeSQLite();
        wxSQLite3Database db;
        // Never created here: a check leaves nothing behind.
        db.Open(path, Database::Key(), WXSQLITE_OPEN_READWRITE);
        db.SetBusyTimeout(Database::GetBusyTimeout());
        wxArrayString present;
        {
            wxSQLite3ResultSet rs = db.ExecuteQuery("select name from sqlite_master where type = 'table';");
            while (rs.NextRow())
                present.Add(rs.GetString(0).Lower());
            rs.Finalize();
        }
        db.Close();
        for (const char* table : TABLES)
        {
            if (present.Index(table) == wxNOT_FOUND)
                check.missing.Add(table);
        }
        check.state = check.missing.IsEmpty() ? READY : MISSING_TABLES;
    }
    catch (const wxSQLite3Exception& e)
    {
        check.state = UNUSABLE;
        check.error = Database::Reason(e);
    }
    return check;
}

bool DatabaseSchema::CreateEmpty(const wxString& path, wxString* error)
{
    const bool existed = wxFileName::FileExists(path);
    try
    {
        wxSQLite3Database::InitializeSQLite();
        wxSQLite3Database db;
        db.Open(path, Database::Key(), WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE);
        Create(db);
        db.Close();
    }
    catch (const wxSQLite3Exception& e)
    {
        if (error)
            *error = Database::Reason(e);
        if (!existed)
            wxRemoveFile(path);
        return false;
    }
    return true;
}
