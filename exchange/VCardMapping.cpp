// vCard <-> contact record
// =========================
//
// Reading (any of 2.1, 3.0, 4.0; property and parameter names ignore case,
// TYPE values may come as 2.1 bare parameters, repeated TYPE= or one quoted
// comma list):
//
//   N            family -> last_name; given (+ additional names) -> first_name;
//                prefix and suffix are kept in the comment (see "extra")
//   FN           only when N has no name: split as a person would
//                (SplitFormattedName); a company card (FN equal to the
//                organisation, or X-ABShowAs:COMPANY) keeps FN whole in
//                last_name. No N, no FN: the organisation as last_name.
//                No name at all: the card is skipped.
//   X-PHONETIC-LAST-NAME / X-PHONETIC-FIRST-NAME (present, even empty),
//   else N's SORT-AS (4.0), else SOUND;X-IRMC-N (2.1 phones),
//   else the name itself   -> last_name_alpha / first_name_alpha
//   GENDER (4.0) M / F, X-GENDER / X-SEX male / female, X-WAB-GENDER 2 / 1
//                -> sex 1 / 0; nothing known: 1, as for a new contact
//   BDAY         1980-04-15, 19800415, date-times (the time as written, a
//                zone ignored: a birthday is a calendar date) -> birthday;
//                without a year (--04-15, Apple's X-APPLE-OMIT-YEAR) or as
//                text: no birthday, the value kept in the comment.
//                No BDAY: no birthday (not the moment of the import)
//   ORG          first unit -> company; the other units -> department
//   TITLE        -> job_title
//   TEL          fax+work -> business_fax, _2;  fax -> home_fax, _2;
//                cell+work -> business_mobile, _2;  cell -> home_mobile, _2;
//                work -> business_phone, _2;  home or no type -> home_phone, _2
//   ADR          work -> business_street, _2, _3;  home or no type -> home_
//                line 1: street, extended address, post office box
//                line 2: postal code and locality, region
//                line 3: country
//   IMPP         (the URI as written), X-AIM, X-ICQ, X-JABBER, X-GOOGLE-TALK,
//                X-GTALK, X-MSN, X-YAHOO, X-SKYPE, X-SKYPE-USERNAME, X-QQ,
//                X-GADUGADU, X-GROUPWISE (as "scheme:id")
//                work -> business_im, _2, _3; otherwise home_im, _2, _3
//   EMAIL        first two -> email, email_2
//   URL          first two -> webpage, webpage_2
//   NOTE         -> comment
//   CATEGORIES   -> the categories (the import turns them into tags)
//
//   extra: what has a meaning for people but no field of its own (a third
//   e-mail, a second home address, a pager, a nickname, a role, a birthday
//   without a year...) is appended to the comment after a blank line, one
//   "Label: value" per line, so that nothing is lost and nothing lands in a
//   field where it does not belong. Photos, keys, UIDs, revision stamps and
//   other machine data are left out.
//
// Writing (3.0 or 4.0, UTF-8):
//
//   N:last_name;first_name;;;  (4.0 with SORT-AS when an alphabet name differs)
//   FN:the display name (family name, space, given name)
//   X-PHONETIC-LAST-NAME / X-PHONETIC-FIRST-NAME when they differ from the
//   name (an empty one too, so that it reads back empty)
//   4.0 GENDER:M / F; 3.0 X-GENDER:Male / Female
//   BDAY: a date, or a date-time when the stored time is not midnight
//   ORG:company;department   TITLE:job_title
//   TEL;TYPE=WORK,VOICE / WORK,CELL / WORK,FAX / HOME,VOICE / HOME,CELL / HOME,FAX
//   ADR;TYPE=WORK / HOME:;;line 1;line 2;;;line 3
//   IMPP;TYPE=WORK / HOME   EMAIL (3.0 TYPE=INTERNET)   URL   NOTE
//   CATEGORIES: the tag names
//
// Fields that come in numbered slots are written up to the last filled
// slot, an empty slot before it as an empty property, so that every value
// reads back into the slot it came from.
#include "exchange/VCardMapping.h"

#include <libebook-contacts/libebook-contacts.h>

