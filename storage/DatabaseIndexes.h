// The indexes that serve the program's statements. The database tool creates
// them with the tables; at start-up the program adds to an existing file the
// ones it lacks, and changes nothing else in it.
#pragma once

#include <wx/string.h>

#include <functional>
#include <vector>

struct DatabaseIndex
{
    const char* name;
    const char* table;
    const char* columns; // as they stand between the parentheses
};

// Every index, in the order they are created.
const std::vector<DatabaseIndex>& DatabaseIndexes();

// "CREATE INDEX IF NOT EXISTS name ON table (columns)".
wxString CreateIndexStatement(const DatabaseIndex& index);

// Creates the indexes that the database file below the working directory
// lacks, on one connection and in one transaction; a file that has them all
// is only read. A file that cannot be changed (locked by another program,
// read-only, without the tables) is left as it is, without a word: the
// program works without the indexes, only slower, and its own statements
// report what is wrong with the file. Returns how many were created.
// beforeCreating, when given, is called once when some are missing, before
// they are created (on a large book that takes a few seconds).
int AddMissingIndexes(const std::function<void()>& beforeCreating = {});
