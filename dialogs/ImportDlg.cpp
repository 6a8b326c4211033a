#include "dialogs/ImportDlg.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <vector>

#include "dialogs/DialogCommon.h"
#include "dialogs/ProgramInfo.h"
#include "dialogs/wxHyperLink.h"
#include "exchange/SpreadsheetReader.h"
#include "platform/Platform.h"
#include "storage/ContactManager.h"
#include "storage/StorageHooks.h"

namespace
{
// How often the status label may change while an import runs.
const long STATUS_INTERVAL_MS = 250;
} // namespace

ImportDlg::ImportDlg(wxWindow* parent, wxWindowID id, ContactManager& contacts)
    : wxDialog(parent, id, _("Import contacts dialog"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "wxID_ANY"),
      contactManager(contacts)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* intro = new wxBoxSizer(wxHORIZONTAL);
    intro->Add(new wxStaticBitmap(this, wxID_ANY, LoadDialogBitmap("Import_s48_01.png"), wxDefaultPosition,
                                  wxDefaultSize, 0, "ID_STATICBITMAP1"),
               0, wxALL | wxALIGN_TOP, DLG_BORDER);
    wxBoxSizer* introText = new wxBoxSizer(wxVERTICAL);
    introText->Add(new wxStaticText(this, wxID_ANY,
                                    _("Select XLS file and import contact list to database.\nPlease use the official "
                                      "template to import, you can find the template in software folder or official "
                                      "web site"),
                                    wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT2"),
                   0, wxALL, DLG_BORDER);
    wxHyperLink* link = new wxHyperLink(this, wxID_ANY, ProgramInfo::WEB_SITE_URL, wxDefaultPosition, wxDefaultSize, 0,
                                        "ID_HYPERLINK1");
    link->SetURL(ProgramInfo::WEB_SITE_URL);
    introText->Add(link, 0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);
    intro->Add(introText, 1, wxEXPAND);
    top->Add(intro, 0, wxEXPAND | wxALL, DLG_BORDER);

    wxBoxSizer* pathRow = new wxBoxSizer(wxHORIZONTAL);
    txtCsvPath = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(356, -1), wxTE_READONLY,
                                wxDefaultValidator, "ID_TXT_CSV_PATH");
    pathRow->Add(txtCsvPath, 1, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    buttonSelFile = MakeButton(this, wxID_ANY, _("&Select..."), "ID_BUTTON_SEL_FILE");
    pathRow->Add(buttonSelFile, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    top->Add(pathRow, 0, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER);

    wxBoxSizer* importRow = new wxBoxSizer(wxHORIZONTAL);
    buttonImport = MakeButton(this, wxID_ANY, _("&Import"), "ID_BUTTON_IMPORT");
    importRow->Add(buttonImport, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    // A fixed size: the texts shown here during an import must not resize
    // the dialog row by row.
    lblStatus = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                 wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, "ID_LBL_STATUS");
    importRow->Add(lblStatus, 1, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    top->Add(importRow, 0, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER);

    top->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "ID_STATICLINE1"), 0,
             wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 2 * DLG_BORDER);

    buttonClose = MakeButton(this, wxID_CANCEL, _("&Close"), "wxID_CANCEL");
    top->Add(buttonClose, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 2 * DLG_BORDER);

    FitDialog(this, top);

    buttonSelFile->Bind(wxEVT_BUTTON, &ImportDlg::OnButtonSelFileClick, this);
    buttonImport->Bind(wxEVT_BUTTON, &ImportDlg::OnButtonImportClick, this);
    // The import runs inside the click handler and lets window messages
    // through; closing the dialog then would leave it running unseen.
    KeepOpenWhile(this, importing);
}

void ImportDlg::OnButtonSelFileClick(wxCommandEvent&)
{
    // Spreadsheet programs save this format as .xml too; any letter case.
    const wxString wildcard =
        wxString::Format("%s|%s|%s|%s|%s|*", _("XLS files (*.xls)"), Platform::AnyCasePattern("xls"),
                         _("XML Spreadsheet files (*.xml)"), Platform::AnyCasePattern("xml"), _("All files"));
    wxFileDialog chooser(this, _("Choose a XLS file"), wxEmptyString, wxEmptyString, wildcard, wxFD_OPEN);
    if (chooser.ShowModal() != wxID_OK)
        return;
    wxString path = chooser.GetPath();
    if (path.empty() && !chooser.GetFilename().empty())
        path = wxFileName(chooser.GetDirectory(), chooser.GetFilename()).GetFullPath();
    txtCsvPath->ChangeValue(path);
    // Another file may be imported as well, after one was.
    if (!importing)
        buttonImport->Enable();
}

void ImportDlg::OnButtonImportClick(wxCommandEvent&)
{
    const wxString path = txtCsvPath->GetValue();
    if (path.empty() || importing || !buttonImport->IsEnabled())
        return;

    // The file is read as it is stored: a file that is not a workbook is
    // refused here, one damaged further on when the damage is reached.
    SpreadsheetReader reader;
    SpreadsheetReader::LoadResult opened;
    {
        wxBusyCursor wait;
        opened = reader.Open(path);
    }
    if (opened != SpreadsheetReader::LOAD_OK)
    {
        wxMessageBox(SpreadsheetReader::IsExcelBinary(path)
                         ? _("This file is saved in Excel's own format, which cannot be read here. Open it in your "
                             "spreadsheet program, save it as \"XML Spreadsheet 2003\" (.xml) and import that file.")
                         : _("Please use official template to import contact list."),
                     _("Corvala"), wxOK, this);
        return;
    }

    SetCursor(wxCursor(wxCURSOR_WAIT));
    buttonImport->Disable();
    importing = true;
    bool stored = false;
    std::vector<wxString> reports;
    {
        // Messages are let through between rows and records so that this
        // dialog repaints; no other window may start anything meanwhile.
        BatchInputBlocker block(this);
        buttonSelFile->Disable();
        buttonClose->Disable();

        // The label follows the cells a few times a second: setting it for
        // every cell costs more than reading the cell.
        wxStopWatch sinceShown;
        bool shown = false;
        reader.onTableChild = [] { PumpOneMessage(); };
        reader.onCellText = [&](const wxString& text)
        {
            if (shown && sinceShown.Time() < STATUS_INTERVAL_MS)
                return;
            ShowStatus(text);
            sinceShown.Start();
            shown = true;
        };
        {
            // A batch that is not stored is told in the status label, not in
            // a box of its own; whatever else goes wrong meanwhile is shown
            // afterwards, over this dialog.
            ScopedErrorReporter takeOver([&reports](const wxString& message) { reports.push_back(message); });
            stored = contactManager.InsertContacts(reader);
        }

        buttonSelFile->Enable();
        buttonClose->Enable();
    }
    importing = false;
    SetCursor(wxCursor(wxCURSOR_ARROW));

    if (!stored)
    {
        // Nothing of the file is in the address book: the user may try again.
        buttonImport->Enable();
        const wxString& reason = contactManager.GetLastBatchError();
        if (reason.empty() && reader.Failed())
        {
            ShowStatus(wxEmptyString);
            lblStatus->UnsetToolTip();
            wxMessageBox(_("Please use official template to import contact list."), _("Corvala"), wxOK, this);
            return;
        }
        ShowResult(wxString::Format(_("Nothing was imported: %s"), reason));
        return;
    }
    const int n = static_cast<int>(reader.ImportableRows()), k = static_cast<int>(reader.SkippedRows());
    // Sentences joined as the language joins them (no blank in Chinese and
    // Japanese).
    auto join = [](const wxString& first, const wxString& second)
    {
        // TRANSLATORS: two sentences of a message, one after the other.
        return wxString::Format(wxGETTEXT_IN_CONTEXT("joining sentences", "%s %s"), first, second);
    };
    ShowResult(join(
        join(_("Import completed!"), wxString::Format(wxPLURAL("%d contact imported.", "%d contacts imported.", n), n)),
        wxString::Format(wxPLURAL("%d row skipped.", "%d rows skipped.", k), k)));
    for (const wxString& message : reports)
        wxMessageBox(message, wxMessageBoxCaptionStr, wxOK | wxCENTRE, this);
}

void ImportDlg::ShowStatus(const wxString& text)
{
    // One line, and an ampersand in a name is not a mnemonic.
    wxString line = text;
    line.Replace("\r", " ");
    line.Replace("\n", " ");
    lblStatus->SetLabelText(line);
}

void ImportDlg::ShowResult(const wxString& text)
{
    ShowStatus(text);
    // The label ends in an ellipsis when the text is longer than the row.
    lblStatus->SetToolTip(lblStatus->GetLabelText());
}
