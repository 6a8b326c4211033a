// Value encodings shared by every table: date-times as local-time text,
// NULL for an invalid date-time, user texts as quoted SQL literals. Rows
// written by other tools are read leniently, and what this program would not
// write back the same way is kept exactly as it was read.
#pragma once

#include <wx/datetime.h>
#include <wx/longlong.h>
#include <wx/string.h>

#include <map>
#include <string>

class wxSQLite3Statement;
class wxSQLite3ResultSet;

extern const char* const DB_TIME_FORMAT; // "%Y-%m-%d %H:%M:%S"

wxString FormatDbTime(const wxDateTime& time);
// Every form SQLite's own date functions accept: "YYYY-MM-DD", with
// " HH:MM", ":SS" and a fraction, a "T" for the space, a "Z" or "+HH:MM"
// zone (applied, as SQLite applies it), "HH:MM[:SS]" alone, and a Julian day
// number. The result is what SQLite's datetime() gives, as a local time.
// Anything else gives an invalid date-time.
wxDateTime ParseDbTime(const wxString& text);
// The same for a Julian day number stored as a number.
wxDateTime JulianDayToDateTime(double julianDay);
// The current local time with one-second resolution.
wxDateTime NowToSecond();

// Doubles every apostrophe, so the text can stand between quotes in SQL.
wxString EscapeSqlText(const wxString& text);
// Puts a backslash before "%", "_" and itself, so that a LIKE pattern with
// ESCAPE '\' matches the text as typed.
wxString EscapeLikePattern(const wxString& text);

// Text from bytes that should be UTF-8 but may not be (written by another
// tool): valid sequences are decoded as UTF-8, every other byte as the
// system's legacy code page would show it (Windows-1252 when that is UTF-8).
// Nothing is dropped: each byte becomes a character.
wxString DecodeLenient(const char* bytes, size_t length);

// One column's value exactly as the database holds it.
struct DbValue
{
    enum Type
    {
        NUL,
        INTEGER,
        REAL,
        TEXT,
        BLOB
    };
    Type type = NUL;
    wxLongLong integer;
    double real = 0;
    std::string bytes; // TEXT and BLOB
};

DbValue ReadDbValue(wxSQLite3ResultSet& rs, int column);
void BindDbValue(wxSQLite3Statement& stmt, int index, const DbValue& value);

// What a record read from a column that this program would not write back
// the same way, and the value as stored. A field that still holds what it
// read is written back as stored, so an edit never changes a field the user
// did not touch. Keyed by the column's index in the row that was read.
struct KeptValue
{
    DbValue stored;
    wxString text;
    wxDateTime time;
    int number = 0;
};
struct KeptValues : std::map<int, KeptValue>
{
};

void BindDateTime(wxSQLite3Statement& stmt, int index, const wxDateTime& time);
wxDateTime ReadDateTime(wxSQLite3ResultSet& rs, int column);
// NULL reads as empty; text that is not UTF-8 is decoded leniently.
wxString ReadText(wxSQLite3ResultSet& rs, int column);
int ReadInt(wxSQLite3ResultSet& rs, int column);

// The same reads, recording in kept a value that the program's own binding
// would not write back byte for byte.
wxString ReadText(wxSQLite3ResultSet& rs, int column, KeptValues& kept);
wxDateTime ReadDateTime(wxSQLite3ResultSet& rs, int column, KeptValues& kept);
int ReadInt(wxSQLite3ResultSet& rs, int column, KeptValues& kept);

// Binds a text as UTF-8 (quickly when it is plain ASCII).
void BindText(wxSQLite3Statement& stmt, int index, const wxString& text);
// Binds the field's value; when kept holds the column and the field still
// has what was read from it, binds the stored value instead.
void BindText(wxSQLite3Statement& stmt, int index, const wxString& text, const KeptValues* kept, int column);
void BindDateTime(wxSQLite3Statement& stmt, int index, const wxDateTime& time, const KeptValues* kept, int column);
void BindInt(wxSQLite3Statement& stmt, int index, int number, const KeptValues* kept, int column);
