// The "Tag name dialog": one text field, preset and read by the caller.
#pragma once

#include <functional>

#include <wx/dialog.h>

class wxTextCtrl;

class TagEditDlg : public wxDialog
{
public:
    explicit TagEditDlg(wxWindow* parent, wxWindowID id = wxID_ANY);

    // Asks for a tag name, starting from `name`, until the trimmed name is
    // acceptable (not empty, no double quote, not `taken`) or the user
    // cancels; a refused name is explained and offered again. On true
    // `name` holds the trimmed name.
    static bool AskName(wxWindow* parent, wxString& name, const std::function<bool(const wxString&)>& taken);

    wxTextCtrl* textTagName;
};
