#include "dialogs/TagMgrDlg.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DialogCommon.h"
#include "dialogs/TagEditDlg.h"
#include "storage/TagManager.h"

TagMgrDlg::TagMgrDlg(wxWindow* parent, TagManager& tags, wxWindowID id)
    : wxDialog(parent, id, _("Tag select dialog"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "id"),
      tagManager(tags)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);

    top->Add(MakeDialogHeader(this, "User_s48_02.png", _("You can add, edit and delete tag by this dialog.")), 0,
             wxEXPAND | wxALL, DLG_BORDER);

    wxBoxSizer* body = new wxBoxSizer(wxHORIZONTAL);
    listTags = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(256, 256),
                              wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_VRULES, wxDefaultValidator, "ID_LISTCTRL_TAGS");
    body->Add(listTags, 1, wxEXPAND | wxALL, DLG_BORDER);
    wxBoxSizer* side = new wxBoxSizer(wxVERTICAL);
    wxButton* add = MakeButton(this, wxID_ANY, _("&New..."), "ID_BUTTON_ADD");
    wxButton* edit = MakeButton(this, wxID_ANY, _("&Edit..."), "ID_BUTTON_EDIT");
    wxButton* del = MakeButton(this, wxID_ANY, _("&Delete"), "ID_BUTTON_DELETE");
    side->Add(add, 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    side->Add(edit, 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    side->Add(del, 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    wxButton* up = MakeButton(this, wxID_ANY, _("Up"), "ID_BUTTON1");
    wxButton* down = MakeButton(this, wxID_ANY, _("Down"), "ID_BUTTON2");
    side->Add(up, 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    side->Add(down, 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    body->Add(side, 0, wxALL, DLG_BORDER);
    top->Add(body, 1, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER);

    top->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "ID_STATICLINE1"), 0,
             wxEXPAND | wxLEFT | wxRIGHT | wxTOP, DLG_BORDER * 2);
    wxBoxSizer* closeRow = new wxBoxSizer(wxHORIZONTAL);
    closeRow->AddStretchSpacer();
    closeRow->Add(MakeButton(this, wxID_CANCEL, _("&Close"), "wxID_CANCEL"));
    top->Add(closeRow, 0, wxEXPAND | wxALL, DLG_BORDER * 2);
    SetSizerAndFit(top);
    CentreOnParent();

    Bind(wxEVT_INIT_DIALOG, &TagMgrDlg::OnDialogInit, this);
    listTags->Bind(wxEVT_LIST_ITEM_SELECTED, &TagMgrDlg::OnListItemSelected, this);
    listTags->Bind(wxEVT_LIST_ITEM_DESELECTED, &TagMgrDlg::OnListItemDeselected, this);
    add->Bind(wxEVT_BUTTON, &TagMgrDlg::OnButtonAddClick, this);
    edit->Bind(wxEVT_BUTTON, &TagMgrDlg::OnButtonEditClick, this);
    del->Bind(wxEVT_BUTTON, &TagMgrDlg::OnButtonDeleteClick, this);
    up->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveCurrentTag(true); });
    down->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveCurrentTag(false); });
}

void TagMgrDlg::OnDialogInit(wxInitDialogEvent& event)
{
    event.Skip();
    if (listTags->GetColumnCount() == 0)
    {
        listTags->InsertColumn(0, _("Tag name"), wxLIST_FORMAT_LEFT, 128);
        listTags->InsertColumn(1, _("Display order"), wxLIST_FORMAT_LEFT, 96);
    }
    FillTagList();
    EnableRowButtons(listTags->GetSelectedItemCount() > 0);
}

void TagMgrDlg::FillTagList()
{
    currentTag = nullptr;
    listTags->DeleteAllItems();
    EnableRowButtons(false);
    TagManager& tags = tagManager;
    tags.Load();
    int position = 0;
    // Each tag goes on top: the highest display order ends first.
    for (TagInfo* tag : tags.GetTagsByDisplayOrder())
    {
        long row = listTags->InsertItem(0, tag->name);
        listTags->SetItem(row, 1, wxString::Format("%d", tag->display_order));
        listTags->SetItemPtrData(row, reinterpret_cast<wxUIntPtr>(tag));
        if (position++ % 2 == 0)
            listTags->SetItemBackgroundColour(row, wxColour(231, 223, 221));
    }
}

void TagMgrDlg::EnableRowButtons(bool enable)
{
    for (const char* name : {"ID_BUTTON_EDIT", "ID_BUTTON_DELETE", "ID_BUTTON1", "ID_BUTTON2"})
    {
        if (wxWindow* button = FindWindowByName(name, this))
            button->Enable(enable);
    }
}

void TagMgrDlg::OnListItemSelected(wxListEvent& event)
{
    currentTag = reinterpret_cast<TagInfo*>(listTags->GetItemData(event.GetIndex()));
    EnableRowButtons(currentTag != nullptr);
}

void TagMgrDlg::OnListItemDeselected(wxListEvent&)
{
    if (listTags->GetSelectedItemCount() == 0)
    {
        currentTag = nullptr;
        EnableRowButtons(false);
    }
}

void TagMgrDlg::OnButtonAddClick(wxCommandEvent&)
{
    TagManager& tags = tagManager;
    wxString name;
    if (!TagEditDlg::AskName(this, name, [&tags](const wxString& n) { return tags.FindByName(n) != nullptr; }))
        return;
    TagInfo tag(-1, name, -1);
    tags.Insert(&tag);
    FillTagList();
}

void TagMgrDlg::OnButtonEditClick(wxCommandEvent&)
{
    if (!currentTag)
        return;
    TagManager& tags = tagManager;
    const int id = currentTag->id;
    wxString name = currentTag->name;
    auto taken = [&tags, id](const wxString& n)
    {
        const TagInfo* other = tags.FindByName(n);
        return other && other->id != id;
    };
    if (!TagEditDlg::AskName(this, name, taken))
        return;
    if (name.CmpNoCase(currentTag->name) == 0)
        return;
    currentTag->name = name;
    tags.Update(currentTag);
    FillTagList();
}

void TagMgrDlg::MoveCurrentTag(bool up)
{
    if (!currentTag)
        return;
    const int id = currentTag->id;
    // Moving notifies the main window, which reloads the cache.
    if (!tagManager.MoveTag(id, up))
        return;
    FillTagList();
    // Keep the moved tag selected, so it can go on moving.
    for (long row = 0; row < listTags->GetItemCount(); ++row)
    {
        if (reinterpret_cast<TagInfo*>(listTags->GetItemData(row))->id == id)
        {
            listTags->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                   wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
            listTags->EnsureVisible(row);
            break;
        }
    }
}

void TagMgrDlg::OnButtonDeleteClick(wxCommandEvent&)
{
    if (!currentTag)
        return;
    wxString question = _("Do you want to delete the Tag? \n\n $tag_name");
    question.Replace("$tag_name", currentTag->name, false);
    if (wxMessageBox(question, _("Confirm"), wxYES_NO, this) == wxYES)
        tagManager.Delete(currentTag);
    FillTagList();
}
