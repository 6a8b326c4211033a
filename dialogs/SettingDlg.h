// The settings dialog: whether the program starts at login (an autostart
// entry of the desktop session), whether the main window remembers its
// size and position, and how often it syncs with the accounts.
#pragma once

#include <wx/dialog.h>

class wxCheckBox;
class wxSpinCtrl;

class SettingDlg : public wxDialog
{
public:
    explicit SettingDlg(wxWindow* parent, wxWindowID id = wxID_ANY);

    // Minutes between syncs while the program runs (0: none but at start
    // and on Sync now), as stored.
    static int SyncMinutes();
    static const char* const SYNC_MINUTES_KEY;
    static constexpr int SYNC_MINUTES_DEFAULT = 15;

    void OnDialogInit(wxInitDialogEvent& event);
    void OnCheckBoxSizePosClick(wxCommandEvent& event);
    void OnButtonOKClick(wxCommandEvent& event);

private:
    // The dialog's copy of the remember flag; stored only on OK.
    bool remSizePos = false;
    wxCheckBox* checkSizePos;
    wxCheckBox* checkAutorun;
    wxSpinCtrl* spinSync;
    // Whether the autostart entry was there when the dialog opened.
    bool autorunAtOpen = false;
};
