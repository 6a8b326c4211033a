// Builds the HTML of the detail page: one contact from the template, or the
// name list of a multi-selection. Every inserted value is escaped, so names
// and fields show as typed and cannot add markup of their own.
#pragma once

#include <vector>

#include <wx/arrstr.h>
#include <wx/string.h>

class ContactInfoEx;

namespace DetailPage
{
// Shown for every contact when the template file cannot be read.
wxString FallbackPage();

// &, <, > and " as character references.
wxString EscapeHtml(const wxString& text);

// Fills the template's placeholders from the contact; tagNames are the
// names of the contact's tags in the order they are listed.
wxString RenderContact(const wxString& templ, const ContactInfoEx& contact, const wxArrayString& tagNames);

// One line (person picture and name) per contact, in the given order.
wxString RenderSelection(const std::vector<const ContactInfoEx*>& contacts);
} // namespace DetailPage
