#include "exchange/VCardReading.h"

#include <libebook-contacts/libebook-contacts.h>

#include <wx/intl.h>

#include <algorithm>

wxString VCardText::FromUtf8(const char* text)
{
    return text ? wxString::FromUTF8(text) : wxString();
}

bool VCardText::NameIs(const char* name, const char* wanted)
{
    return name && g_ascii_strcasecmp(name, wanted) == 0;
}

std::vector<wxString> VCardText::ParamValues(EVCardAttribute* attr, const char* name)
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

// 4.0 writes TYPE="work,voice", which the library keeps as one value. Plain
// ASCII: the types are words.
VCardTypes VCardText::Types(EVCardAttribute* attr)
{
    VCardTypes types;
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

bool VCardText::HasType(const VCardTypes& types, const char* type)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

bool VCardText::HasDetailBeyond(EVCardAttribute* attr, std::initializer_list<const char*> plainTypes)
{
    for (GList* p = e_vcard_attribute_get_params(attr); p; p = p->next)
    {
        if (!NameIs(e_vcard_attribute_param_get_name(static_cast<EVCardAttributeParam*>(p->data)), "TYPE"))
            return true;
    }
    for (const std::string& type : Types(attr))
    {
        if (std::none_of(plainTypes.begin(), plainTypes.end(), [&](const char* plain) { return type == plain; }))
            return true;
    }
    return false;
}

wxString VCardText::Trimmed(wxString text)
{
    return text.Trim(true).Trim(false);
}

wxString VCardText::Component(const std::vector<wxString>& values, size_t i)
{
    return i < values.size() ? Trimmed(values[i]) : wxString();
}

wxString VCardText::JoinNonEmpty(std::initializer_list<wxString> parts, const wxString& separator)
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

wxString VCardText::OneLine(const wxString& text)
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

wxString VCardText::Words(const wxString& name)
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

void VCardExtra::Add(const char* label, const wxString& value)
{
    if (!value.empty())
        lines.Add(wxGetTranslation(label) + ": " + value);
}

wxString VCardExtra::Text() const
{
    return wxJoin(lines, '\n', '\0');
}

VCardReading::VCardReading(EVCard* card, ContactInfoEx& contact, wxArrayString& categories)
    : contact(contact), categories(categories), taken(S_COUNT, false)
{
    EVCardAttribute* versionAttr = e_vcard_get_attribute(card, "VERSION");
    version21 = !versionAttr || Value(versionAttr).StartsWith("2");
}

// The library decodes quoted-printable (and drops the ENCODING parameter)
// but may leave a soft line break after a plain character in place; in a 2.1
// value "=" before a line end cannot be meant otherwise (a real "=" is
// encoded).
std::vector<wxString> VCardReading::Values(EVCardAttribute* attr) const
{
    std::vector<wxString> values;
    for (GList* v = e_vcard_attribute_get_values(attr); v; v = v->next)
    {
        wxString value = VCardText::FromUtf8(static_cast<const char*>(v->data));
        if (version21 && value.find('=') != wxString::npos)
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

std::vector<wxString> VCardReading::Structured(EVCardAttribute* attr) const
{
    std::vector<wxString> values = Values(attr);
    if (values.size() != 1)
        return values;
    std::vector<wxString> parts(1);
    const wxString& value = values[0];
    for (size_t i = 0; i < value.length(); ++i)
    {
        if (value[i] == '\\' && i + 1 < value.length() && value[i + 1] == ';')
            parts.back() += value[++i];
        else if (value[i] == ';')
            parts.emplace_back();
        else
            parts.back() += value[i];
    }
    return parts;
}

wxString VCardReading::Value(EVCardAttribute* attr) const
{
    std::vector<wxString> values = Values(attr);
    if (values.size() == 1)
        return VCardText::Trimmed(values[0]);
    wxString joined;
    for (size_t i = 0; i < values.size(); ++i)
    {
        if (i)
            joined += wxUniChar(';');
        joined += values[i];
    }
    return VCardText::Trimmed(joined);
}

bool VCardReading::Fill(std::initializer_list<VCardField> slots, size_t base, const wxString& value)
{
    // An empty value (a damaged line) takes no slot: it would push the next
    // value of its kind into the second slot, which a written card cannot
    // say. The caller keeps the line as it came.
    if (value.empty())
        return false;
    size_t i = 0;
    for (VCardField slot : slots)
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
