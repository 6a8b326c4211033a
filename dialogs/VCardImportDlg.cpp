#include "dialogs/VCardImportDlg.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "dialogs/DialogCommon.h"
#include "exchange/VCardImport.h"
#include "platform/Platform.h"
#include "storage/ContactManager.h"
#include "storage/TagManager.h"

namespace
{
// Wide enough for a file name and the reasons cards were skipped.
const int STATUS_WIDTH = 460;
} // namespace

VCardImportDlg::VCardImportDlg(wxWindow* parent, wxWindowID id, TagManager& tags, ContactManager& contacts)
    : wxDialog(parent, id, _("Import vCard"), wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX,
               "wxID_ANY"),
      tagManager(tags), contactManager(contacts)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(MakeDialogHeader(this, "Import_s48_01.png",
                              _("Import contacts from vCard files (.vcf) of a phone, a web mail or another address "
                                "book.\nEach file is imported whole or not at all.")),
             0, wxEXPAND | wxALL, DLG_BORDER);

    wxBoxSizer* pathRow = new wxBoxSizer(wxHORIZONTAL);
    txtPath = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(356, -1), wxTE_READONLY,
                             wxDefaultValidator, "ID_TXT_VCF_PATH");
    pathRow->Add(txtPath, 1, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    buttonSelFile = MakeButton(this, wxID_ANY, _("&Select..."), "ID_BUTTON_SEL_FILE");
    pathRow->Add(buttonSelFile, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    top->Add(pathRow, 0, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER);

    const wxString choices[] = {_("&Skip them"), _("Import them &anyway")};
    radioDuplicates = new wxRadioBox(this, wxID_ANY, _("Cards whose name, e-mail or phone matches an existing contact"),
                                     wxDefaultPosition, wxDefaultSize, WXSIZEOF(choices), choices, 1, wxRA_SPECIFY_COLS,
                                     wxDefaultValidator, "ID_RADIOBOX_DUPLICATES");
    top->Add(radioDuplicates, 0, wxEXPAND | wxALL, 2 * DLG_BORDER);

    wxBoxSizer* importRow = new wxBoxSizer(wxHORIZONTAL);
    buttonImport = MakeButton(this, wxID_ANY, _("&Import"), "ID_BUTTON_IMPORT");
    importRow->Add(buttonImport, 0, wxALL | wxALIGN_TOP, DLG_BORDER);
    lblStatus = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(STATUS_WIDTH, -1),
                                 wxST_NO_AUTORESIZE, "ID_LBL_STATUS");
    lblStatus->SetMinSize(wxSize(STATUS_WIDTH, 4 * GetCharHeight()));
    importRow->Add(lblStatus, 1, wxALL | wxEXPAND, DLG_BORDER);
    top->Add(importRow, 0, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER);

    buttonClose = AddCloseFoot(this, top);

    FitDialog(this, top);
    buttonImport->Disable();
    buttonSelFile->SetFocus();

    buttonSelFile->Bind(wxEVT_BUTTON, &VCardImportDlg::OnButtonSelFileClick, this);
    buttonImport->Bind(wxEVT_BUTTON, &VCardImportDlg::OnButtonImportClick, this);
    // The import lets window messages through; closing the dialog then
    // would leave it running unseen.
    KeepOpenWhile(this, importing);
}

bool VCardImportDlg::IsVCardFile(const wxString& path)
{
    const wxString ext = wxFileName(path).GetExt().Lower();
    return ext == "vcf" || ext == "vcard";
}

void VCardImportDlg::SetPaths(const wxArrayString& chosen)
{
    paths = chosen;
    wxString shown;
    for (const wxString& path : paths)
        shown += (shown.empty() ? "" : "; ") + path;
    txtPath->ChangeValue(shown);
    buttonImport->Enable(!paths.empty());
}

void VCardImportDlg::OnButtonSelFileClick(wxCommandEvent&)
{
    wxFileDialog chooser(this, _("Choose vCard files"), wxEmptyString, wxEmptyString,
                         _("vCard files (*.vcf)|*.vcf;*.VCF;*.vcard|All files (*)|*"),
                         wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE);
    if (chooser.ShowModal() != wxID_OK)
        return;
    wxArrayString chosen;
    chooser.GetPaths(chosen);
    if (chosen.empty() || chosen[0].empty())
    {
        // Under the test driver only the folder and the file name are set.
        chosen.clear();
        if (!chooser.GetFilename().empty())
            chosen.Add(wxFileName(chooser.GetDirectory(), chooser.GetFilename()).GetFullPath());
    }
    if (!chosen.empty())
        SetPaths(chosen);
}

void VCardImportDlg::OnButtonImportClick(wxCommandEvent&)
{
    if (paths.empty() || importing || !buttonImport->IsEnabled())
        return;

    const VCardImport::Duplicates duplicates =
        radioDuplicates->GetSelection() == 1 ? VCardImport::Duplicates::IMPORT : VCardImport::Duplicates::SKIP;
    wxString report;
    importing = true;
    {
        wxBusyCursor wait;
        // Messages are let through between cards so that this dialog
        // repaints; no other window may start anything meanwhile.
        BatchInputBlocker block(this);
        buttonImport->Disable();
        buttonSelFile->Disable();
        buttonClose->Disable();
        radioDuplicates->Disable();

        for (const wxString& path : paths)
        {
            const wxString name = wxFileName(path).GetFullName();
            VCardImport import(tagManager, contactManager);
            import.onCard = [ this, &name ](size_t read) {
                if (read % 100 == 0)
                    ShowStatus(wxString::Format(wxPLURAL("Reading %s: %lu card", "Reading %s: %lu cards", read), name,
                                                static_cast<unsigned long>(read)));
            Platform::PumpOneMessage();
        };
        const VCardImport::Result result = import.Run(path, duplicates);
        report += (report.empty() ? "" : "\n") + VCardImport::Describe(result, name);
    }

    buttonSelFile->Enable();
    buttonClose->Enable();
    radioDuplicates->Enable();
}
importing = false;
// The files are done: importing them again takes a new choice.
paths.clear();
txtPath->ChangeValue(wxEmptyString);
ShowStatus(report);
}

void VCardImportDlg::ShowStatus(const wxString& text)
{
    // A report longer than the room kept for it makes the dialog taller.
    if (ShowWrapped(lblStatus, text, STATUS_WIDTH))
        GetSizer()->SetSizeHints(this);
    Layout();
}

bool VCardDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files)
{
    wxArrayString vcards;
    for (const wxString& file : files)
    {
        if (VCardImportDlg::IsVCardFile(file))
            vcards.Add(file);
    }
    if (vcards.empty() || !wxTheApp)
        return false;
    Handler handler = onFiles;
    wxTheApp->CallAfter([handler, vcards] { handler(vcards); });
    return true;
}