#include <wx/intl.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace
{
using Field = wxString ContactInfoEx::*;

wxString FromUtf8(const char* text)
{
    return text ? wxString::FromUTF8(text) : wxString();
}

bool NameIs(const char* name, const char* wanted)
{
    return name && g_ascii_strcasecmp(name, wanted) == 0;
}

// The values of every parameter of that name.
std::vector<wxString> ParamValues(EVCardAttribute* attr, const char* name)
{
    std::vector<wxString> values;
    for (GList* p = e_vcard_attribute_get_params(attr); p; p = p->next)
    {
        EVCardAttributeParam* param = static_cast<EVCardAttributeParam*>(p->data);
        if (!NameIs(e_vcard_attribute_param_get_name(param), name))
            continue;
        for (GList* v = e_vcard_attribute_param_get_values(param); v; v = v->next)
            values.push_back(FromUtf8(static_cast<const char*>(v->data)));
    }
    return values;
}

// TYPE values in lower case, one per entry: 4.0 writes TYPE="work,voice",
// which the library keeps as one value. Plain ASCII: the types are words.
using TypeList = std::vector<std::string>;

TypeList Types(EVCardAttribute* attr)
{
    TypeList types;
    for (GList* p = e_vcard_attribute_get_params(attr); p; p = p->next)
    {
        EVCardAttributeParam* param = static_cast<EVCardAttributeParam*>(p->data);
        if (!NameIs(e_vcard_attribute_param_get_name(param), "TYPE"))
            continue;
        for (GList* v = e_vcard_attribute_param_get_values(param); v; v = v->next)
        {
            std::string part;
            for (const char* c = static_cast<const char*>(v->data);; ++c)
            {
                if (*c == ',' || *c == '\0')
                {
                    if (!part.empty())
                        types.push_back(part);
                    part.clear();
                    if (*c == '\0')
                        break;
                }
                else if (*c != ' ' && *c != '"')
                    part += g_ascii_tolower(*c);
            }
        }
    }
    return types;
}

bool HasType(const TypeList& types, const char* type)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

// Whether the card is 2.1, the one version with quoted-printable values.
// Set for the card being read.
bool g_version21 = false;

// The structured values of a property (N's family, given, ...). The library
// decodes quoted-printable (and drops the ENCODING parameter) but may leave
// a soft line break after a plain character in place; in a 2.1 value "="
// before a line end cannot be meant otherwise (a real "=" is encoded).
std::vector<wxString> Values(EVCardAttribute* attr)
{
    const bool qp = g_version21;
    std::vector<wxString> values;
    for (GList* v = e_vcard_attribute_get_values(attr); v; v = v->next)
    {
        wxString value = FromUtf8(static_cast<const char*>(v->data));
        if (qp && value.find('=') != wxString::npos)
        {
            value.Replace("=\r\n", wxEmptyString);
            value.Replace("=\n", wxEmptyString);
        }
        // Line ends as the program keeps them (quoted-printable brings CR LF).
        if (value.find('\r') != wxString::npos)
        {
            value.Replace("\r\n", "\n");
            value.Replace("\r", "\n");
        }
        // Control characters mean nothing in a contact (and do not survive
        // writing), tabs and line ends aside.
        for (size_t i = 0; i < value.length();)
        {
            const wxUniChar c = value[i];
            if (c < 0x20 && c != '\t' && c != '\n')
                value.erase(i, 1);
            else
                ++i;
        }
        values.push_back(value);
    }
    return values;
}

wxString Trimmed(wxString text)
{
    return text.Trim(true).Trim(false);
}

// All values joined into one text (a TEL or EMAIL whose value held an
// unescaped ";" comes split).
wxString Value(EVCardAttribute* attr)
{
    std::vector<wxString> values = Values(attr);
    if (values.size() == 1)
        return Trimmed(values[0]);
    wxString joined;
    for (size_t i = 0; i < values.size(); ++i)
    {
        if (i)
            joined += wxUniChar(';');
        joined += values[i];
    }
    return Trimmed(joined);
}

wxString Component(const std::vector<wxString>& values, size_t i)
{
    return i < values.size() ? Trimmed(values[i]) : wxString();
}

wxString JoinNonEmpty(std::initializer_list<wxString> parts, const wxString& separator)
{
    wxString joined;
    for (const wxString& part : parts)
    {
        if (part.empty())
            continue;
        if (!joined.empty())
            joined += separator;
        joined += part;
    }
    return joined;
}

// A text of one line: the fields the values go to are single-line.
wxString OneLine(const wxString& text)
{
    // Nearly every value is one line already.
    if (text.find_first_of(L"\r\n") == wxString::npos)
        return Trimmed(text);
    wxArrayString lines = wxSplit(text, '\n', '\0');
    wxString joined;
    for (wxString line : lines)
    {
        line.Replace("\r", wxEmptyString);
        line = Trimmed(line);
        if (!line.empty())
            joined += (joined.empty() ? "" : ", ") + line;
    }
    return joined;
}

// A name with its words one space apart.
wxString Words(const wxString& name)
{
    wxString joined;
    bool gap = false;
    for (wxUniChar c : name)
    {
        if (wxIsspace(c))
            gap = !joined.empty();
        else
        {
            if (gap)
                joined += ' ';
            gap = false;
            joined += c;
        }
    }
    return joined;
}

// The comment's tail of values without a field of their own.
class Extra
{
public:
    // The label is translated only when there is a value to show.
    void Add(const char* label, const wxString& value)
    {
        if (!value.empty())
            lines.Add(wxGetTranslation(label) + ": " + value);
    }
    void AddAll(const wxArrayString& more)
    {
        for (const wxString& line : more)
            lines.Add(line);
    }
    wxString Text() const
    {
        return wxJoin(lines, '\n', '\0');
    }

private:
    wxArrayString lines;
};

// Fills the first free slot; false when all are taken. An empty value takes
// its slot too, so that the slots of our own files read back in place.
bool Fill(ContactInfoEx& contact, std::initializer_list<Field> slots, std::vector<bool>& taken, size_t base,
          const wxString& value)
{
    size_t i = 0;
    for (Field slot : slots)
    {
        if (!taken[base + i])
        {
            taken[base + i] = true;
            contact.*slot = value;
            return true;
        }
        ++i;
    }
    return false;
}

// Slot groups, by their first index in the "taken" bitmap.
enum Slots
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

// Messenger properties of the kind "X-AIM:name", and the URI scheme that
// IMPP writes for the same service.
struct MessengerProperty
{
    const char* property;
    const char* scheme;
};
const MessengerProperty MESSENGERS[] = {
    {"X-AIM", "aim"},
    {"X-ICQ", "icq"},
    {"X-JABBER", "xmpp"},
    {"X-GOOGLE-TALK", "xmpp"},
    {"X-GTALK", "xmpp"},
    {"X-MSN", "msnim"},
    {"X-YAHOO", "ymsgr"},
    {"X-SKYPE", "skype"},
    {"X-SKYPE-USERNAME", "skype"},
    {"X-QQ", "qq"},
    {"X-GADUGADU", "gg"},
    {"X-GROUPWISE", "groupwise"},
};

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
        return 1;
    if (word == "f" || word == "female" || word == "woman")
        return 0;
    return -1;
}

