// The export dialog: which contacts (the selected ones, the current search
// result with all its pages, or the whole book), which vCard version, and
// the file to write. For a CSV file there is no version to choose.
#pragma once

#include <wx/dialog.h>

#include "storage/ContactInfoEx.h"
#include "storage/SearchCondition.h"

class ContactManager;
class TagManager;
class wxButton;
class wxRadioBox;
class wxStaticText;

class VCardExportDlg : public wxDialog
{
public:
    enum Scope
    {
        SCOPE_SELECTION,
        SCOPE_SEARCH,
        SCOPE_BOOK
    };
    enum Format
    {
        FORMAT_VCARD,
        FORMAT_CSV
    };

    // The selection and the condition are copied; the records the
    // selection points to must outlive the dialog (they are the main
    // window's current page).
    VCardExportDlg(wxWindow* parent, wxWindowID id, TagManager& tags, ContactManager& contacts,
                   const ContactArray& selection, const SearchCondition& condition, int searchTotal,
                   Format format = FORMAT_VCARD);

    void OnButtonExportClick(wxCommandEvent& event);

    // Writes the chosen contacts to the file and shows the outcome.
    bool ExportTo(const wxString& path);

private:
    void ShowStatus(const wxString& text);

    TagManager& tagManager;
    ContactManager& contactManager;
    ContactArray selection;
    SearchCondition condition;
    Format format;
    wxRadioBox* radioScope;
    wxRadioBox* radioVersion; // null for CSV
    wxButton* buttonExport;
    wxButton* buttonClose;
    wxStaticText* lblStatus;
};
