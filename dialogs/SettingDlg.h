// The settings dialog: whether the main window remembers its size and
// position (the start-at-login box is shown but not acted upon).
#pragma once

#include <wx/dialog.h>

class wxCheckBox;

class SettingDlg : public wxDialog
{
public:
    explicit SettingDlg(wxWindow* parent, wxWindowID id = wxID_ANY);

    void OnDialogInit(wxInitDialogEvent& event);
    void OnCheckBoxSizePosClick(wxCommandEvent& event);
    void OnButtonOKClick(wxCommandEvent& event);

private:
    // The dialog's copy of the remember flag; stored only on OK.
    bool remSizePos = false;
    wxCheckBox* checkSizePos;
};