// Particles that belong to the family name that follows them.
bool IsParticle(const wxString& word)
{
    static const char* const PARTICLES[] = {"van", "von", "der", "den", "de",  "da",  "di", "del", "della", "du",
                                            "la",  "le",  "ter", "ten", "dos", "das", "do", "bin", "ibn",   "al"};
    for (const char* particle : PARTICLES)
    {
        if (word == particle)
            return true;
    }
    return false;
}

bool IsPrefix(const wxString& word)
{
    static const char* const PREFIXES[] = {"mr", "mrs", "ms", "miss", "dr", "prof", "sir", "mx"};
    wxString bare = word.Lower();
    if (bare.EndsWith("."))
        bare.RemoveLast();
    for (const char* prefix : PREFIXES)
    {
        if (bare == prefix)
            return true;
    }
    return false;
}

bool IsSuffix(const wxString& word)
{
    static const char* const SUFFIXES[] = {"jr", "sr", "ii", "iii", "iv", "phd", "md", "esq"};
    wxString bare = word.Lower();
    bare.Replace(".", wxEmptyString);
    for (const char* suffix : SUFFIXES)
    {
        if (bare == suffix)
            return true;
    }
    return false;
}

// ------------------------------------------------------------- writing

EVCardAttribute* AddProperty(EVCard* card, const char* name, std::initializer_list<wxString> values)
{
    EVCardAttribute* attr = e_vcard_attribute_new(nullptr, name);
    for (const wxString& value : values)
        e_vcard_attribute_add_value(attr, value.utf8_str());
    e_vcard_append_attribute(card, attr);
    return attr;
}

