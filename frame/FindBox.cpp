#include "frame/FindBox.h"

#include <wx/intl.h>

#include "frame/SearchCenterPane.h"

FindBox::FindBox(wxWindow* parent, wxWindowID id, SearchCenterPane& center)
    : wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(parent->FromDIP(200), -1), 0, wxDefaultValidator,
                 "ID_TEXTCTRL_FIND"),
      searchCenter(center)
{
    SetHint(_("Find anyone (Ctrl+F)"));
    SetToolTip(_("Finds the contacts with this text in any field: names, company, phones, e-mails, addresses, "
                 "tags, comments and history."));
    Bind(wxEVT_TEXT, &FindBox::OnText, this);
    Bind(wxEVT_KEY_DOWN, &FindBox::OnKeyDown, this);
    center.SetFindBox(this);
}

void FindBox::OnText(wxCommandEvent&)
{
    searchCenter.Find(GetValue());
}

void FindBox::OnKeyDown(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && !GetValue().empty())
        Clear();
    else
        event.Skip();
}
