#include "storage/DbValues.h"

#include <wx/wxsqlite3.h>

const char* const DB_TIME_FORMAT = "%Y-%m-%d %H:%M:%S";

wxString FormatDbTime(const wxDateTime& time)
{
    return time.IsValid() ? time.Format(DB_TIME_FORMAT) : wxString();
}

namespace
{
bool ParseWhole(const wxString& text, const char* format, wxDateTime& result)
{
    wxString::const_iterator end;
    wxDateTime parsed;
    if (!parsed.ParseFormat(text, format, &end) || end != text.end())
        return false;
    result = parsed;
    return true;
}
} // namespace

wxDateTime ParseDbTime(const wxString& text)
{
    // The program writes only the first form; the others come from rows
    // written by other tools, which we read rather than lose.
    wxDateTime result;
    if (ParseWhole(text, DB_TIME_FORMAT, result) || ParseWhole(text, "%Y-%m-%dT%H:%M:%S", result) ||
        ParseWhole(text, "%Y-%m-%d %H:%M", result) || ParseWhole(text, "%Y-%m-%d", result))
    {
        result.SetMillisecond(0);
        return result;
    }
    return wxInvalidDateTime;
}

wxDateTime NowToSecond()
{
    wxDateTime now = wxDateTime::Now();
    now.SetMillisecond(0);
    return now;
}

wxString EscapeSqlText(const wxString& text)
{
    wxString escaped(text);
    escaped.Replace("'", "''");
    return escaped;
}

void BindDateTime(wxSQLite3Statement& stmt, int index, const wxDateTime& time)
{
    if (time.IsValid())
        stmt.Bind(index, FormatDbTime(time));
    else
        stmt.BindNull(index);
}

wxDateTime ReadDateTime(wxSQLite3ResultSet& rs, int column)
{
    if (rs.IsNull(column))
        return wxInvalidDateTime;
    return ParseDbTime(rs.GetString(column));
}

wxString ReadText(wxSQLite3ResultSet& rs, int column)
{
    return rs.GetString(column, wxEmptyString);
}

int ReadInt(wxSQLite3ResultSet& rs, int column)
{
    return rs.GetInt(column, 0);
}
