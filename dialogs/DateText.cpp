#include "dialogs/DateText.h"

namespace DateText
{
const char* const DATE_FORMAT = "%Y/%m/%d";

wxString Date(const wxDateTime& date)
{
    return date.IsValid() ? date.Format(DATE_FORMAT) : wxString();
}

wxString DateTime(const wxDateTime& time)
{
    return time.IsValid() ? time.Format(wxString(DATE_FORMAT) + " %H:%M") : wxString();
}

bool Parse(const wxString& text, wxDateTime& date)
{
    wxString trimmed = text;
    trimmed.Trim(true).Trim(false);
    trimmed.Replace("-", "/");
    trimmed.Replace(".", "/");
    wxDateTime parsed;
    wxString::const_iterator end;
    if (trimmed.empty() || !parsed.ParseFormat(trimmed, DATE_FORMAT, wxDateTime(1, wxDateTime::Jan, 2000), &end) ||
        end != trimmed.end())
        return false;
    date = parsed;
    return true;
}
} // namespace DateText
