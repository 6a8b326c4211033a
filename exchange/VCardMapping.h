// How a vCard and a contact record correspond, both ways, in one place: the
// table at the top of VCardMapping.cpp is the reference. The vCard syntax
// itself (folding, escaping, quoted-printable, character sets) is the vCard
// library's; this code only deals with its parsed properties.
#pragma once

#include <string>

#include <wx/arrstr.h>
#include <wx/string.h>

#include "storage/ContactInfoEx.h"

typedef struct _EVCard EVCard;

enum class VCardVersion
{
    V30, // what every importer reads
    V40
};

namespace VCardMapping
{
// Fills a fresh record from a parsed card, and the card's categories (each
// once, in card order). False when the card yields no name at all; the
// record is then not meant to be stored.
bool ToContact(EVCard* card, ContactInfoEx& contact, wxArrayString& categories);

// One card, UTF-8 with CRLF line ends, ending with "END:VCARD\r\n".
std::string FromContact(const ContactInfoEx& contact, const wxArrayString& tags, VCardVersion version);

// The UID written for a contact whose card brought none: a name-based UUID
// of its id and entry time, the same on every export.
wxString StableUid(const ContactInfoEx& contact);

// Splits a formatted name the way a person would read it ("Ludwig van
// Beethoven", "Smith, Anne", "Dr. John Smith Jr."). Titles before and after
// the name go to extra, not into the name fields.
void SplitFormattedName(const wxString& formatted, wxString& family, wxString& given, wxArrayString& extra);
} // namespace VCardMapping
