#include <wx/datetime.h>
#include <wx/intl.h>

#include <algorithm>

#include "exchange/VCardReading.h"

using namespace VCardText;

namespace
{
// A date (and time) as BDAY writes it. Year 0 when the value has none.
struct PartialDate
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reads n digits at pos; false when there are fewer.
bool Digits(const wxString& text, size_t& pos, size_t n, int& value)
{
    value = 0;
    for (size_t i = 0; i < n; ++i, ++pos)
    {
        if (pos >= text.length() || text[pos] < '0' || text[pos] > '9')
            return false;
        value = value * 10 + (text[pos] - '0');
    }
    return true;
}

bool Skip(const wxString& text, size_t& pos, wxUniChar c)
{
    if (pos < text.length() && text[pos] == c)
    {
        ++pos;
        return true;
    }
    return false;
}

// 1980-04-15, 19800415, --04-15, --0415, each optionally followed by T and
// a time (10:30:00, 103000, 1030), optionally with a zone.
bool ParseBirthday(const wxString& raw, PartialDate& date)
{
    const wxString text = Trimmed(raw);
    size_t pos = 0;
    if (text.StartsWith("--"))
        pos = 2;
    else
    {
        if (!Digits(text, pos, 4, date.year))
            return false;
        Skip(text, pos, '-');
    }
    if (!Digits(text, pos, 2, date.month))
        return false;
    Skip(text, pos, '-');
    if (!Digits(text, pos, 2, date.day))
        return false;
    if (Skip(text, pos, 'T') || Skip(text, pos, 't'))
    {
        if (Digits(text, pos, 2, date.hour))
        {
            Skip(text, pos, ':');
            if (Digits(text, pos, 2, date.minute))
            {
                Skip(text, pos, ':');
                if (!Digits(text, pos, 2, date.second))
                    date.second = 0;
            }
        }
    }
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 || date.hour > 23 || date.minute > 59 ||
        date.second > 60)
        return false;
    if (date.year != 0 &&
        date.day > wxDateTime::GetNumberOfDays(static_cast<wxDateTime::Month>(date.month - 1), date.year))
        return false;
    return true;
}

// Gender from the X- forms: words or their first letter.
int SexFromWord(const wxString& raw)
{
    wxString word = Trimmed(raw).Lower();
    if (word == "m" || word == "male" || word == "man")
        return SEX_MALE;
    if (word == "f" || word == "female" || word == "woman")
        return SEX_FEMALE;
    return -1;
}

} // namespace

// ------------------------------------------------------ gender and dates

void VCardRead::Gender(VCardReading& card, EVCardAttribute* attr)
{
    const wxString sex = Component(card.Values(attr), 0).Upper();
    if (sex == "M" || sex == "F")
    {
        card.contact.sex = sex == "M" ? SEX_MALE : SEX_FEMALE;
        card.sexKnown = true;
    }
    else // other, none, unknown: not stated here, and the card's word kept
        card.keep = true;
}

// X-GENDER and X-SEX, unless GENDER said it before.
void VCardRead::GenderWord(VCardReading& card, EVCardAttribute* attr)
{
    if (card.sexKnown)
        return;
    const int sex = SexFromWord(card.Value(attr));
    if (sex >= 0)
    {
        card.contact.sex = sex;
        card.sexKnown = true;
    }
    else
        card.keep = true;
}

void VCardRead::WabGender(VCardReading& card, EVCardAttribute* attr)
{
    if (card.sexKnown)
        return;
    const wxString sex = card.Value(attr);
    if (sex == "1" || sex == "2")
    {
        card.contact.sex = sex == "2" ? SEX_MALE : SEX_FEMALE;
        card.sexKnown = true;
    }
    else
        card.keep = true;
}

