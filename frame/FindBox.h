// The find box of the toolbar: as the user types, the search center shows
// the contacts any of whose texts contain what was typed; Escape, or
// emptying the box, goes back to the search center's filter. What is typed
// while a long search lets the window paint is kept, and looked for once
// that search is over.
#pragma once

#include <wx/textctrl.h>
#include <wx/timer.h>

class SearchCenterPane;

class FindBox : public wxTextCtrl
{
public:
    FindBox(wxWindow* parent, wxWindowID id, SearchCenterPane& searchCenter);
    ~FindBox() override;

private:
    void OnText(wxCommandEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void FindNow();

    SearchCenterPane& searchCenter;
    wxTimer pause; // until the search running is over
};
