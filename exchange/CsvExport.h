// Writes contacts to a CSV file for spreadsheets and web address books:
// comma separated, CRLF line ends, quoted where a field needs it (RFC 4180),
// UTF-8 with a byte order mark, a header row of the field labels and a last
// column with the contact's tag names. The rows go to a temporary file in
// the chosen folder, which replaces the chosen file only when everything was
// written, so a failure never leaves half a file under that name. Headless.
#pragma once

#include <cstddef>
#include <functional>

#include <wx/arrstr.h>
#include <wx/string.h>

#include "storage/ContactInfoEx.h"

class ContactManager;
class SearchCondition;
class TagManager;

namespace CsvExport
{
struct Result
{
    bool ok = false;
    size_t written = 0; // contacts, not counting the header row
    wxString error;     // why the file was not written
};

// Called after each row; the dialog lets one window message through.
using Progress = std::function<void(size_t written)>;

// The labels of the header row, in column order (translated).
wxArrayString ColumnLabels();

// The given records (the selected contacts), in array order.
Result WriteContacts(const wxString& path, const ContactArray& contacts, const TagManager& tags,
                     const Progress& progress = Progress());

// Every contact the condition matches, all pages, in list order, read
// through the contact manager one at a time. The condition's page index and
// size are ignored; the manager's page is left as it is.
Result WriteSearch(const wxString& path, const SearchCondition& condition, ContactManager& contacts,
                   const TagManager& tags, const Progress& progress = Progress());
} // namespace CsvExport
