// Value encodings shared by every table: date-times as local-time text,
// NULL for an invalid date-time, user texts as quoted SQL literals.
#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

class wxSQLite3Statement;
class wxSQLite3ResultSet;

extern const char* const DB_TIME_FORMAT; // "%Y-%m-%d %H:%M:%S"

wxString FormatDbTime(const wxDateTime& time);
// Text that is not exactly in DB_TIME_FORMAT gives an invalid date-time.
wxDateTime ParseDbTime(const wxString& text);
// The current local time with one-second resolution.
wxDateTime NowToSecond();

// Doubles every apostrophe, so the text can stand between quotes in SQL.
wxString EscapeSqlText(const wxString& text);

void BindDateTime(wxSQLite3Statement& stmt, int index, const wxDateTime& time);
wxDateTime ReadDateTime(wxSQLite3ResultSet& rs, int column);
wxString ReadText(wxSQLite3ResultSet& rs, int column);
int ReadInt(wxSQLite3ResultSet& rs, int column);