void AddParam(EVCardAttribute* attr, const char* name, std::initializer_list<const char*> values)
{
    EVCardAttributeParam* param = e_vcard_attribute_param_new(name);
    for (const char* value : values)
        e_vcard_attribute_param_add_value(param, value);
    e_vcard_attribute_add_param(attr, param);
}

// The properties of a slot group, up to its last filled slot.
void AddSlots(EVCard* card, const ContactInfoEx& contact, const char* name, std::initializer_list<Field> slots,
              std::initializer_list<const char*> types)
{
    std::vector<Field> fields(slots);
    size_t count = fields.size();
    while (count > 0 && (contact.*fields[count - 1]).empty())
        --count;
    for (size_t i = 0; i < count; ++i)
    {
        EVCardAttribute* attr = AddProperty(card, name, {contact.*fields[i]});
        if (types.size())
        {
            EVCardAttributeParam* param = e_vcard_attribute_param_new("TYPE");
            for (const char* type : types)
                e_vcard_attribute_param_add_value(param, type);
            e_vcard_attribute_add_param(attr, param);
        }
    }
}

void AddAddress(EVCard* card, const char* type, const wxString& line1, const wxString& line2, const wxString& line3)
{
    if (line1.empty() && line2.empty() && line3.empty())
        return;
    AddParam(AddProperty(card, "ADR", {"", "", line1, line2, "", "", line3}), "TYPE", {type});
}

// Whether a text can stand in a parameter value as it is. Parameter values
// have no escapes, and the library reads some characters inside quotes its
// own way; X-PHONETIC-* carries the alphabet names in full anyway.
bool IsPlainParamValue(const wxString& text)
{
    for (wxUniChar c : text)
    {
        if (c < 0x20 || c == 0x7F || c == '"' || c == ';' || c == ':' || c == ',' || c == '=' || c == '\\' || c == '^')
            return false;
    }
    return true;
}

wxString FormatBirthday(const wxDateTime& birthday, VCardVersion version)
{
    const bool midnight = birthday.GetHour() == 0 && birthday.GetMinute() == 0 && birthday.GetSecond() == 0;
    if (version == VCardVersion::V40)
        return birthday.Format(midnight ? "%Y%m%d" : "%Y%m%dT%H%M%S");
    return birthday.Format(midnight ? "%Y-%m-%d" : "%Y-%m-%dT%H:%M:%S");
}
} // namespace

void VCardMapping::SplitFormattedName(const wxString& formatted, wxString& family, wxString& given,
                                      wxArrayString& extra)
{
    family.clear();
    given.clear();
    wxString text = Words(OneLine(formatted));
    if (text.empty())
        return;

    // "Smith, Anne": the family name first, as lists write it.
    int comma = text.Find(',');
    if (comma != wxNOT_FOUND)
    {
        wxString after = Trimmed(text.Mid(comma + 1));
        wxString before = Trimmed(text.Left(comma));
        if (!IsSuffix(after))
        {
            family = Words(before);
            given = Words(after);
            return;
        }
        extra.Add(after);
        text = before;
    }

    std::vector<wxString> words;
    for (const wxString& word : wxSplit(text, ' ', '\0'))
    {
        if (!word.empty())
            words.push_back(word);
    }
    while (words.size() > 1 && IsPrefix(words.front()))
    {
        extra.Add(words.front());
        words.erase(words.begin());
    }
    while (words.size() > 1 && IsSuffix(words.back()))
    {
        extra.Add(words.back());
        words.pop_back();
    }
    // One word (or a name written without spaces, as in Chinese and
    // Japanese) cannot be split: it is the family name, which the list
    // sorts and files by.
    if (words.size() == 1)
    {
        family = words[0];
        return;
    }
    size_t first = words.size() - 1;
    while (first > 1 && IsParticle(words[first - 1]))
        --first;
    for (size_t i = 0; i < words.size(); ++i)
    {
        wxString& part = i < first ? given : family;
        part += (part.empty() ? "" : " ") + words[i];
    }
}