void VCardRead::Birthday(VCardReading& card, EVCardAttribute* attr)
{
    const wxString value = card.Value(attr);
    PartialDate date;
    int omitYear = -1;
    for (const wxString& omit : ParamValues(attr, "X-APPLE-OMIT-YEAR"))
    {
        long year;
        if (omit.ToLong(&year))
            omitYear = static_cast<int>(year);
    }
    if (ParseBirthday(value, date) && date.year != 0 && date.year != omitYear)
        card.contact.birthday = wxDateTime(
            static_cast<wxDateTime::wxDateTime_t>(date.day), static_cast<wxDateTime::Month>(date.month - 1), date.year,
            static_cast<wxDateTime::wxDateTime_t>(date.hour), static_cast<wxDateTime::wxDateTime_t>(date.minute),
            static_cast<wxDateTime::wxDateTime_t>(std::min(date.second, 59)));
    else if (ParseBirthday(value, date)) // no year is invented: kept as it came, for export and sync
        card.keep = true;
    else
        card.extra.Add(wxTRANSLATE("Birthday"), value);
}

// ---------------------------------------------------------- organisation

void VCardRead::Organisation(VCardReading& card, EVCardAttribute* attr)
{
    ContactInfoEx& contact = card.contact;
    if (!contact.company.empty() || !contact.department.empty())
        return;
    std::vector<wxString> v = card.Values(attr);
    contact.company = OneLine(Component(v, 0));
    wxString units;
    for (size_t i = 1; i < v.size(); ++i)
        units = JoinNonEmpty({units, OneLine(v[i])}, ", ");
    contact.department = units;
    card.names.company = contact.company;
}

void VCardRead::JobTitle(VCardReading& card, EVCardAttribute* attr)
{
    if (card.contact.job_title.empty())
        card.contact.job_title = OneLine(card.Value(attr));
    else // a second title: kept
        card.keep = true;
}

// ---------------------------------------------------- phones and addresses

namespace
{
// 4.0 may write a number as a URI ("tel:+1-418-262-6501;ext=102"): the
// number is what people dial, the extension goes after it.
wxString NumberOfUri(const wxString& value)
{
    if (!value.Lower().StartsWith("tel:"))
        return value;
    const wxArrayString parts = wxSplit(value.Mid(4), ';', '\0');
    wxString number = parts.empty() ? wxString() : Trimmed(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i)
    {
        if (parts[i].Lower().StartsWith("ext="))
            number = JoinNonEmpty({number, Trimmed(parts[i].Mid(4))}, " ext. ");
    }
    return number;
}
} // namespace

void VCardRead::Phone(VCardReading& card, EVCardAttribute* attr)
{
    const VCardTypes types = Types(attr);
    const wxString number = NumberOfUri(OneLine(card.Value(attr)));
    const bool work = HasType(types, "work");
    bool stored;
    if (HasType(types, "pager"))
        stored = false;
    else if (HasType(types, "fax"))
        stored = work
                     ? card.Fill({&ContactInfoEx::business_fax, &ContactInfoEx::business_fax_2}, S_BUSINESS_FAX, number)
                     : card.Fill({&ContactInfoEx::home_fax, &ContactInfoEx::home_fax_2}, S_HOME_FAX, number);
    else if (HasType(types, "cell") || HasType(types, "iphone"))
        stored = work ? card.Fill({&ContactInfoEx::business_mobile, &ContactInfoEx::business_mobile_2},
                                  S_BUSINESS_MOBILE, number)
                      : card.Fill({&ContactInfoEx::home_mobile, &ContactInfoEx::home_mobile_2}, S_HOME_MOBILE, number);
    else
        stored = work ? card.Fill({&ContactInfoEx::business_phone, &ContactInfoEx::business_phone_2}, S_BUSINESS_PHONE,
                                  number)
                      : card.Fill({&ContactInfoEx::home_phone, &ContactInfoEx::home_phone_2}, S_HOME_PHONE, number);
    if (!stored) // a pager, or no free slot: kept
        card.keep = true;
}

