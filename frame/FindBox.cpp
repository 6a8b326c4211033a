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
    pause.SetOwner(this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { FindNow(); });
    center.SetFindBox(this);
}

namespace
{
const int PAUSE_MS = 300;
} // namespace

void FindBox::OnText(wxCommandEvent&)
{
    const size_t length = wxString(GetValue()).Trim().Trim(false).length();
    if (length > 0 && length < 3)
        pause.StartOnce(PAUSE_MS);
    else
        FindNow();
}

void FindBox::FindNow()
{
    pause.Stop();
    searchCenter.Find(GetValue());
}

void FindBox::OnKeyDown(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && !GetValue().empty())
        Clear();
    else if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER)
        FindNow(); // no waiting for the pause
    else
        event.Skip();
}
