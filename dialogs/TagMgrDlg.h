// The tag management dialog: lists every tag with its display order and
// creates, renames and deletes tags through the tag manager.
#pragma once

#include <wx/dialog.h>

class Corva;
class TagInfo;
class wxListCtrl;
class wxListEvent;

class TagMgrDlg : public wxDialog
{
public:
    explicit TagMgrDlg(wxWindow* parent, wxWindowID id = wxID_ANY);

    // Not owned; set before ShowModal.
    void SetCorva(Corva* corva)
    {
        this->corva = corva;
    }

    void OnDialogInit(wxInitDialogEvent& event);
    void OnListItemSelected(wxListEvent& event);
    void OnListItemDeselected(wxListEvent& event);
    void OnButtonAddClick(wxCommandEvent& event);
    void OnButtonEditClick(wxCommandEvent& event);
    void OnButtonDeleteClick(wxCommandEvent& event);

private:
    // Reloads the tag cache and lists it; nothing is selected afterwards.
    void FillTagList();
    void EnableRowButtons(bool enable);
    // Up and Down: one place in the display order.
    void MoveCurrentTag(bool up);

    Corva* corva = nullptr;
    // The selected row's tag; points into the tag cache, so it is dropped on
    // every refill.
    TagInfo* currentTag = nullptr;
    wxListCtrl* listTags;
};
