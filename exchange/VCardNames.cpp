#include <wx/intl.h>

#include "exchange/VCardMapping.h"
#include "exchange/VCardReading.h"

using namespace VCardText;

namespace
{
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

} // namespace

void VCardRead::StructuredName(VCardReading& card, EVCardAttribute* attr)
{
    if (card.names.fromN)
        return;
    std::vector<wxString> v = card.Values(attr);
    // As written: a name keeps its own spacing, so that our files read back exactly.
    const wxString family = OneLine(Component(v, 0));
    const wxString given = OneLine(JoinNonEmpty({Component(v, 1), Component(v, 2)}, " "));
    if (family.empty() && given.empty())
        return;
    card.names.fromN = true;
    card.contact.last_name = family;
    card.contact.first_name = given;
    // A middle name joins the given name; with it, or a prefix or suffix, the
    // card's N is kept too, and export writes it back while the names are
    // unchanged.
    if (!Component(v, 2).empty() || !Component(v, 3).empty() || !Component(v, 4).empty())
        card.keep = true;
    wxString sortAs;
    for (const wxString& value : ParamValues(attr, "SORT-AS"))
        sortAs += (sortAs.empty() ? "" : ",") + value;
    // A comma parts the two; some writers use a semicolon, as in N.
    const size_t split = sortAs.find_first_of(",;");
    if (!sortAs.empty())
    {
        card.names.sortFamily = Trimmed(sortAs.substr(0, split));
        card.names.sortGiven = split == wxString::npos ? wxString() : Trimmed(sortAs.substr(split + 1));
    }
}

void VCardRead::FormattedName(VCardReading& card, EVCardAttribute* attr)
{
    if (card.names.formatted.empty())
        card.names.formatted = OneLine(card.Value(attr));
}

void VCardRead::PhoneticFamilyName(VCardReading& card, EVCardAttribute* attr)
{
    // Some phones write both readings here, structured like N.
    std::vector<wxString> v = card.Structured(attr);
    card.names.phoneticFamily = Component(v, 0);
    if (v.size() > 1 && !card.names.phoneticGiven)
        card.names.phoneticGiven = Component(v, 1);
}

void VCardRead::PhoneticGivenName(VCardReading& card, EVCardAttribute* attr)
{
    card.names.phoneticGiven = card.Value(attr);
}

void VCardRead::SoundName(VCardReading& card, EVCardAttribute* attr)
{
    if (!HasType(Types(attr), "x-irmc-n"))
        return;
    std::vector<wxString> v = card.Structured(attr);
    card.names.soundFamily = Component(v, 0);
    card.names.soundGiven = Component(v, 1);
}

void VCardRead::ShowAs(VCardReading& card, EVCardAttribute* attr)
{
    card.names.companyCard = card.Value(attr).CmpNoCase("COMPANY") == 0;
}

namespace
{
// No N: the formatted name, split as a person would, or whole for a company
// card; no FN either: the organisation.
void NameFromOthers(VCardReading& card)
{
    const VCardNameParts& names = card.names;
    ContactInfoEx& contact = card.contact;
    if (!names.formatted.empty() && (names.companyCard || (!names.company.empty() && names.formatted == names.company)))
        contact.last_name = Words(names.formatted);
    else if (!names.formatted.empty())
    {
        wxArrayString titles;
        VCardMapping::SplitFormattedName(names.formatted, contact.last_name, contact.first_name, titles);
        for (const wxString& title : titles)
            card.extra.Add(wxTRANSLATE("Name title"), title);
    }
    else
        contact.last_name = Words(names.company);
}

const wxString& AlphabetName(const std::optional<wxString>& phonetic, const wxString& sortAs, const wxString& sound,
                             const wxString& name)
{
    if (phonetic)
        return *phonetic;
    if (!sortAs.empty())
        return sortAs;
    if (!sound.empty())
        return sound;
    return name;
}
} // namespace

bool VCardRead::FinishNames(VCardReading& card)
{
    ContactInfoEx& contact = card.contact;
    if (!card.names.fromN)
    {
        NameFromOthers(card);
        if (contact.last_name.empty() && contact.first_name.empty())
            return false;
    }
    const VCardNameParts& names = card.names;
    contact.last_name_alpha =
        AlphabetName(names.phoneticFamily, names.sortFamily, names.soundFamily, contact.last_name);
    contact.first_name_alpha = AlphabetName(names.phoneticGiven, names.sortGiven, names.soundGiven, contact.first_name);
    return true;
}

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
