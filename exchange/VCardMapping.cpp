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
//                -> sex 1 / 0; nothing known: SEX_NOT_STATED, and any other
//                value (GENDER:O, :N, :U) kept; export writes no gender then
//   BDAY         1980-04-15, 19800415, date-times (the time as written, a
//                zone ignored: a birthday is a calendar date) -> birthday;
//                without a year (--04-15, Apple's X-APPLE-OMIT-YEAR): no
//                birthday, the property kept (see "kept") so that export
//                writes it back as it came; as text: kept in the comment.
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
//   extra: a name title split off a formatted name, or a birthday written
//   as text, is appended to the comment after a blank line, one
//   "Label: value" per line.
//
//   kept: every property no reader takes (UID, PHOTO, ANNIVERSARY, RELATED,
//   GEO, TZ, LANG, NICKNAME, ROLE, X- properties, grouped item1.X-ABLabel...)
//   and what finds no free slot (a third e-mail or address, a pager, a
//   second title, a birthday without a year, GENDER:O) is kept whole as a
//   content line with its group and parameters, beside the contact, and
//   written back on export.
//   shadows: an N with a middle name, prefix or suffix, an ADR with parts or
//   parameters our own lines do not carry, an EMAIL with a kind (HOME,
//   WORK) or other parameters, and a grouped EMAIL, TEL, ADR or URL
//   (item1.EMAIL beside its item1.X-ABLabel) fill their fields and are kept as well. On
//   export such a line takes the place of the one made from the fields
//   while the fields still read the same from it; once the user changed
//   them, the fields win (a changed name drops the old N).
//
// Writing (3.0 or 4.0, UTF-8):
//
//   N:last_name;first_name;;;  (4.0 with SORT-AS when an alphabet name differs)
//   UID: the card's own when it was kept, else made from the record's id and
//        entry time, the same on every export
//   the kept properties (see below), as they came
//   FN:the name in its script's order (given name first for Latin names;
//      family name first, no space, for Chinese, Japanese and Korean ones)
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
// Lines are folded at 75 octets, never inside a UTF-8 sequence.
//
// Fields that come in numbered slots are written up to the last filled
// slot, an empty slot before it as an empty property, so that every value
// reads back into the slot it came from.
#include "exchange/VCardMapping.h"

#include <libebook-contacts/libebook-contacts.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "exchange/VCardReading.h"

namespace
{
// ------------------------------------------------------------- reading

using Reader = void (*)(VCardReading& card, EVCardAttribute* attr);

struct PropertyReader
{
    const char* property;
    Reader read;
};

// Which property goes where (the table above says what each reader does).
// Anything not listed is kept as it came (ContactInfoEx::keptProperties).
const PropertyReader READERS[] = {
    {"N", VCardRead::StructuredName},
    {"FN", VCardRead::FormattedName},
    {"X-PHONETIC-LAST-NAME", VCardRead::PhoneticFamilyName},
    {"X-PHONETIC-FIRST-NAME", VCardRead::PhoneticGivenName},
    {"SOUND", VCardRead::SoundName},
    {"X-ABSHOWAS", VCardRead::ShowAs},
    {"GENDER", VCardRead::Gender},
    {"X-GENDER", VCardRead::GenderWord},
    {"X-SEX", VCardRead::GenderWord},
    {"X-WAB-GENDER", VCardRead::WabGender},
    {"BDAY", VCardRead::Birthday},
    {"ORG", VCardRead::Organisation},
    {"TITLE", VCardRead::JobTitle},
    {"TEL", VCardRead::Phone},
    {"ADR", VCardRead::Address},
    {"EMAIL", VCardRead::Email},
    {"URL", VCardRead::WebPage},
    {"NOTE", VCardRead::Note},
    {"CATEGORIES", VCardRead::Categories},
    {"IMPP", VCardRead::MessengerUri},
    // The older messenger properties, with the URI scheme IMPP writes for
    // the same service.
    {"X-AIM", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "aim"); }},
    {"X-ICQ", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "icq"); }},
    {"X-JABBER", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "xmpp"); }},
    {"X-GOOGLE-TALK", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "xmpp"); }},
    {"X-GTALK", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "xmpp"); }},
    {"X-MSN", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "msnim"); }},
    {"X-YAHOO", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "ymsgr"); }},
    {"X-SKYPE", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "skype"); }},
    {"X-SKYPE-USERNAME",
     [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "skype"); }},
    {"X-QQ", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "qq"); }},
    {"X-GADUGADU", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "gg"); }},
    {"X-GROUPWISE", [](VCardReading& card, EVCardAttribute* attr) { VCardRead::MessengerId(card, attr, "groupwise"); }},
};

