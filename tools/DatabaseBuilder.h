// Creates the program's database file, optionally with demo data. The
// schema itself lives with the storage layer (DatabaseSchema), which also
// creates a new, empty address book when the user asks for one at start-up.
#pragma once

#include <wx/string.h>

class wxSQLite3Database;

class DatabaseBuilder
{
public:
    // Creates the file (and its folder) with the four tables and their
    // indexes; with demo, fills it with demo contacts, tags and history.
    // Refuses to touch an existing file. False with a message on failure.
    static bool Create(const wxString& path, bool demo, wxString* error);

    // The schema statements, run on an open, empty database.
    static void CreateSchema(wxSQLite3Database& db);
};

// Fills an open database that has the schema with demo data, in one
// transaction. The same seed gives the same data.
void FillDemoData(wxSQLite3Database& db, unsigned seed = 20101);
