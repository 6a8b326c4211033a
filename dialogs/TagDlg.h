// The "Tag select dialog": tick a contact's tags, add new names. It never
// touches the database; new names become tags when the contact is stored.
#pragma once

#include <wx/arrstr.h>
#include <wx/dialog.h>
#include <wx/dynarray.h>

class wxCheckListBox;

class TagDlg : public wxDialog
{
public:
    // restricted non-zero: Edit, Delete, Up and Down are disabled.
    TagDlg(wxWindow* parent, const wxArrayString& choices, int restricted, wxWindowID id = wxID_ANY);

    // Indices to tick when the dialog opens.
    void SetSelections(const wxArrayInt& selections)
    {
        this->selections = selections;
    }
    // Indices of the ticked items, ascending.
    wxArrayInt GetSelections();
    // Texts of the ticked items, in list order.
    wxArrayString GetStringSelections();

    void OnDialogInit(wxInitDialogEvent& event);
    void OnButtonAddClick(wxCommandEvent& event);
    void OnButtonEditClick(wxCommandEvent& event);

private:
    // Whether an item other than `except` has the name, ignoring case.
    bool IsListed(const wxString& name, int except) const;

    wxArrayString choices;
    wxArrayInt selections;
    wxArrayString stringSelections;
    int restricted;
    wxCheckListBox* checkListTags;
};
