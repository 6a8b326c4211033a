#include "dialogs/SettingDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include "dialogs/DialogCommon.h"
#include "dialogs/WindowSettings.h"
#include "platform/Autostart.h"

int g_rememberSizePos = 1;

const char* const SettingDlg::SYNC_MINUTES_KEY = "/Sync/IntervalMinutes";

int SettingDlg::SyncMinutes()
{
    const long minutes = wxConfigBase::Get()->ReadLong(SYNC_MINUTES_KEY, SYNC_MINUTES_DEFAULT);
    return static_cast<int>(minutes < 0 ? 0 : minutes);
}

SettingDlg::SettingDlg(wxWindow* parent, wxWindowID id)
    : wxDialog(parent, id, _("Setting dialog"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "wxID_ANY")
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    wxNotebook* notebook = new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK1");
    wxPanel* page = new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
    wxBoxSizer* pageSizer = new wxBoxSizer(wxVERTICAL);
    checkAutorun = new wxCheckBox(page, wxID_ANY, _("&Automatically run Corvala when I login on to windows"),
                                  wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "ID_CHECKBOX_AUTORUN");
    pageSizer->Add(checkAutorun, 0, wxALL, DLG_BORDER * 2);
    checkSizePos = new wxCheckBox(page, wxID_ANY, _("&Remember window size and position"), wxDefaultPosition,
                                  wxDefaultSize, 0, wxDefaultValidator, "ID_CHECKBOX_SIZE_POS");
    pageSizer->Add(checkSizePos, 0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER * 2);
    wxBoxSizer* syncRow = new wxBoxSizer(wxHORIZONTAL);
    syncRow->Add(new wxStaticText(page, wxID_ANY, _("Sync with the accounts every")), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, DLG_BORDER);
    spinSync = new wxSpinCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0,
                              24 * 60, SYNC_MINUTES_DEFAULT, "ID_SPINCTRL_SYNC_MINUTES");
    syncRow->Add(spinSync, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, DLG_BORDER);
    syncRow->Add(new wxStaticText(page, wxID_ANY, _("minutes (0: only at start and on Sync now)")), 0,
                 wxALIGN_CENTER_VERTICAL);
    pageSizer->Add(syncRow, 0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER * 2);
    page->SetSizer(pageSizer);
    notebook->AddPage(page, _("General"), true);
    top->Add(notebook, 1, wxEXPAND | wxALL, DLG_BORDER);

    wxStdDialogButtonSizer* buttons = MakeOkCancelButtons(this);
    top->Add(buttons, 0, wxEXPAND | wxALL, DLG_BORDER);
    SetSizerAndFit(top);
    CentreOnParent();

    Bind(wxEVT_INIT_DIALOG, &SettingDlg::OnDialogInit, this);
    checkSizePos->Bind(wxEVT_CHECKBOX, &SettingDlg::OnCheckBoxSizePosClick, this);
    Bind(wxEVT_BUTTON, &SettingDlg::OnButtonOKClick, this, wxID_OK);
}

void SettingDlg::OnDialogInit(wxInitDialogEvent& event)
{
    checkSizePos->SetValue(g_rememberSizePos != 0);
    remSizePos = checkSizePos->GetValue();
    autorunAtOpen = Autostart::IsEnabled();
    checkAutorun->SetValue(autorunAtOpen);
    spinSync->SetValue(SyncMinutes());
    event.Skip();
}

void SettingDlg::OnCheckBoxSizePosClick(wxCommandEvent& event)
{
    remSizePos = event.IsChecked();
}

void SettingDlg::OnButtonOKClick(wxCommandEvent&)
{
    const bool autorun = checkAutorun->GetValue();
    if (autorun != autorunAtOpen)
    {
        wxString error;
        if (!(autorun ? Autostart::Enable(error) : Autostart::Disable(error)))
        {
            // The dialog stays open, showing what was not done.
            wxMessageBox(error, _("Corvala"), wxOK | wxICON_ERROR, this);
            return;
        }
        autorunAtOpen = autorun;
    }
    g_rememberSizePos = remSizePos ? 1 : 0;
    wxConfigBase::Get()->Write(SYNC_MINUTES_KEY, static_cast<long>(spinSync->GetValue()));
    wxConfigBase::Get()->Flush();
    EndModal(wxID_OK);
}