Reader ReaderFor(const char* property)
{
    for (const PropertyReader& reader : READERS)
    {
        if (VCardText::NameIs(property, reader.property))
            return reader.read;
    }
    return nullptr;
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
void AddSlots(EVCard* card, const ContactInfoEx& contact, const char* name, std::initializer_list<VCardField> slots,
              std::initializer_list<const char*> types)
{
    std::vector<VCardField> fields(slots);
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

// Chinese, Japanese and Korean characters (Hangul jamo and syllables,
// kana, Han, their compatibility and half-width forms).
bool IsCjk(wxUniChar c)
{
    const wxUint32 u = c.GetValue();
    return (u >= 0x1100 && u <= 0x11FF) || (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) ||
           (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF66 && u <= 0xFFDC) || (u >= 0x20000 && u <= 0x3FFFF);
}

// The name as its own script writes it: given name first for Latin names,
// family name first and no space between for Chinese, Japanese and Korean.
wxString FormattedName(const ContactInfoEx& c)
{
    const wxString family = VCardText::Trimmed(c.last_name), given = VCardText::Trimmed(c.first_name);
    for (const wxString* part : {&family, &given})
    {
        for (wxUniChar ch : *part)
        {
            if (IsCjk(ch))
                return family + given;
        }
    }
    return VCardText::JoinNonEmpty({given, family}, " ");
}

// Content lines of at most 75 octets, the line end aside, as the standard
// counts them: the library counts characters, and CJK text made lines of
// over 200 octets. A fold never splits a UTF-8 sequence.
std::string FoldByOctets(const std::string& unfolded)
{
    const size_t LIMIT = 75;
    std::string out;
    out.reserve(unfolded.size() + unfolded.size() / 32);
    for (size_t pos = 0; pos < unfolded.size();)
    {
        size_t end = unfolded.find("\r\n", pos);
        if (end == std::string::npos)
            end = unfolded.size();
        size_t room = LIMIT;
        while (end - pos > room)
        {
            size_t cut = pos + room;
            while (cut > pos && (static_cast<unsigned char>(unfolded[cut]) & 0xC0) == 0x80)
                --cut;
            if (cut == pos) // no character starts here: not UTF-8, cut anyway
                cut = pos + room;
            out.append(unfolded, pos, cut - pos);
            out += "\r\n ";
            pos = cut;
            room = LIMIT - 1; // the blank that starts the folded line counts
        }
        out.append(unfolded, pos, end - pos);
        out += "\r\n";
        pos = end + 2;
    }
    return out;
}

// Undoes the library's folding, which only ever inserts CR LF and a blank
// (a line end inside a value is written as "\n").
std::string Unfold(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r' && i + 2 < text.size() && text[i + 1] == '\n' && text[i + 2] == ' ')
            i += 2;
        else
            out += text[i];
    }
    return out;
}

// A UID that stays the same from one export to the next: made from what
// never changes about the stored record (its id and the moment it was
// entered), as a name-based UUID.
} // namespace

wxString VCardMapping::StableUid(const ContactInfoEx& c)
{
    const wxString key = wxString::Format("corvala-contact:%d:%s", c.id,
                                          c.entry_time.IsValid() ? c.entry_time.Format("%Y%m%dT%H%M%S") : wxString());
    gchar* sha1 = g_compute_checksum_for_string(G_CHECKSUM_SHA1, key.utf8_str(), -1);
    std::string hex(sha1 ? sha1 : "");
    g_free(sha1);
    hex.resize(32, '0');
    hex[12] = '5';                                                             // version 5: name-based, SHA-1
    hex[16] = "89ab"[std::strtol(hex.substr(16, 1).c_str(), nullptr, 16) & 3]; // the RFC 4122 variant
    return wxString::Format("urn:uuid:%s-%s-%s-%s-%s", hex.substr(0, 8), hex.substr(8, 4), hex.substr(12, 4),
                            hex.substr(16, 4), hex.substr(20, 12));
}

