// Deleted contacts: a delete moves the contact's row, tag links, history and
// kept lines into tables of their own, where they stay for KEEP_DAYS days
// and from which they can be put back as they were. The tables are made by
// the first delete that needs them, so a book of any age gets them in the
// transaction of that delete. Their statements live here.
#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

#include <functional>
#include <vector>

class Adapter;

namespace Trash
{
const int KEEP_DAYS = 30;

struct Entry
{
    int id = -1;
    wxString name; // "last_name first_name"
    wxString company;
    wxDateTime deleted;
};

// Copies a stored contact with everything that belongs to it into the
// trash, on the adapter's connection and transaction, before it is
// deleted. False when a statement failed (nothing may be deleted then).
bool Keep(Adapter& adapter, int contactId, const wxDateTime& when);

// Puts a contact of the trash back with its tag links (to the tags that
// still exist), history and kept lines, and takes it out of the trash.
// The id stays the contact's own unless another contact has taken it
// meanwhile. Returns the id it has now, -1 when it is not in the trash or
// a statement failed.
int Restore(Adapter& adapter, int contactId);

// Removes a contact from the trash for good; false when a statement failed.
bool Discard(Adapter& adapter, int contactId);

// The contacts in the trash, the last deleted first; false when the read
// failed. A book without the tables has an empty trash.
bool List(Adapter& adapter, std::vector<Entry>& entries);

// The ids of the contacts deleted before the given time.
bool DeletedBefore(Adapter& adapter, const wxDateTime& when, std::vector<int>& ids);
} // namespace Trash
