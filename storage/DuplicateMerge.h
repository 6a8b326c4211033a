// How the values of contacts that are one person come together in the one
// the user keeps: a value the kept contact lacks goes to the next free slot
// of its kind (a work phone to business_phone, then business_phone_2); one
// that finds no free slot, or meets a different value in a field of one
// slot (the company, the comment, a name), is kept as a vCard content line
// (KeptProperties.h) so that nothing is lost and an export writes it out.
// A value the kept contact already has, anywhere, is not added again:
// e-mail addresses compared in any case, phone numbers as numbers.
#pragma once

#include <wx/string.h>

#include <functional>
#include <string>

class ContactInfoEx;

namespace DuplicateMerge
{
// What two phone numbers share when they are one number; empty when the
// text is no number (it is then compared as text).
using PhoneKey = std::function<std::string(const wxString& phone)>;

// Brings other's fields, tags and kept lines into kept.
void Into(ContactInfoEx& kept, const ContactInfoEx& other, const PhoneKey& phoneKey);

// A text as the value of a content line: backslashes, line breaks, commas
// and semicolons escaped.
wxString EscapeValue(const wxString& text);
} // namespace DuplicateMerge
