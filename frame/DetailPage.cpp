#include "frame/DetailPage.h"

#include <wx/intl.h>

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

// A kept content line as people read it: the property's name without its
// group and parameters, and its value unescaped. Long values (photos, keys)
// show their name only.
wxString KeptLine(const wxString& line)
{
    bool quoted = false;
    size_t colon = 0;
    while (colon < line.length() && (quoted || line[colon] != ':'))
    {
        if (line[colon] == '"')
            quoted = !quoted;
        ++colon;
    }
    wxString name = line.Left(colon).BeforeFirst(';');
    if (name.find('.') != wxString::npos)
        name = name.AfterFirst('.');
    wxString value = line.Mid(colon + 1);
    if (value.length() > 200)
        return EscapeHtml(name);
    wxString text;
    for (size_t i = 0; i < value.length(); ++i)
    {
        if (value[i] == '\\' && i + 1 < value.length())
        {
            const wxUniChar next = value[++i];
            text += next == 'n' || next == 'N' ? wxUniChar('\n') : next;
        }
        else
            text += value[i];
    }
    wxString html = EscapeHtml(text);
    html.Replace("\n", "<BR>");
    return EscapeHtml(name) + ": " + html;
}

// What an imported card had without a field of its own, read-only.
wxString KeptSection(const ContactInfoEx& c)
{
    wxString section = "<hr><b>" + EscapeHtml(_("Kept from the imported card")) + "</b>";
    for (const wxString& line : c.keptProperties)
        section += "<BR>" + KeptLine(line);
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
    ReplaceFirst(page, "$img_num$", c.sex != 0 ? "1" : "0");
    ReplaceFirst(page, "$last_name$", EscapeHtml(c.last_name));
    ReplaceFirst(page, "$last_name_alpha$", EscapeHtml(c.last_name_alpha));
    ReplaceFirst(page, "$first_name$", EscapeHtml(c.first_name));
    ReplaceFirst(page, "$first_name_alpha$", EscapeHtml(c.first_name_alpha));
    ReplaceFirst(page, "$sex$", c.sex != 0 ? _("Male") : _("Female"));
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
        lines += c->sex != 0 ? "<img src=img/user_s24_01.png></img>" : "<img src=img/user_s24_00.png></img>";
        lines += EscapeHtml(c->last_name) + " " + EscapeHtml(c->first_name) + "<BR>";
    }
    wxString page = MULTI_PAGE;
    page.Replace("$contact_list$", lines, false);
    return page;
}
} // namespace DetailPage
