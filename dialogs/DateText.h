// The one form in which the program shows and takes dates, in lists,
// pages, pickers and dialogs: year/month/day ("2026/12/07"), with the time
// of day after it where one is shown.
#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

namespace DateText
{
extern const char* const DATE_FORMAT; // "%Y/%m/%d"

// Empty for an invalid date.
wxString Date(const wxDateTime& date);
// Date and time to the minute; empty for an invalid date.
wxString DateTime(const wxDateTime& time);
// Reads a whole date typed in that form (a "-" or "." may stand for the
// "/"); false, leaving date alone, when the text is not one.
bool Parse(const wxString& text, wxDateTime& date);
} // namespace DateText
