#include "exchange/VCardExport.h"

#include <wx/intl.h>

#include "exchange/ReplacingFile.h"
#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/KeptProperties.h"
#include "storage/SearchCondition.h"
#include "storage/TagManager.h"

namespace
{
wxArrayString TagNames(const TagManager& tags, const wxArrayInt& ids)
{
    wxArrayString names;
    tags.GetTagNamesByIds(ids, names);
    return names;
}

// Writes one contact's card and counts it; false when the file could not
// take it.
bool WriteCard(ReplacingFile& file, const ContactInfoEx& contact, const TagManager& tags, VCardVersion version,
               VCardExport::Result& result, const VCardExport::Progress& progress)
{
    if (!file.Write(VCardMapping::FromContact(contact, TagNames(tags, contact.tagIds), version)))
        return false;
    ++result.written;
    if (progress)
        progress(result.written);
    return true;
}
} // namespace

VCardExport::Result VCardExport::WriteContacts(const wxString& path, const ContactArray& contacts,
                                               const TagManager& tags, VCardVersion version, const Progress& progress)
{
    Result result;
    ReplacingFile file;
    if (!file.Open(path, &result.error))
        return result;
    for (void* item : contacts)
    {
        // The records of the page carry no kept properties: read them here,
        // so that an export of the selection loses nothing either.
        ContactInfoEx contact = *static_cast<const ContactInfoEx*>(item);
        if (contact.id >= 0 && !KeptProperties::Load(contact))
        {
            result.error = _("the contacts cannot be read");
            return result;
        }
        if (!WriteCard(file, contact, tags, version, result, progress))
            break;
    }
    result.ok = file.Commit(&result.error);
    if (!result.ok)
        result.written = 0;
    return result;
}

VCardExport::Result VCardExport::WriteSearch(const wxString& path, const SearchCondition& condition,
                                             ContactManager& contacts, const TagManager& tags, VCardVersion version,
                                             const Progress& progress)
{
    Result result;
    ReplacingFile file;
    if (!file.Open(path, &result.error))
        return result;
    const int rows = contacts.ForEachMatching(
        condition, true, [&](ContactInfoEx& contact) { WriteCard(file, contact, tags, version, result, progress); });
    if (rows < 0)
    {
        result.written = 0;
        result.error = _("the contacts cannot be read");
        return result;
    }
    result.ok = file.Commit(&result.error);
    if (!result.ok)
        result.written = 0;
    return result;
}
