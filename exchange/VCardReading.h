// Reading one parsed card into a record, shared by the readers of each
// property family (VCardNames.cpp, VCardFields.cpp); VCardMapping.cpp says
// which property goes to which reader. Internal to the vCard library.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <wx/arrstr.h>
#include <wx/string.h>

#include "storage/ContactInfoEx.h"

typedef struct _EVCard EVCard;
typedef struct _EVCardAttribute EVCardAttribute;

using VCardField = wxString ContactInfoEx::*;
// TYPE values in lower case, one per entry.
using VCardTypes = std::vector<std::string>;

namespace VCardText
{
wxString FromUtf8(const char* text);
bool NameIs(const char* name, const char* wanted);
// The values of every parameter of that name.
std::vector<wxString> ParamValues(EVCardAttribute* attr, const char* name);
VCardTypes Types(EVCardAttribute* attr);
bool HasType(const VCardTypes& types, const char* type);
// Whether a property says more than its value and the given TYPE words
// (lower case): another parameter or another type.
bool HasDetailBeyond(EVCardAttribute* attr, std::initializer_list<const char*> plainTypes);
wxString Trimmed(wxString text);
wxString Component(const std::vector<wxString>& values, size_t i);
wxString JoinNonEmpty(std::initializer_list<wxString> parts, const wxString& separator);
// A text of one line: the fields the values go to are single-line.
wxString OneLine(const wxString& text);
// A name with its words one space apart.
wxString Words(const wxString& name);
} // namespace VCardText

// The comment's tail of values without a field of their own.
class VCardExtra
{
public:
    // The label is translated only when there is a value to show.
    void Add(const char* label, const wxString& value);
    wxString Text() const;

private:
    wxArrayString lines;
};

// Slot groups, by their first index in VCardReading::taken.
enum VCardSlot
{
    S_BUSINESS_FAX = 0,
    S_HOME_FAX = 2,
    S_BUSINESS_MOBILE = 4,
    S_HOME_MOBILE = 6,
    S_BUSINESS_PHONE = 8,
    S_HOME_PHONE = 10,
    S_BUSINESS_IM = 12,
    S_HOME_IM = 15,
    S_EMAIL = 18,
    S_WEBPAGE = 20,
    S_BUSINESS_ADR = 22,
    S_HOME_ADR = 23,
    S_COUNT = 24
};

// What the names of a card say, gathered over all its properties: which of
// them makes the record's name is only known at the end.
struct VCardNameParts
{
    bool fromN = false;                                    // N gave a name
    wxString formatted;                                    // the first FN
    wxString company;                                      // ORG's first unit
    bool companyCard = false;                              // X-ABShowAs:COMPANY
    std::optional<wxString> phoneticFamily, phoneticGiven; // present, even empty
    wxString sortFamily, sortGiven;                        // N's SORT-AS
    wxString soundFamily, soundGiven;                      // SOUND;X-IRMC-N
};

// One card being read.
struct VCardReading
{
    VCardReading(EVCard* card, ContactInfoEx& contact, wxArrayString& categories);

    // The structured values of a property (N's family, given, ...), as the
    // program keeps text.
    std::vector<wxString> Values(EVCardAttribute* attr) const;
    // The components of a structured value the library reads as one text
    // (it splits only the properties it knows, such as N).
    std::vector<wxString> Structured(EVCardAttribute* attr) const;
    // All values joined into one text (a TEL or EMAIL whose value held an
    // unescaped ";" comes split).
    wxString Value(EVCardAttribute* attr) const;
    // Fills the first free slot of a group; false when all are taken. An
    // empty value takes its slot too, so that the slots of our own files
    // read back in place.
    bool Fill(std::initializer_list<VCardField> slots, size_t base, const wxString& value);

    ContactInfoEx& contact;
    wxArrayString& categories;
    // A 2.1 card, the one version with quoted-printable values.
    bool version21 = false;
    VCardExtra extra;
    std::vector<bool> taken;
    VCardNameParts names;
    bool sexKnown = false;
    wxArrayString messengers; // the accounts taken so far
    wxString note;
    // Set by a reader when the property it read is kept whole beside the
    // contact as well (a birthday without a year).
    bool keep = false;
};

// The readers of each property family.
namespace VCardRead
{
void StructuredName(VCardReading& card, EVCardAttribute* attr);
void FormattedName(VCardReading& card, EVCardAttribute* attr);
void PhoneticFamilyName(VCardReading& card, EVCardAttribute* attr);
void PhoneticGivenName(VCardReading& card, EVCardAttribute* attr);
void SoundName(VCardReading& card, EVCardAttribute* attr);
void ShowAs(VCardReading& card, EVCardAttribute* attr);
// After every property: the record's name and alphabet names. False when the
// card names no one.
bool FinishNames(VCardReading& card);

void Gender(VCardReading& card, EVCardAttribute* attr);
void GenderWord(VCardReading& card, EVCardAttribute* attr);
void WabGender(VCardReading& card, EVCardAttribute* attr);
void Birthday(VCardReading& card, EVCardAttribute* attr);
void Organisation(VCardReading& card, EVCardAttribute* attr);
void JobTitle(VCardReading& card, EVCardAttribute* attr);
void Phone(VCardReading& card, EVCardAttribute* attr);
void Address(VCardReading& card, EVCardAttribute* attr);
void Email(VCardReading& card, EVCardAttribute* attr);
void WebPage(VCardReading& card, EVCardAttribute* attr);
void Note(VCardReading& card, EVCardAttribute* attr);
void Categories(VCardReading& card, EVCardAttribute* attr);
// IMPP, a URI as written.
void MessengerUri(VCardReading& card, EVCardAttribute* attr);
// The older X- forms with a bare id, as "scheme:id".
void MessengerId(VCardReading& card, EVCardAttribute* attr, const char* scheme);
} // namespace VCardRead
