// Writes contacts to a vCard file. The cards go to a temporary file in the
// chosen folder, which replaces the chosen file only when everything was
// written, so a failure never leaves half a file under that name. Headless.
#pragma once

#include <cstddef>
#include <functional>

#include <wx/string.h>

#include "exchange/VCardMapping.h"
#include "storage/ContactInfoEx.h"

class ContactManager;
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

// Every contact the condition matches, all pages, in list order, read
// through the contact manager one at a time. The condition's page index and
// size are ignored; the manager's page is left as it is.
Result WriteSearch(const wxString& path, const SearchCondition& condition, ContactManager& contacts,
                   const TagManager& tags, VCardVersion version, const Progress& progress = Progress());
} // namespace VCardExport