namespace
{
wxString FormatBirthday(const wxDateTime& birthday, VCardVersion version)
{
    const bool midnight = birthday.GetHour() == 0 && birthday.GetMinute() == 0 && birthday.GetSecond() == 0;
    if (version == VCardVersion::V40)
        return birthday.Format(midnight ? "%Y%m%d" : "%Y%m%dT%H%M%S");
    return birthday.Format(midnight ? "%Y-%m-%d" : "%Y-%m-%dT%H:%M:%S");
}

// The library's writer steps through a value one UTF-8 character at a time,
// and past the end of one that stops inside a character (a damaged
// quoted-printable line decodes to such bytes): every value and parameter
// value is made valid UTF-8 before it is written.
void MakeValidUtf8(EVCardAttribute* attr)
{
    bool valid = true;
    for (GList* v = e_vcard_attribute_get_values(attr); v && valid; v = v->next)
        valid = g_utf8_validate(static_cast<const char*>(v->data), -1, nullptr);
    if (!valid)
    {
        std::vector<std::string> values;
        for (GList* v = e_vcard_attribute_get_values(attr); v; v = v->next)
        {
            gchar* fixed = g_utf8_make_valid(static_cast<const char*>(v->data), -1);
            values.emplace_back(fixed);
            g_free(fixed);
        }
        e_vcard_attribute_remove_values(attr);
        for (const std::string& value : values)
            e_vcard_attribute_add_value(attr, value.c_str());
    }
    bool paramsValid = true;
    for (GList* p = e_vcard_attribute_get_params(attr); p && paramsValid; p = p->next)
    {
        EVCardAttributeParam* param = static_cast<EVCardAttributeParam*>(p->data);
        paramsValid = g_utf8_validate(e_vcard_attribute_param_get_name(param), -1, nullptr);
        for (GList* v = e_vcard_attribute_param_get_values(param); v && paramsValid; v = v->next)
            paramsValid = g_utf8_validate(static_cast<const char*>(v->data), -1, nullptr);
    }
    if (paramsValid)
        return;
    // All of them again, in their order, the damaged ones made valid.
    std::vector<EVCardAttributeParam*> params;
    for (GList* p = e_vcard_attribute_get_params(attr); p; p = p->next)
    {
        EVCardAttributeParam* param = static_cast<EVCardAttributeParam*>(p->data);
        gchar* name = g_utf8_make_valid(e_vcard_attribute_param_get_name(param), -1);
        EVCardAttributeParam* fixed = e_vcard_attribute_param_new(name);
        g_free(name);
        for (GList* v = e_vcard_attribute_param_get_values(param); v; v = v->next)
        {
            gchar* value = g_utf8_make_valid(static_cast<const char*>(v->data), -1);
            e_vcard_attribute_param_add_value(fixed, value);
            g_free(value);
        }
        params.push_back(fixed);
    }
    e_vcard_attribute_remove_params(attr);
    for (EVCardAttributeParam* fixed : params)
        e_vcard_attribute_add_param(attr, fixed);
}

// One property as a content line of its own, unfolded, as the library
// writes it (3.0 syntax, which 4.0 shares).
wxString ContentLine(EVCardAttribute* attr)
{
    EVCard* one = e_vcard_new();
    EVCardAttribute* copy = e_vcard_attribute_copy(attr);
    // The values are UTF-8 text by now: a 2.1 card's charset and
    // quoted-printable no longer describe them (base64 data keeps its own).
    e_vcard_attribute_remove_param(copy, "CHARSET");
    for (const wxString& encoding : VCardText::ParamValues(attr, "ENCODING"))
    {
        if (encoding.CmpNoCase("QUOTED-PRINTABLE") == 0)
            e_vcard_attribute_remove_param(copy, "ENCODING");
    }
    MakeValidUtf8(copy);
    e_vcard_append_attribute(one, copy);
    gchar* text = e_vcard_to_string(one, EVC_FORMAT_VCARD_30);
    const std::string card = Unfold(text ? text : "");
    g_free(text);
    g_object_unref(one);
    const size_t version = card.find("VERSION:3.0\r\n");
    const size_t start = version == std::string::npos ? std::string::npos : version + 13;
    const size_t end = card.rfind("\r\nEND:VCARD");
    if (start == std::string::npos || end == std::string::npos || end < start)
        return wxString();
    std::string line = card.substr(start, end - start);
    // A URI ("geo:52.52,13.40") is no text: its commas are not escaped.
    GList* values = e_vcard_attribute_get_values(attr);
    const char* first = values ? static_cast<const char*>(values->data) : nullptr;
    const char* scheme = first;
    while (scheme && g_ascii_isalpha(*scheme))
        ++scheme;
    const size_t colon = line.find(':');
    if (first && scheme != first && *scheme == ':' && colon != std::string::npos)
    {
        for (size_t pos = colon; (pos = line.find("\\,", pos)) != std::string::npos;)
            line.erase(pos, 1);
    }
    return wxString::FromUTF8(line.data(), line.size());
}

// The properties other than N whose kept lines take the place of the line
// the fields make (see PutShadow).
bool IsShadowKind(const std::string& name)
{
    return name == "ADR" || name == "EMAIL" || name == "TEL" || name == "URL";
}

// A content line's property name, upper case, without its group.
std::string PropertyName(const std::string& line)
{
    const size_t end = line.find_first_of(";:");
    std::string name = line.substr(0, end);
    const size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.erase(0, dot + 1);
    for (char& ch : name)
        ch = g_ascii_toupper(ch);
    return name;
}

// What the names and text fields of a card read.
wxString FieldsOfCard(const std::string& unfolded)
{
    // Folded as it will be written: a line that reads otherwise once folded
    // (a parameter the library splits differently) is no shadow.
    const std::string text = FoldByOctets(unfolded);
    EVCard* card = E_VCARD(g_object_new(E_TYPE_VCARD, nullptr));
    e_vcard_construct_full(card, text.data(), static_cast<gssize>(text.size()), nullptr);
    ContactInfoEx contact;
    wxArrayString categories;
    VCardMapping::ToContact(card, contact, categories); // no name: false, the fields are read all the same
    g_object_unref(card);
    wxString fields = contact.last_name + '\n' + contact.first_name;
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
        fields += '\n' + contact.*field;
    return fields;
}

// What the fields hold after reading one N, ADR or EMAIL line alone.
wxString FieldsOf(const std::string& line)
{
    return FieldsOfCard("BEGIN:VCARD\r\nVERSION:3.0\r\n" + line + "\r\nEND:VCARD\r\n");
}

// A kept N, ADR or EMAIL line takes the place of a line the fields made
// (not yet taken by another) when the fields read the same from it.
bool PutShadow(std::vector<std::string>& lines, std::vector<bool>& taken, const std::string& kept)
{
    const std::string name = PropertyName(kept);
    if (name != "N" && !IsShadowKind(name))
        return false;
    const wxString wanted = FieldsOf(kept);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        if (!taken[i] && PropertyName(lines[i]) == name && FieldsOf(lines[i]) == wanted)
        {
            lines[i] = kept;
            taken[i] = true;
            return true;
        }
    }
    return false;
}

