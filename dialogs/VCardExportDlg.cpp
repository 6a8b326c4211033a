#include "dialogs/VCardExportDlg.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "dialogs/DialogCommon.h"
#include "exchange/CsvExport.h"
#include "exchange/VCardExport.h"
#include "platform/Platform.h"
#include "storage/ContactManager.h"
#include "storage/TagManager.h"

namespace
{
const int STATUS_WIDTH = 420;
} // namespace

VCardExportDlg::VCardExportDlg(wxWindow* parent, wxWindowID id, TagManager& tags, ContactManager& contacts,
                               const ContactArray& selection, const SearchCondition& condition, int searchTotal,
                               Format format)
    : wxDialog(parent, id, format == FORMAT_CSV ? _("Export to CSV") : _("Export vCard"), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "wxID_ANY"),
      tagManager(tags), contactManager(contacts), selection(selection), condition(condition), format(format),
      radioVersion(nullptr)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(MakeDialogHeader(this, "User_s48_02.png",
                              format == FORMAT_CSV
                                  ? _("Write contacts to a CSV file (.csv) that spreadsheets and web address "
                                      "books open.\nTheir tags go into a column of their own.")
                                  : _("Write contacts to a vCard file (.vcf) that phones, web mail and other "
                                      "address books import.\nTheir tags go along as categories.")),
             0, wxEXPAND | wxALL, DLG_BORDER);

    const int selected = static_cast<int>(selection.GetCount());
    const int all = contactManager.CountAll();
    const wxString scopes[] = {
        wxString::Format(wxPLURAL("The selected contact (%d)", "The selected contacts (%d)", selected), selected),
        wxString::Format(wxPLURAL("The current search result, all pages (%d contact)",
                                  "The current search result, all pages (%d contacts)", searchTotal),
                         searchTotal),
        wxString::Format(
            wxPLURAL("The whole address book (%d contact)", "The whole address book (%d contacts)", std::max(all, 0)),
            std::max(all, 0))};
    radioScope = new wxRadioBox(this, wxID_ANY, _("Contacts"), wxDefaultPosition, wxDefaultSize, WXSIZEOF(scopes),
                                scopes, 1, wxRA_SPECIFY_COLS, wxDefaultValidator, "ID_RADIOBOX_SCOPE");
    radioScope->Enable(SCOPE_SELECTION, selected > 0);
    radioScope->SetSelection(SCOPE_BOOK);
    top->Add(radioScope, 0, wxEXPAND | wxALL, 2 * DLG_BORDER);

    if (format == FORMAT_VCARD)
    {
        const wxString versions[] = {_("vCard 3.0 (read by every address book)"), _("vCard 4.0")};
        radioVersion = new wxRadioBox(this, wxID_ANY, _("Format"), wxDefaultPosition, wxDefaultSize, WXSIZEOF(versions),
                                      versions, 1, wxRA_SPECIFY_COLS, wxDefaultValidator, "ID_RADIOBOX_VERSION");
        top->Add(radioVersion, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 2 * DLG_BORDER);
    }

    wxBoxSizer* exportRow = new wxBoxSizer(wxHORIZONTAL);
    buttonExport = MakeButton(this, wxID_ANY, _("&Export..."), "ID_BUTTON_EXPORT");
    exportRow->Add(buttonExport, 0, wxALL | wxALIGN_TOP, DLG_BORDER);
    lblStatus = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(STATUS_WIDTH, -1),
                                 wxST_NO_AUTORESIZE, "ID_LBL_STATUS");
    lblStatus->SetMinSize(wxSize(STATUS_WIDTH, 3 * GetCharHeight()));
    exportRow->Add(lblStatus, 1, wxALL | wxEXPAND, DLG_BORDER);
    top->Add(exportRow, 0, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER);

    buttonClose = AddCloseFoot(this, top);

    FitDialog(this, top);

    buttonExport->Bind(wxEVT_BUTTON, &VCardExportDlg::OnButtonExportClick, this);
}

void VCardExportDlg::OnButtonExportClick(wxCommandEvent&)
{
    const bool csv = format == FORMAT_CSV;
    wxFileDialog chooser(this, GetTitle(), wxEmptyString, csv ? "contacts.csv" : "contacts.vcf",
                         csv ? _("CSV files (*.csv)|*.csv") : _("vCard files (*.vcf)|*.vcf"),
                         wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (chooser.ShowModal() != wxID_OK)
        return;
    wxString path = chooser.GetPath();
    if (path.empty() && !chooser.GetFilename().empty())
        path = wxFileName(chooser.GetDirectory(), chooser.GetFilename()).GetFullPath();
    if (!path.empty())
        ExportTo(path);
}

bool VCardExportDlg::ExportTo(const wxString& path)
{
    const bool selected = radioScope->GetSelection() == SCOPE_SELECTION;
    const SearchCondition everyone;
    const SearchCondition& filter = radioScope->GetSelection() == SCOPE_SEARCH ? condition : everyone;
    bool ok = false;
    size_t written = 0;
    wxString error;
    {
        wxBusyCursor wait;
        BatchInputBlocker block(this);
        const auto progress = [](size_t) { Platform::PumpOneMessage(); };
        if (format == FORMAT_CSV)
        {
            const CsvExport::Result result =
                selected ? CsvExport::WriteContacts(path, selection, tagManager, progress)
                         : CsvExport::WriteSearch(path, filter, contactManager, tagManager, progress);
            ok = result.ok;
            written = result.written;
            error = result.error;
        }
        else
        {
            const VCardVersion version = radioVersion->GetSelection() == 1 ? VCardVersion::V40 : VCardVersion::V30;
            const VCardExport::Result result =
                selected ? VCardExport::WriteContacts(path, selection, tagManager, version, progress)
                         : VCardExport::WriteSearch(path, filter, contactManager, tagManager, version, progress);
            ok = result.ok;
            written = result.written;
            error = result.error;
        }
    }
    const wxString name = wxFileName(path).GetFullName();
    if (ok)
        ShowStatus(wxString::Format(wxPLURAL("Exported %lu contact to %s.", "Exported %lu contacts to %s.", written),
                                    static_cast<unsigned long>(written), name));
    else
        ShowStatus(wxString::Format(_("Nothing was exported to %s: %s."), name, error));
    return ok;
}

void VCardExportDlg::ShowStatus(const wxString& text)
{
    // A report longer than the room kept for it makes the dialog taller.
    if (ShowWrapped(lblStatus, text, STATUS_WIDTH))
        GetSizer()->SetSizeHints(this);
    Layout();
}
