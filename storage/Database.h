// The one place that knows where the address book is and how a connection
// to it is opened: the path, the key, the busy timeout and the progress
// watch. The adapters, the unit of work and the schema checks all open
// their connections here.
#pragma once

#include <wx/string.h>

class wxSQLite3Database;
class wxSQLite3Exception;

namespace Database
{
// Full path of the database file below the current working directory,
// rebuilt at every call: it follows the working directory of the moment.
wxString Path();
// Makes Path() name this file instead (the database tool's --db); an empty
// path goes back to the one below the working directory.
void SetPath(const wxString& path);
// The key the file is opened with: empty when SQLite cannot encrypt.
wxString Key();

// How long a statement waits for another program's lock before it fails
// and is reported.
void SetBusyTimeout(int milliseconds);
int GetBusyTimeout();

// A new connection to the database file, with the key, the busy timeout
// and the statement progress watch (StorageHooks.h); the caller owns it.
// Throws wxSQLite3Exception when the file cannot be opened.
wxSQLite3Database* Open();

// The database's own words in a wrapper exception's message, without the
// code the wrapper puts first ("database is locked[5]: database is
// locked" gives "database is locked").
wxString Reason(const wxString& message);
// The one place that puts a database failure into words for the user: by
// the failure's code, naming the file ("The address book ... is locked by
// another program"), and the database's own words, without the wrapper's
// code, for the failures that have no words of ours.
wxString Reason(const wxSQLite3Exception& e);
} // namespace Database
