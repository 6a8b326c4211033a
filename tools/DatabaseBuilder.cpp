#include "tools/DatabaseBuilder.h"

#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include "storage/DatabaseSchema.h"
#include "storage/FindIndex.h"

void DatabaseBuilder::CreateSchema(wxSQLite3Database& db)
{
    DatabaseSchema::Create(db);
}

bool DatabaseBuilder::Create(const wxString& path, bool demo, wxString* error)
{
    wxFileName file(path);
    if (file.FileExists() || wxFileName::DirExists(path))
    {
        if (error)
            *error = wxString::Format("%s already exists; it was left untouched.", path);
        return false;
    }
    if (!file.DirExists(file.GetPath()) && !wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
    {
        if (error)
            *error = wxString::Format("Cannot create the folder %s.", file.GetPath());
        return false;
    }
    try
    {
        wxSQLite3Database::InitializeSQLite();
        wxSQLite3Database db;
        db.Open(path, wxEmptyString, WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE);
        CreateSchema(db);
        if (demo)
        {
            FillDemoData(db);
            db.Begin();
            FindIndex::Rebuild(db);
            db.Commit();
        }
        db.Close();
    }
    catch (const wxSQLite3Exception& e)
    {
        if (error)
            *error = wxString::Format("Cannot create %s: %s", path, e.GetMessage());
        wxRemoveFile(path);
        return false;
    }
    return true;
}
