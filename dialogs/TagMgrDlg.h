// The tag management dialog: lists every tag with its display order and
// creates, renames and deletes tags through the tag manager.
#pragma once

#include <wx/dialog.h>

class TagManager;
class TagInfo;
class wxListCtrl;
class wxListEvent;

class TagMgrDlg : public wxDialog
{
public:
    TagMgrDlg(wxWindow* parent, TagManager& tags, wxWindowID id = wxID_ANY);

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

    TagManager& tagManager;
    // The selected row's tag; points into the tag cache, so it is dropped on
    // every refill.
    TagInfo* currentTag = nullptr;
    wxListCtrl* listTags;
};