// Whether a kept line, added to the card's lines, would change what the
// card's fields read: a line the fields once came from whose field has
// changed or been emptied since. The fields win; the line is dropped.
bool WouldFillAField(const std::vector<std::string>& lines, const std::string& kept)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return FieldsOfCard(text + "END:VCARD\r\n") != FieldsOfCard(text + kept + "\r\nEND:VCARD\r\n");
}

bool IsUidLine(const wxString& line)
{
    return line.Upper().StartsWith("UID:") || line.Upper().StartsWith("UID;");
}
} // namespace

bool VCardMapping::ToContact(EVCard* card, ContactInfoEx& contact, wxArrayString& categories)
{
    // Nothing is invented: no birthday and no sex unless the card has them.
    contact.birthday = wxInvalidDateTime;
    contact.sex = SEX_NOT_STATED;
    VCardReading reading(card, contact, categories);
    for (GList* item = e_vcard_get_attributes(card); item; item = item->next)
    {
        EVCardAttribute* attr = static_cast<EVCardAttribute*>(item->data);
        const char* name = e_vcard_attribute_get_name(attr);
        reading.keep = false;
        if (const Reader read = ReaderFor(name))
        {
            read(reading, attr);
            // A grouped e-mail, phone, address or web page (item1.EMAIL with
            // its item1.X-ABLabel) fills its field and is kept as well, so
            // that it goes back with its group.
            const char* group = e_vcard_attribute_get_group(attr);
            if (group && *group && IsShadowKind(PropertyName(name)))
                reading.keep = true;
        }
        // A stray BEGIN or END inside a card is noise: kept, it would end the
        // card on export.
        if (VCardText::NameIs(name, "VERSION") || VCardText::NameIs(name, "BEGIN") || VCardText::NameIs(name, "END"))
            continue;
        if (reading.keep || !ReaderFor(name))
        {
            // No field of its own: kept whole, parameters and group too.
            const wxString line = ContentLine(attr);
            if (!line.empty())
                contact.keptProperties.Add(line);
        }
    }
    if (!VCardRead::FinishNames(reading))
        return false;
    contact.comment = VCardText::JoinNonEmpty({reading.note, reading.extra.Text()}, "\n\n");
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
    AddProperty(card, "FN", {FormattedName(c)});
    const bool keptUid = std::any_of(c.keptProperties.begin(), c.keptProperties.end(), IsUidLine);
    if (!keptUid)
        AddProperty(card, "UID", {VCardMapping::StableUid(c)});
    if (c.last_name_alpha != c.last_name)
        AddProperty(card, "X-PHONETIC-LAST-NAME", {c.last_name_alpha});
    if (c.first_name_alpha != c.first_name)
        AddProperty(card, "X-PHONETIC-FIRST-NAME", {c.first_name_alpha});
    // Not stated: no gender at all (a kept GENDER:O or :U goes back as it came).
    if (c.sex == SEX_MALE || c.sex == SEX_FEMALE)
    {
        if (v4)
            AddProperty(card, "GENDER", {c.sex == SEX_FEMALE ? "F" : "M"});
        else
            AddProperty(card, "X-GENDER", {c.sex == SEX_FEMALE ? "Female" : "Male"});
    }
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
    std::string unfolded = Unfold(text ? text : "");
    g_free(text);
    g_object_unref(card);
    // What the card had without a field of its own goes back as it came.
    const size_t end = unfolded.rfind("END:VCARD");
    if (end != std::string::npos && !c.keptProperties.empty())
    {
        std::vector<std::string> lines;
        for (size_t start = 0, stop; (stop = unfolded.find("\r\n", start)) != std::string::npos && stop < end;
             start = stop + 2)
            lines.push_back(unfolded.substr(start, stop - start));
        const std::vector<std::string> fromFields = lines;
        // With shadows, or (when they would read otherwise) without any.
        for (const bool shadows : {true, false})
        {
            lines = fromFields;
            std::vector<bool> taken(lines.size(), false);
            std::string kept;
            bool placed = false;
            for (const wxString& line : c.keptProperties)
            {
                // A year-less birthday kept from a card gives way to one typed in.
                if (c.birthday.IsValid() && (line.Upper().StartsWith("BDAY:") || line.Upper().StartsWith("BDAY;")))
                    continue;
                const std::string text = line.utf8_string();
                const std::string name = PropertyName(text);
                if (name == "BEGIN" || name == "END" || name == "VERSION") // never part of a card's body
                    continue;
                if (shadows && PutShadow(lines, taken, text))
                {
                    placed = true;
                    continue;
                }
                // The name was changed, or an address or e-mail the fields took
                // from this line: the fields win.
                if (name == "N" || (IsShadowKind(name) && WouldFillAField(lines, text)))
                    continue;
                kept += text + "\r\n";
            }
            std::string joined;
            for (const std::string& made : lines)
                joined += made + "\r\n";
            const std::string candidate = joined + kept + unfolded.substr(end);
            // A shadow line that reads alone as its field did may still read
            // otherwise among the others (a damaged parameter): the fields
            // are what must come back, so the card goes without shadows then.
            if (shadows && placed)
            {
                std::string plain;
                for (const std::string& made : fromFields)
                    plain += made + "\r\n";
                if (FieldsOfCard(candidate) != FieldsOfCard(plain + unfolded.substr(end)))
                    continue;
            }
            unfolded = candidate;
            break;
        }
    }
    std::string result = FoldByOctets(unfolded);

    // This library version writes 3.0 only. 4.0 has the same content-line
    // syntax (escaping, folding, UTF-8); what differs are the properties
    // above, so only the version line is changed.
    if (v4)
    {
        const size_t pos = result.find("VERSION:3.0\r\n");
        if (pos != std::string::npos)
            result.replace(pos, std::strlen("VERSION:3.0"), "VERSION:4.0");
    }
    return result;
}
