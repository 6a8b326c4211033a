// The "Tag name dialog": one text field, preset and read by the caller.
#pragma once

#include <wx/dialog.h>

class wxTextCtrl;

class TagEditDlg : public wxDialog
{
public:
    explicit TagEditDlg(wxWindow* parent, wxWindowID id = wxID_ANY);

    wxTextCtrl* textTagName;
};