bool VCardMapping::ToContact(EVCard* card, ContactInfoEx& contact, wxArrayString& categories)
{
    // Nothing is invented: no birthday unless the card has one.
    contact.birthday = wxInvalidDateTime;

    EVCardAttribute* versionAttr = e_vcard_get_attribute(card, "VERSION");
    g_version21 = !versionAttr || Value(versionAttr).StartsWith("2");

    Extra extra;
    std::vector<bool> taken(S_COUNT, false);
    wxString formattedName, company, note;
    wxString phoneticFamily, phoneticGiven;
    bool hasPhoneticFamily = false, hasPhoneticGiven = false;
    wxString sortFamily, sortGiven, soundFamily, soundGiven;
    bool nameFound = false, companyCard = false, sexKnown = false;
    wxArrayString prefixes, messengers;

    for (GList* item = e_vcard_get_attributes(card); item; item = item->next)
    {
        EVCardAttribute* attr = static_cast<EVCardAttribute*>(item->data);
        const char* name = e_vcard_attribute_get_name(attr);
        if (!name)
            continue;

        if (NameIs(name, "N"))
        {
            if (nameFound)
                continue;
            std::vector<wxString> v = Values(attr);
            // As written: a name keeps its own spacing, so that our files read back exactly.
            const wxString family = OneLine(Component(v, 0));
            const wxString given = OneLine(JoinNonEmpty({Component(v, 1), Component(v, 2)}, " "));
            if (family.empty() && given.empty())
                continue;
            nameFound = true;
            contact.last_name = family;
            contact.first_name = given;
            extra.Add(wxTRANSLATE("Name prefix"), Component(v, 3));
            extra.Add(wxTRANSLATE("Name suffix"), Component(v, 4));
            wxString sortAs;
            for (const wxString& value : ParamValues(attr, "SORT-AS"))
                sortAs += (sortAs.empty() ? "" : ",") + value;
            if (!sortAs.empty())
            {
                sortFamily = Trimmed(sortAs.BeforeFirst(','));
                sortGiven = Trimmed(sortAs.AfterFirst(','));
            }
        }
        else if (NameIs(name, "FN"))
        {
            if (formattedName.empty())
                formattedName = OneLine(Value(attr));
        }
        else if (NameIs(name, "X-PHONETIC-LAST-NAME"))
        {
            hasPhoneticFamily = true;
            phoneticFamily = Value(attr);
        }
        else if (NameIs(name, "X-PHONETIC-FIRST-NAME"))
        {
            hasPhoneticGiven = true;
            phoneticGiven = Value(attr);
        }
        else if (NameIs(name, "SOUND") && HasType(Types(attr), "x-irmc-n"))
        {
            std::vector<wxString> v = Values(attr);
            soundFamily = Component(v, 0);
            soundGiven = Component(v, 1);
        }
        else if (NameIs(name, "GENDER"))
        {
            wxString sex = Component(Values(attr), 0).Upper();
            if (sex == "M" || sex == "F")
            {
                contact.sex = sex == "M" ? 1 : 0;
                sexKnown = true;
            }
        }
        else if ((NameIs(name, "X-GENDER") || NameIs(name, "X-SEX")) && !sexKnown)
        {
            int sex = SexFromWord(Value(attr));
            if (sex >= 0)
            {
                contact.sex = sex;
                sexKnown = true;
            }
        }
        else if (NameIs(name, "X-WAB-GENDER") && !sexKnown)
        {
            wxString sex = Value(attr);
            if (sex == "1" || sex == "2")
            {
                contact.sex = sex == "2" ? 1 : 0;
                sexKnown = true;
            }
        }
        else if (NameIs(name, "BDAY"))
        {
            const wxString value = Value(attr);
            PartialDate date;
            int omitYear = -1;
            for (const wxString& omit : ParamValues(attr, "X-APPLE-OMIT-YEAR"))
            {
                long year;
                if (omit.ToLong(&year))
                    omitYear = static_cast<int>(year);
            }
            if (ParseBirthday(value, date) && date.year != 0 && date.year != omitYear)
                contact.birthday = wxDateTime(static_cast<wxDateTime::wxDateTime_t>(date.day),
                                              static_cast<wxDateTime::Month>(date.month - 1), date.year,
                                              static_cast<wxDateTime::wxDateTime_t>(date.hour),
                                              static_cast<wxDateTime::wxDateTime_t>(date.minute),
                                              static_cast<wxDateTime::wxDateTime_t>(std::min(date.second, 59)));
            else if (ParseBirthday(value, date)) // shown as the program shows dates, less the year
                extra.Add(wxTRANSLATE("Birthday"), wxString::Format("%02d/%02d", date.month, date.day));
            else
                extra.Add(wxTRANSLATE("Birthday"), value);
        }
        else if (NameIs(name, "ORG"))
        {
            if (!contact.company.empty() || !contact.department.empty())
                continue;
            std::vector<wxString> v = Values(attr);
            contact.company = OneLine(Component(v, 0));
            wxString units;
            for (size_t i = 1; i < v.size(); ++i)
                units = JoinNonEmpty({units, OneLine(v[i])}, ", ");
            contact.department = units;
            company = contact.company;
        }
        else if (NameIs(name, "TITLE"))
        {
            if (contact.job_title.empty())
                contact.job_title = OneLine(Value(attr));
            else
                extra.Add(wxTRANSLATE("Job title"), OneLine(Value(attr)));
        }
        else if (NameIs(name, "ROLE"))
            extra.Add(wxTRANSLATE("Role"), OneLine(Value(attr)));
        else if (NameIs(name, "NICKNAME"))
            extra.Add(wxTRANSLATE("Nickname"), OneLine(Value(attr)));
        else if (NameIs(name, "X-ABSHOWAS"))
            companyCard = Value(attr).CmpNoCase("COMPANY") == 0;
        else if (NameIs(name, "TEL"))
        {
            const TypeList types = Types(attr);
            const wxString number = OneLine(Value(attr));
            const bool work = HasType(types, "work");
            bool stored;
            if (HasType(types, "pager"))
                stored = false;
            else if (HasType(types, "fax"))
                stored = work ? Fill(contact, {&ContactInfoEx::business_fax, &ContactInfoEx::business_fax_2}, taken,
                                     S_BUSINESS_FAX, number)
                              : Fill(contact, {&ContactInfoEx::home_fax, &ContactInfoEx::home_fax_2}, taken, S_HOME_FAX,
                                     number);
            else if (HasType(types, "cell") || HasType(types, "iphone"))
                stored = work ? Fill(contact, {&ContactInfoEx::business_mobile, &ContactInfoEx::business_mobile_2},
                                     taken, S_BUSINESS_MOBILE, number)
                              : Fill(contact, {&ContactInfoEx::home_mobile, &ContactInfoEx::home_mobile_2}, taken,
                                     S_HOME_MOBILE, number);
            else
                stored = work ? Fill(contact, {&ContactInfoEx::business_phone, &ContactInfoEx::business_phone_2}, taken,
                                     S_BUSINESS_PHONE, number)
                              : Fill(contact, {&ContactInfoEx::home_phone, &ContactInfoEx::home_phone_2}, taken,
                                     S_HOME_PHONE, number);
            if (!stored)
                extra.Add(wxTRANSLATE("Phone"), number);
        }
        else if (NameIs(name, "ADR"))
        {
            std::vector<wxString> v = Values(attr);
            const wxString line1 =
                JoinNonEmpty({OneLine(Component(v, 2)), OneLine(Component(v, 1)), OneLine(Component(v, 0))}, ", ");
            const wxString line2 = JoinNonEmpty(
                {JoinNonEmpty({OneLine(Component(v, 5)), OneLine(Component(v, 3))}, " "), OneLine(Component(v, 4))},
                ", ");
            const wxString line3 = OneLine(Component(v, 6));
            const bool work = HasType(Types(attr), "work");
            const size_t slot = work ? S_BUSINESS_ADR : S_HOME_ADR;
            if (!taken[slot])
            {
                taken[slot] = true;
                if (work)
                {
                    contact.business_street = line1;
                    contact.business_street_2 = line2;
                    contact.business_street_3 = line3;
                }
                else
                {
                    contact.home_street = line1;
                    contact.home_street_2 = line2;
                    contact.home_street_3 = line3;
                }
            }
            else
                extra.Add(wxTRANSLATE("Address"), JoinNonEmpty({line1, line2, line3}, ", "));
        }
        else if (NameIs(name, "EMAIL"))
        {
            const wxString address = OneLine(Value(attr));
            if (!Fill(contact, {&ContactInfoEx::email, &ContactInfoEx::email_2}, taken, S_EMAIL, address))
                extra.Add(wxTRANSLATE("E-mail"), address);
        }
        else if (NameIs(name, "URL"))
        {
            const wxString url = OneLine(Value(attr));
            if (!Fill(contact, {&ContactInfoEx::webpage, &ContactInfoEx::webpage_2}, taken, S_WEBPAGE, url))
                extra.Add(wxTRANSLATE("Web page"), url);
        }
        else if (NameIs(name, "NOTE"))
            note = JoinNonEmpty({note, Value(attr)}, "\n\n");
        else if (NameIs(name, "CATEGORIES"))
        {
            for (const wxString& value : Values(attr))
            {
                // 2.1 has no list syntax: some writers separate with commas anyway.
                for (wxString category : wxSplit(value, ',', '\0'))
                {
                    category = OneLine(category);
                    if (category.empty())
                        continue;
                    bool seen = false;
                    for (const wxString& known : categories)
                        seen = seen || known.CmpNoCase(category) == 0;
                    if (!seen)
                        categories.Add(category);
                }
            }
        }
        else
        {
            // Messengers: IMPP carries a URI, the older X- forms a bare id.
            wxString id;
            if (NameIs(name, "IMPP"))
                id = OneLine(Value(attr));
            else
            {
                for (const MessengerProperty& m : MESSENGERS)
                {
                    if (NameIs(name, m.property))
                    {
                        const wxString bare = OneLine(Value(attr));
                        if (!bare.empty())
                            id = wxString(m.scheme) + ":" + bare;
                        break;
                    }
                }
                if (id.empty())
                    continue;
            }
            // The same account often comes both as IMPP and as X- form.
            if (!id.empty() && messengers.Index(id, false) != wxNOT_FOUND)
                continue;
            messengers.Add(id);
            const bool stored =
                HasType(Types(attr), "work")
                    ? Fill(contact,
                           {&ContactInfoEx::business_im, &ContactInfoEx::business_im_2, &ContactInfoEx::business_im_3},
                           taken, S_BUSINESS_IM, id)
                    : Fill(contact, {&ContactInfoEx::home_im, &ContactInfoEx::home_im_2, &ContactInfoEx::home_im_3},
                           taken, S_HOME_IM, id);
            if (!stored)
                extra.Add(wxTRANSLATE("Messenger"), id);
        }
    }

    if (!nameFound)
    {
        if (!formattedName.empty() && (companyCard || (!company.empty() && formattedName == company)))
            contact.last_name = Words(formattedName);
        else if (!formattedName.empty())
        {
            wxArrayString titles;
            SplitFormattedName(formattedName, contact.last_name, contact.first_name, titles);
            for (const wxString& title : titles)
                extra.Add(wxTRANSLATE("Name title"), title);
        }
        else
            contact.last_name = Words(company);
        if (contact.last_name.empty() && contact.first_name.empty())
            return false;
    }

    if (hasPhoneticFamily)
        contact.last_name_alpha = phoneticFamily;
    else if (!sortFamily.empty())
        contact.last_name_alpha = sortFamily;
    else if (!soundFamily.empty())
        contact.last_name_alpha = soundFamily;
    else
        contact.last_name_alpha = contact.last_name;
    if (hasPhoneticGiven)
        contact.first_name_alpha = phoneticGiven;
    else if (!sortGiven.empty())
        contact.first_name_alpha = sortGiven;
    else if (!soundGiven.empty())
        contact.first_name_alpha = soundGiven;
    else
        contact.first_name_alpha = contact.first_name;

    contact.comment = JoinNonEmpty({note, extra.Text()}, "\n\n");
    return true;
}

