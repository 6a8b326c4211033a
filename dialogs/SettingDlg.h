// The settings dialog: whether the program starts at login (an autostart
// entry of the desktop session) and whether the main window remembers its
// size and position.
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
    wxCheckBox* checkAutorun;
    // Whether the autostart entry was there when the dialog opened.
    bool autorunAtOpen = false;
};