// Three lines: street, extended address, post office box; postal code and
// locality, region; country.
void VCardRead::Address(VCardReading& card, EVCardAttribute* attr)
{
    std::vector<wxString> v = card.Values(attr);
    const wxString line1 =
        JoinNonEmpty({OneLine(Component(v, 2)), OneLine(Component(v, 1)), OneLine(Component(v, 0))}, ", ");
    const wxString line2 = JoinNonEmpty(
        {JoinNonEmpty({OneLine(Component(v, 5)), OneLine(Component(v, 3))}, " "), OneLine(Component(v, 4))}, ", ");
    const wxString line3 = OneLine(Component(v, 6));
    const bool work = HasType(Types(attr), "work");
    const size_t slot = work ? S_BUSINESS_ADR : S_HOME_ADR;
    // The lines hold what people read. Parts our own files do not write
    // (post office box, extended address, region, postal code) or other
    // parameters keep the card's line as well, which export writes back
    // while the lines are unchanged. A third address is kept only.
    if (card.taken[slot] || !Component(v, 0).empty() || !Component(v, 1).empty() || !Component(v, 4).empty() ||
        !Component(v, 5).empty() || HasDetailBeyond(attr, {"work", "home"}))
        card.keep = true;
    if (card.taken[slot])
        return;
    card.taken[slot] = true;
    ContactInfoEx& c = card.contact;
    (work ? c.business_street : c.home_street) = line1;
    (work ? c.business_street_2 : c.home_street_2) = line2;
    (work ? c.business_street_3 : c.home_street_3) = line3;
}

// ------------------------------------------------ e-mail, web and messengers

void VCardRead::Email(VCardReading& card, EVCardAttribute* attr)
{
    const wxString address = OneLine(card.Value(attr));
    // A third address is kept; so is one with a kind (HOME, WORK) or other
    // parameters, which export writes back while the address is unchanged.
    if (!card.Fill({&ContactInfoEx::email, &ContactInfoEx::email_2}, S_EMAIL, address) ||
        HasDetailBeyond(attr, {"internet"}))
        card.keep = true;
}

void VCardRead::WebPage(VCardReading& card, EVCardAttribute* attr)
{
    const wxString url = OneLine(card.Value(attr));
    if (!card.Fill({&ContactInfoEx::webpage, &ContactInfoEx::webpage_2}, S_WEBPAGE, url))
        card.keep = true;
}

namespace
{
void AddMessenger(VCardReading& card, EVCardAttribute* attr, const wxString& id)
{
    // The same account often comes both as IMPP and as X- form.
    if (!id.empty() && card.messengers.Index(id, false) != wxNOT_FOUND)
        return;
    card.messengers.Add(id);
    const bool stored =
        HasType(Types(attr), "work")
            ? card.Fill({&ContactInfoEx::business_im, &ContactInfoEx::business_im_2, &ContactInfoEx::business_im_3},
                        S_BUSINESS_IM, id)
            : card.Fill({&ContactInfoEx::home_im, &ContactInfoEx::home_im_2, &ContactInfoEx::home_im_3}, S_HOME_IM, id);
    if (!stored)
        card.keep = true;
}
} // namespace

void VCardRead::MessengerUri(VCardReading& card, EVCardAttribute* attr)
{
    AddMessenger(card, attr, OneLine(card.Value(attr)));
}

void VCardRead::MessengerId(VCardReading& card, EVCardAttribute* attr, const char* scheme)
{
    const wxString bare = OneLine(card.Value(attr));
    if (!bare.empty())
        AddMessenger(card, attr, wxString(scheme) + ":" + bare);
}

// ------------------------------------------------------ notes and categories

void VCardRead::Note(VCardReading& card, EVCardAttribute* attr)
{
    card.note = JoinNonEmpty({card.note, card.Value(attr)}, "\n\n");
}

// Each once, in card order.
void VCardRead::Categories(VCardReading& card, EVCardAttribute* attr)
{
    for (const wxString& value : card.Values(attr))
    {
        // The library splits the list on its unescaped commas; a comma left
        // in a value was escaped and belongs to the category. 2.1 has no
        // escapes: there, any comma left separates.
        for (wxString category : card.version21 ? wxSplit(value, ',', '\0') : wxArrayString(1, &value))
        {
            category = OneLine(category);
            if (category.empty())
                continue;
            bool seen = false;
            for (const wxString& known : card.categories)
                seen = seen || known.CmpNoCase(category) == 0;
            if (!seen)
                card.categories.Add(category);
        }
    }
}
