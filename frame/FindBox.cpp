#include "frame/FindBox.h"

#include <wx/intl.h>

#include "frame/LongLoad.h"
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
    LongLoad::KeepTyping(this);
}

FindBox::~FindBox()
{
    LongLoad::KeepTyping(this, false);
}

void FindBox::OnText(wxCommandEvent&)
{
    FindNow();
}

void FindBox::FindNow()
{
    if (LongLoad::Running())
    {
        // Typed while a search runs: the text is looked for once it is over.
        pause.StartOnce(20);
        return;
    }
    pause.Stop();
    searchCenter.Find(GetValue());
}

void FindBox::OnKeyDown(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && !GetValue().empty())
        Clear();
    else if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER)
        FindNow();
    else
        event.Skip();
}
