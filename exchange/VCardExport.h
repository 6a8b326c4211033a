// Writes contacts to a vCard file. The cards go to a temporary file in the
// chosen folder, which replaces the chosen file only when everything was
// written, so a failure never leaves half a file under that name. Headless.
#pragma once

#include <cstddef>
#include <functional>

#include <wx/string.h>

#include "exchange/VCardMapping.h"
#include "storage/ContactInfoEx.h"

class SearchCondition;
class TagManager;

namespace VCardExport
{
struct Result
{
    bool ok = false;
    size_t written = 0;
    wxString error; // why the file was not written
};

// Called after each card; the dialog lets one window message through.
using Progress = std::function<void(size_t written)>;

// The given records (the selected contacts), in array order.
Result WriteContacts(const wxString& path, const ContactArray& contacts, const TagManager& tags, VCardVersion version,
                     const Progress& progress = Progress());

// Every contact the condition matches, all pages, in list order. The
// condition's page index and size are ignored.
Result WriteSearch(const wxString& path, const SearchCondition& condition, const TagManager& tags, VCardVersion version,
                   const Progress& progress = Progress());

// Number of contacts in the book; -1 when the database cannot tell.
int CountAll();
} // namespace VCardExport
