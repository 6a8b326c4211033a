// The properties of an imported card that have no field of their own (UID,
// PHOTO, NICKNAME, X- properties...), kept beside the contact as content
// lines so that an export writes them back. One table, keyed by the
// contact; its statements live here.
#pragma once

#include <map>

#include <wx/arrstr.h>
#include <wx/string.h>

class Adapter;
class ContactInfoEx;

namespace KeptProperties
{
extern const char* const TABLE;
// The table, for new books and, at start-up, for books made before it.
extern const char* const CREATE_TABLE;

// Whether the book has the table (an older one the start-up could not
// change has not).
bool Exists(Adapter& adapter);

// The contact's kept lines, in their order; inside a batch a failure fails
// the batch. False when a statement failed.
bool Insert(Adapter& adapter, const ContactInfoEx& contact);
// Deletes a contact's kept lines; false when a statement failed.
bool Delete(Adapter& adapter, int contactId);
// One contact's kept lines, in their order, on the adapter's connection.
// False when the statement failed.
bool Read(Adapter& adapter, int contactId, wxArrayString& lines);
// One contact's kept lines into its record, on a connection of its own
// (a record from the page has none loaded). False when the statement failed.
bool Load(ContactInfoEx& contact);
// Every contact's kept lines, by contact id. False when the statement failed.
bool ReadAll(Adapter& adapter, std::map<int, wxArrayString>& lines);
} // namespace KeptProperties
