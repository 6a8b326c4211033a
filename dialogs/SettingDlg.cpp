#include "dialogs/SettingDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include "dialogs/DialogCommon.h"
#include "dialogs/WindowSettings.h"
#include "platform/Autostart.h"

int g_rememberSizePos = 1;

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
    EndModal(wxID_OK);
}
