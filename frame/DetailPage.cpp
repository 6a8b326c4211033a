#include "frame/DetailPage.h"

#include <wx/intl.h>

#include <map>
#include <vector>

#include "dialogs/DateText.h"
#include "storage/ContactInfoEx.h"

namespace DetailPage
{
namespace
{
const char* const MULTI_PAGE = "<html><body><font size=6 color=#336666><b>$contact_list$</b></font></body></html>";

void ReplaceFirst(wxString& page, const wxString& placeholder, const wxString& value)
{
    page.Replace(placeholder, value, false);
}

void ReplaceAll(wxString& page, const wxString& placeholder, const wxString& value)
{
    page.Replace(placeholder, value, true);
}

// A kept content line taken apart: group, name (upper case), parameters
// and the value as written.
struct KeptParts
{
    wxString group, name, params, value;
};

KeptParts SplitKept(const wxString& line)
{
    bool quoted = false;
    size_t colon = 0;
    while (colon < line.length() && (quoted || line[colon] != ':'))
    {
        if (line[colon] == '"')
            quoted = !quoted;
        ++colon;
    }
    KeptParts parts;
    wxString head = line.Left(colon);
    parts.params = head.AfterFirst(';');
    parts.name = head.BeforeFirst(';');
    if (parts.name.find('.') != wxString::npos)
    {
        parts.group = parts.name.BeforeFirst('.').Lower();
        parts.name = parts.name.AfterFirst('.');
    }
    parts.name.MakeUpper();
    parts.value = line.Mid(colon + 1);
    return parts;
}

// The components of a value, split on unescaped semicolons and unescaped.
wxArrayString Components(const wxString& value)
{
    wxArrayString components;
    wxString text;
    for (size_t i = 0; i < value.length(); ++i)
    {
        if (value[i] == '\\' && i + 1 < value.length())
        {
            const wxUniChar next = value[++i];
            text += next == 'n' || next == 'N' ? wxUniChar('\n') : next;
        }
        else if (value[i] == ';')
        {
            components.Add(text);
            text.clear();
        }
        else
            text += value[i];
    }
    components.Add(text);
    return components;
}

wxString JoinFilled(const wxArrayString& parts, const wxString& separator)
{
    wxString joined;
    for (const wxString& part : parts)
    {
        wxString trimmed = part;
        trimmed.Trim(true).Trim(false);
        if (!trimmed.empty())
            joined += (joined.empty() ? "" : separator) + trimmed;
    }
    return joined;
}

// A date of a card (19800415, 1980-04-15, --0415, --04-15) as the program
// writes dates: year/month/day, or month/day without a year (a year the
// card says to omit is left out as well).
wxString KeptDate(const wxString& value, const wxString& params)
{
    wxString digits;
    const bool noYear = value.StartsWith("--") || params.Upper().Contains("X-APPLE-OMIT-YEAR");
    for (wxUniChar c : value.BeforeFirst('T'))
    {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    if (digits.length() == 8 && !noYear)
        return digits.Left(4) + "/" + digits.Mid(4, 2) + "/" + digits.Mid(6, 2);
    if (digits.length() == 8 || digits.length() == 4)
        return digits.Right(4).Left(2) + "/" + digits.Right(2);
    return value;
}

// An Apple label ("_$!<Anniversary>!$_") without its wrapping.
wxString LabelText(const wxString& label)
{
    wxString text = label;
    if (text.StartsWith("_$!<") && text.EndsWith(">!$_"))
        text = text.Mid(4, text.length() - 8);
    return text;
}

// A kept content line as people read it: a label of its own for the
// properties people know (or the label its group gives), and its value
// unescaped: addresses whole, names in reading order, dates as the program
// writes them. Long values (photos, keys) show their name only.
wxString KeptLine(const KeptParts& parts, const wxString& groupLabel)
{
    static const struct
    {
        const char* name;
        const char* label;
    } LABELS[] = {
        {"N", wxTRANSLATE("Name")},
        {"NICKNAME", wxTRANSLATE("Nickname")},
        {"BDAY", wxTRANSLATE("Birthday")},
        {"ANNIVERSARY", wxTRANSLATE("Anniversary")},
        {"X-ANNIVERSARY", wxTRANSLATE("Anniversary")},
        {"TEL", wxTRANSLATE("Phone")},
        {"EMAIL", wxTRANSLATE("E-mail")},
        {"ADR", wxTRANSLATE("Address")},
        {"URL", wxTRANSLATE("Web page")},
        {"IMPP", wxTRANSLATE("Messenger")},
        {"ROLE", wxTRANSLATE("Role")},
        {"TITLE", wxTRANSLATE("Job title")},
        {"GENDER", wxTRANSLATE("Gender")},
    };
    wxString label = parts.name;
    for (const auto& known : LABELS)
    {
        if (parts.name == known.name)
            label = wxGetTranslation(known.label);
    }
    if (!groupLabel.empty())
        label = groupLabel;
    if (parts.value.length() > 200)
        return EscapeHtml(label);

    const wxArrayString components = Components(parts.value);
    wxString text;
    if (parts.name == "N" && components.size() >= 2)
    {
        // Prefix, given, middle, family, suffix.
        wxArrayString order;
        for (size_t i : {3, 1, 2, 0, 4})
            order.Add(i < components.size() ? components[i] : wxString());
        text = JoinFilled(order, " ");
    }
    else if (parts.name == "ADR")
        text = JoinFilled(components, ", ");
    else if (parts.name == "BDAY" || parts.name.EndsWith("ANNIVERSARY") || parts.name == "X-ABDATE")
        text = KeptDate(parts.value, parts.params);
    else
        text = wxJoin(components, ';', '\0');
    wxString html = EscapeHtml(text);
    html.Replace("\n", "<BR>");
    return EscapeHtml(label) + ": " + html;
}

// What an imported card had without a field of its own, read-only. A
// group's X-ABLabel names the other lines of the group instead of showing
// on its own.
wxString KeptSection(const ContactInfoEx& c)
{
    std::vector<KeptParts> lines;
    std::map<wxString, wxString> groupLabels;
    std::map<wxString, int> groupSizes;
    for (const wxString& line : c.keptProperties)
    {
        lines.push_back(SplitKept(line));
        ++groupSizes[lines.back().group];
        if (lines.back().name == "X-ABLABEL" && !lines.back().group.empty())
            groupLabels[lines.back().group] = LabelText(Components(lines.back().value)[0]);
    }
    wxString section = "<hr><b>" + EscapeHtml(_("Kept from the imported card")) + "</b>";
    for (const KeptParts& parts : lines)
    {
        const auto label = groupLabels.find(parts.group);
        const bool labelled = !parts.group.empty() && label != groupLabels.end() && groupSizes[parts.group] > 1;
        // A year-less birthday kept from a card gives way to one typed in,
        // as it does on export.
        if ((labelled && parts.name == "X-ABLABEL") || (parts.name == "BDAY" && c.birthday.IsValid()))
            continue;
        section += "<BR>" + KeptLine(parts, labelled ? label->second : wxString());
    }
    return section;
}

// An optional line: a break before the value, nothing at all when empty.
wxString LineOrEmpty(const wxString& value)
{
    return value.empty() ? wxString() : "<BR>" + EscapeHtml(value);
}
} // namespace

wxString FallbackPage()
{
    return _("<html><body><h2>Welcome to Corvala!</h2>\t\t\t\t\t\t\t<br>The default tempalte page seems to be "
             "missing...</body></html>");
}

wxString EscapeHtml(const wxString& text)
{
    wxString out;
    out.reserve(text.length());
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
    {
        wxUniChar c = *it;
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

wxString RenderContact(const wxString& templ, const ContactInfoEx& c, const wxArrayString& tagNames)
{
    wxString page = templ;
    ReplaceFirst(page, "$img_num$", wxString::Format("%d", SexPictureNumber(c.sex)));
    ReplaceFirst(page, "$last_name$", EscapeHtml(c.last_name));
    ReplaceFirst(page, "$last_name_alpha$", EscapeHtml(c.last_name_alpha));
    ReplaceFirst(page, "$first_name$", EscapeHtml(c.first_name));
    ReplaceFirst(page, "$first_name_alpha$", EscapeHtml(c.first_name_alpha));
    ReplaceFirst(page, "$sex$", c.sex == SEX_MALE ? _("Male") : c.sex == SEX_FEMALE ? _("Female") : _("Not stated"));
    ReplaceFirst(page, "$birthday$", DateText::Date(c.birthday));
    ReplaceFirst(page, "$company$", EscapeHtml(c.company));
    ReplaceFirst(page, "$department$", EscapeHtml(c.department));
    ReplaceFirst(page, "$job_title$", EscapeHtml(c.job_title));

    ReplaceFirst(page, "$business_phone_2$", EscapeHtml(c.business_phone_2));
    ReplaceFirst(page, "$business_phone$", EscapeHtml(c.business_phone));
    ReplaceFirst(page, "$business_mobile_2$", EscapeHtml(c.business_mobile_2));
    ReplaceFirst(page, "$business_mobile$", EscapeHtml(c.business_mobile));
    ReplaceFirst(page, "$business_fax_2$", EscapeHtml(c.business_fax_2));
    ReplaceFirst(page, "$business_fax$", EscapeHtml(c.business_fax));

    ReplaceFirst(page, "$business_im_3$", LineOrEmpty(c.business_im_3));
    ReplaceFirst(page, "$business_im_2$", LineOrEmpty(c.business_im_2));
    ReplaceFirst(page, "$business_im$", LineOrEmpty(c.business_im));
    ReplaceFirst(page, "$business_street_3$", LineOrEmpty(c.business_street_3));
    ReplaceFirst(page, "$business_street_2$", LineOrEmpty(c.business_street_2));
    ReplaceFirst(page, "$business_street$", LineOrEmpty(c.business_street));

    ReplaceFirst(page, "$home_phone_2$", EscapeHtml(c.home_phone_2));
    ReplaceFirst(page, "$home_phone$", EscapeHtml(c.home_phone));
    ReplaceFirst(page, "$home_mobile_2$", EscapeHtml(c.home_mobile_2));
    ReplaceFirst(page, "$home_mobile$", EscapeHtml(c.home_mobile));
    ReplaceFirst(page, "$home_fax_2$", EscapeHtml(c.home_fax_2));
    ReplaceFirst(page, "$home_fax$", EscapeHtml(c.home_fax));

    ReplaceFirst(page, "$home_im_3$", LineOrEmpty(c.home_im_3));
    ReplaceFirst(page, "$home_im_2$", LineOrEmpty(c.home_im_2));
    ReplaceFirst(page, "$home_im$", LineOrEmpty(c.home_im));
    ReplaceFirst(page, "$home_street_3$", LineOrEmpty(c.home_street_3));
    ReplaceFirst(page, "$home_street_2$", LineOrEmpty(c.home_street_2));
    ReplaceFirst(page, "$home_street$", LineOrEmpty(c.home_street));

    ReplaceAll(page, "$email_2$", EscapeHtml(c.email_2));
    ReplaceAll(page, "$email$", EscapeHtml(c.email));
    ReplaceFirst(page, "$BR_TAG_HP_2$", c.webpage_2.empty() ? "" : "<BR>");
    ReplaceAll(page, "$webpage_2$", EscapeHtml(c.webpage_2));
    ReplaceFirst(page, "$BR_TAG_HP$", c.webpage.empty() ? "" : "<BR>");
    ReplaceAll(page, "$webpage$", EscapeHtml(c.webpage));
    // A comment of several lines keeps them: HTML would run them together.
    wxString comment = EscapeHtml(c.comment);
    comment.Replace("\r\n", "<BR>");
    comment.Replace("\n", "<BR>");
    comment.Replace("\r", "<BR>");
    ReplaceFirst(page, "$comment$", comment);

    // Stored texts write line breaks as backslash-n; the tags inserted
    // below are taken as they are.
    ReplaceAll(page, "\\n", "<BR>");

    wxString tags;
    for (const wxString& name : tagNames)
        tags += EscapeHtml(name) + " | ";
    ReplaceFirst(page, "$tags$", tags);
    if (!c.keptProperties.empty())
    {
        const int end = page.Lower().Find("</body>");
        page.insert(end == wxNOT_FOUND ? page.length() : static_cast<size_t>(end), KeptSection(c));
    }
    return page;
}

wxString RenderSelection(const std::vector<const ContactInfoEx*>& contacts)
{
    wxString lines;
    for (const ContactInfoEx* c : contacts)
    {
        lines += wxString::Format("<img src=img/user_s24_0%d.png></img>", SexPictureNumber(c->sex));
        lines += EscapeHtml(c->last_name) + " " + EscapeHtml(c->first_name) + "<BR>";
    }
    wxString page = MULTI_PAGE;
    page.Replace("$contact_list$", lines, false);
    return page;
}
} // namespace DetailPage