std::string VCardMapping::FromContact(const ContactInfoEx& c, const wxArrayString& tags, VCardVersion version)
{
    const bool v4 = version == VCardVersion::V40;
    EVCard* card = e_vcard_new();

    EVCardAttribute* n = AddProperty(card, "N", {c.last_name, c.first_name, "", "", ""});
    if (v4 && (c.last_name_alpha != c.last_name || c.first_name_alpha != c.first_name) &&
        IsPlainParamValue(c.last_name_alpha) && IsPlainParamValue(c.first_name_alpha) &&
        // The library does not read a parameter folded onto the next line.
        strlen(c.last_name_alpha.utf8_str()) + strlen(c.first_name_alpha.utf8_str()) <= 40)
        AddParam(n, "SORT-AS", {c.last_name_alpha.utf8_str(), c.first_name_alpha.utf8_str()});
    AddProperty(card, "FN", {Trimmed(c.GetDisplayName())});
    if (c.last_name_alpha != c.last_name)
        AddProperty(card, "X-PHONETIC-LAST-NAME", {c.last_name_alpha});
    if (c.first_name_alpha != c.first_name)
        AddProperty(card, "X-PHONETIC-FIRST-NAME", {c.first_name_alpha});
    if (v4)
        AddProperty(card, "GENDER", {c.sex == 0 ? "F" : "M"});
    else
        AddProperty(card, "X-GENDER", {c.sex == 0 ? "Female" : "Male"});
    if (c.birthday.IsValid())
        AddProperty(card, "BDAY", {FormatBirthday(c.birthday, version)});
    if (!c.company.empty() || !c.department.empty())
        AddProperty(card, "ORG", {c.company, c.department});
    if (!c.job_title.empty())
        AddProperty(card, "TITLE", {c.job_title});

    AddSlots(card, c, "TEL", {&ContactInfoEx::business_phone, &ContactInfoEx::business_phone_2}, {"WORK", "VOICE"});
    AddSlots(card, c, "TEL", {&ContactInfoEx::business_mobile, &ContactInfoEx::business_mobile_2}, {"WORK", "CELL"});
    AddSlots(card, c, "TEL", {&ContactInfoEx::business_fax, &ContactInfoEx::business_fax_2}, {"WORK", "FAX"});
    AddSlots(card, c, "TEL", {&ContactInfoEx::home_phone, &ContactInfoEx::home_phone_2}, {"HOME", "VOICE"});
    AddSlots(card, c, "TEL", {&ContactInfoEx::home_mobile, &ContactInfoEx::home_mobile_2}, {"HOME", "CELL"});
    AddSlots(card, c, "TEL", {&ContactInfoEx::home_fax, &ContactInfoEx::home_fax_2}, {"HOME", "FAX"});
    AddAddress(card, "WORK", c.business_street, c.business_street_2, c.business_street_3);
    AddAddress(card, "HOME", c.home_street, c.home_street_2, c.home_street_3);
    AddSlots(card, c, "IMPP",
             {&ContactInfoEx::business_im, &ContactInfoEx::business_im_2, &ContactInfoEx::business_im_3}, {"WORK"});
    AddSlots(card, c, "IMPP", {&ContactInfoEx::home_im, &ContactInfoEx::home_im_2, &ContactInfoEx::home_im_3},
             {"HOME"});
    if (v4)
        AddSlots(card, c, "EMAIL", {&ContactInfoEx::email, &ContactInfoEx::email_2}, {});
    else
        AddSlots(card, c, "EMAIL", {&ContactInfoEx::email, &ContactInfoEx::email_2}, {"INTERNET"});
    AddSlots(card, c, "URL", {&ContactInfoEx::webpage, &ContactInfoEx::webpage_2}, {});
    if (!c.comment.empty())
        AddProperty(card, "NOTE", {c.comment});
    if (!tags.empty())
    {
        EVCardAttribute* attr = e_vcard_attribute_new(nullptr, "CATEGORIES");
        for (const wxString& tag : tags)
            e_vcard_attribute_add_value(attr, tag.utf8_str());
        e_vcard_append_attribute(card, attr);
    }

    gchar* text = e_vcard_to_string(card, EVC_FORMAT_VCARD_30);
    std::string result(text ? text : "");
    g_free(text);
    g_object_unref(card);

    // This library version writes 3.0 only. 4.0 has the same content-line
    // syntax (escaping, folding, UTF-8); what differs are the properties
    // above, so only the version line is changed.
    if (v4)
    {
        const size_t pos = result.find("VERSION:3.0\r\n");
        if (pos != std::string::npos)
            result.replace(pos, std::strlen("VERSION:3.0"), "VERSION:4.0");
    }
    if (result.size() < 2 || result.compare(result.size() - 2, 2, "\r\n") != 0)
        result += "\r\n";
    return result;
}
