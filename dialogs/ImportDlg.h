// The import dialog: the user picks an XML Spreadsheet file and imports its
// rows as new contacts. One dialog imports at most once.
#pragma once

#include <wx/dialog.h>

class ContactManager;
class wxButton;
class wxStaticText;
class wxTextCtrl;

class ImportDlg : public wxDialog
{
public:
    // The rows are stored through contacts.
    ImportDlg(wxWindow* parent, wxWindowID id, ContactManager& contacts);

    void OnButtonSelFileClick(wxCommandEvent& event);
    void OnButtonImportClick(wxCommandEvent& event);

    bool IsImporting() const
    {
        return importing;
    }

private:
    void ShowStatus(const wxString& text);
    // The outcome of an import, which stays in the label.
    void ShowResult(const wxString& text);

    wxTextCtrl* txtCsvPath;
    wxButton* buttonSelFile;
    wxButton* buttonImport;
    wxButton* buttonClose;
    wxStaticText* lblStatus;
    ContactManager& contactManager;
    bool importing = false;
};
