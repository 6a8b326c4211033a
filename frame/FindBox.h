// The find box of the toolbar: as the user types, the search center shows
// the contacts any of whose texts contain what was typed; Escape, or
// emptying the box, goes back to the search center's filter. One or two
// characters match most of a large book and take long to find: they are
// looked for once the typing pauses, so that a word typed on is not held
// up by its first letters.
#pragma once

#include <wx/textctrl.h>
#include <wx/timer.h>

class SearchCenterPane;

class FindBox : public wxTextCtrl
{
public:
    FindBox(wxWindow* parent, wxWindowID id, SearchCenterPane& searchCenter);

private:
    void OnText(wxCommandEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void FindNow();

    SearchCenterPane& searchCenter;
    wxTimer pause;
};
