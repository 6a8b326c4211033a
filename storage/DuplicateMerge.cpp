#include "storage/DuplicateMerge.h"

#include <vector>

#include "storage/ContactInfoEx.h"

namespace
{
using Field = wxString ContactInfoEx::*;

enum class Compare
{
    TEXT,  // the same text in a slot of the same kind
    EMAIL, // any e-mail slot, any case
    PHONE  // any phone slot, as numbers
};

struct Kind
{
    std::vector<Field> slots;
    // The property and parameters of the content line a value that finds
    // no free slot becomes.
    const char* line;
    Compare compare;
    bool address = false; // the value is the street of an ADR line
};

const std::vector<Kind>& Kinds()
{
    using C = ContactInfoEx;
    static const std::vector<Kind> kinds = {
        {{&C::last_name}, "X-CORVALA-MERGED-LAST-NAME", Compare::TEXT},
        {{&C::first_name}, "X-CORVALA-MERGED-FIRST-NAME", Compare::TEXT},
        {{&C::last_name_alpha}, "X-CORVALA-MERGED-LAST-NAME-ALPHABET", Compare::TEXT},
        {{&C::first_name_alpha}, "X-CORVALA-MERGED-FIRST-NAME-ALPHABET", Compare::TEXT},
        {{&C::company}, "X-CORVALA-MERGED-COMPANY", Compare::TEXT},
        {{&C::department}, "X-CORVALA-MERGED-DEPARTMENT", Compare::TEXT},
        {{&C::job_title}, "TITLE", Compare::TEXT},
        {{&C::business_fax, &C::business_fax_2}, "TEL;TYPE=WORK,FAX", Compare::PHONE},
        {{&C::business_phone, &C::business_phone_2}, "TEL;TYPE=WORK,VOICE", Compare::PHONE},
        {{&C::business_mobile, &C::business_mobile_2}, "TEL;TYPE=WORK,CELL", Compare::PHONE},
        {{&C::business_street, &C::business_street_2, &C::business_street_3}, "ADR;TYPE=WORK", Compare::TEXT, true},
        {{&C::business_im, &C::business_im_2, &C::business_im_3}, "IMPP;TYPE=WORK", Compare::TEXT},
        {{&C::home_fax, &C::home_fax_2}, "TEL;TYPE=HOME,FAX", Compare::PHONE},
        {{&C::home_phone, &C::home_phone_2}, "TEL;TYPE=HOME,VOICE", Compare::PHONE},
        {{&C::home_mobile, &C::home_mobile_2}, "TEL;TYPE=HOME,CELL", Compare::PHONE},
        {{&C::home_street, &C::home_street_2, &C::home_street_3}, "ADR;TYPE=HOME", Compare::TEXT, true},
        {{&C::home_im, &C::home_im_2, &C::home_im_3}, "IMPP;TYPE=HOME", Compare::TEXT},
        {{&C::email, &C::email_2}, "EMAIL;TYPE=INTERNET", Compare::EMAIL},
        {{&C::webpage, &C::webpage_2}, "URL", Compare::TEXT},
        {{&C::comment}, "NOTE", Compare::TEXT},
    };
    return kinds;
}

wxString LineFor(const Kind& kind, const wxString& value)
{
    const wxString escaped = DuplicateMerge::EscapeValue(value);
    return wxString(kind.line) + ":" + (kind.address ? ";;" + escaped + ";;;;" : escaped);
}

// The value of a content line, unescaped enough to compare a phone number
// or an e-mail address with.
wxString ValueOf(const wxString& line)
{
    wxString value = line.AfterFirst(':');
    value.Replace("\\,", ",");
    value.Replace("\\;", ";");
    value.Replace("\\\\", "\\");
    return value;
}

bool SameValue(Compare compare, const wxString& a, const wxString& b, const DuplicateMerge::PhoneKey& phoneKey)
{
    if (a == b)
        return true;
    if (compare == Compare::EMAIL)
        return a.CmpNoCase(b) == 0;
    if (compare == Compare::PHONE)
    {
        const std::string key = phoneKey(a);
        return !key.empty() && key == phoneKey(b);
    }
    return false;
}

// Whether the contact holds the value already, in a field or a kept line.
bool Holds(const ContactInfoEx& contact, const Kind& kind, const wxString& value,
           const DuplicateMerge::PhoneKey& phoneKey)
{
    for (const Kind& other : Kinds())
    {
        if (&other != &kind && (kind.compare == Compare::TEXT || other.compare != kind.compare))
            continue;
        for (Field slot : other.slots)
        {
            if (SameValue(kind.compare, (contact.*slot).Strip(wxString::both), value, phoneKey))
                return true;
        }
    }
    const wxString line = LineFor(kind, value);
    // The property name alone: a phone kept as another kind of number is the same number.
    const wxString property = wxString(kind.line).BeforeFirst(';');
    for (const wxString& kept : contact.keptProperties)
    {
        if (kept == line)
            return true;
        const wxString name = kept.BeforeFirst(':').BeforeFirst(';');
        if (kind.compare != Compare::TEXT && name.CmpNoCase(property) == 0 &&
            SameValue(kind.compare, ValueOf(kept).Strip(wxString::both), value, phoneKey))
            return true;
    }
    return false;
}

void AddLine(ContactInfoEx& contact, const wxString& line)
{
    if (contact.keptProperties.Index(line) == wxNOT_FOUND)
        contact.keptProperties.Add(line);
}
} // namespace

wxString DuplicateMerge::EscapeValue(const wxString& text)
{
    wxString escaped;
    for (wxUniChar c : text)
    {
        if (c == '\\' || c == ',' || c == ';')
            escaped << '\\' << c;
        else if (c == '\n')
            escaped << "\\n";
        else if (c != '\r')
            escaped << c;
    }
    return escaped;
}

void DuplicateMerge::Into(ContactInfoEx& kept, const ContactInfoEx& other, const PhoneKey& phoneKey)
{
    for (const Kind& kind : Kinds())
    {
        for (Field slot : kind.slots)
        {
            const wxString value = (other.*slot).Strip(wxString::both);
            if (value.empty() || Holds(kept, kind, value, phoneKey))
                continue;
            bool placed = false;
            for (Field free : kind.slots)
            {
                if ((kept.*free).Strip(wxString::both).empty())
                {
                    kept.*free = value;
                    placed = true;
                    break;
                }
            }
            if (!placed)
                AddLine(kept, LineFor(kind, value));
        }
    }
    if (kept.sex != SEX_FEMALE && kept.sex != SEX_MALE)
        kept.sex = other.sex;
    else if ((other.sex == SEX_FEMALE || other.sex == SEX_MALE) && other.sex != kept.sex)
        AddLine(kept, wxString("X-CORVALA-MERGED-GENDER:") + (other.sex == SEX_FEMALE ? "F" : "M"));
    if (other.birthday.IsValid())
    {
        if (!kept.birthday.IsValid())
            kept.birthday = other.birthday;
        else if (!kept.birthday.IsSameDate(other.birthday))
            AddLine(kept, "X-CORVALA-MERGED-BDAY:" + other.birthday.FormatISODate());
    }
    for (int tag : other.tagIds)
    {
        if (kept.tagIds.Index(tag) == wxNOT_FOUND)
            kept.tagIds.Add(tag);
    }
    for (const wxString& line : other.keptProperties)
        AddLine(kept, line);
}
