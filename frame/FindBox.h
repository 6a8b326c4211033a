// The find box of the toolbar: as the user types, the search center shows
// the contacts any of whose texts contain what was typed; Escape, or
// emptying the box, goes back to the search center's filter.
#pragma once

#include <wx/textctrl.h>

class SearchCenterPane;

class FindBox : public wxTextCtrl
{
public:
    FindBox(wxWindow* parent, wxWindowID id, SearchCenterPane& searchCenter);

private:
    void OnText(wxCommandEvent& event);
    void OnKeyDown(wxKeyEvent& event);

    SearchCenterPane& searchCenter;
};
