// The database file's tables and indexes, and the check of a file before the
// program uses it. The program itself creates tables only when the user asks
// for a new, empty address book at start-up; the database tool uses the same
// statements.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

class wxSQLite3Database;

class DatabaseSchema
{
public:
    // The four tables every statement of the program relies on.
    static const char* const TABLES[4];

    enum FileState
    {
        READY,          // a database with the four tables
        NO_FILE,        // the folder exists, the file does not
        EMPTY_FILE,     // a file of zero bytes
        MISSING_TABLES, // a database without some of the tables (see missing)
        UNUSABLE        // cannot be opened or read: no folder, not a database, locked (see error)
    };

    struct Check
    {
        FileState state = UNUSABLE;
        wxArrayString missing;
        wxString error;
    };

    // Looks at the file once without changing it or creating anything.
    static Check CheckFile(const wxString& path);

    // Creates the tables and indexes in the missing or zero-byte file. On
    // failure nothing is left behind that was not there before, and error
    // says why.
    static bool CreateEmpty(const wxString& path, wxString* error);

    // The schema statements, in one transaction, on an open empty database.
    static void Create(wxSQLite3Database& db);
};
