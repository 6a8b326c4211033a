#include "dialogs/TagDlg.h"

#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DialogCommon.h"
#include "dialogs/TagEditDlg.h"

TagDlg::TagDlg(wxWindow* parent, const wxArrayString& choices, int restricted, wxWindowID id)
    : wxDialog(parent, id, _("Tag select dialog"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "id"),
      choices(choices), restricted(restricted)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);

    top->Add(MakeDialogHeader(this, "User_s48_02.png", _("You can add, edit and delete tag by this dialog.")), 0,
             wxEXPAND | wxALL, DLG_BORDER);

    wxBoxSizer* body = new wxBoxSizer(wxHORIZONTAL);
    checkListTags = new wxCheckListBox(this, wxID_ANY, wxDefaultPosition, wxSize(280, 280), 0, nullptr, wxLB_SINGLE,
                                       wxDefaultValidator, "ID_CHECKLISTBOX_TAG");
    body->Add(checkListTags, 1, wxEXPAND | wxALL, DLG_BORDER);
    wxBoxSizer* side = new wxBoxSizer(wxVERTICAL);
    wxButton* add = MakeButton(this, wxID_ANY, _("&New..."), "ID_BUTTON_ADD");
    wxButton* edit = MakeButton(this, wxID_ANY, _("&Edit..."), "ID_BUTTON_EDIT");
    side->Add(add, 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    side->Add(edit, 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    side->Add(MakeButton(this, wxID_ANY, _("&Delete"), "ID_BUTTON_DELETE"), 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    side->Add(MakeButton(this, wxID_ANY, _("Up"), "ID_BUTTON1"), 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    side->Add(MakeButton(this, wxID_ANY, _("Down"), "ID_BUTTON2"), 0, wxEXPAND | wxBOTTOM, DLG_BORDER);
    body->Add(side, 0, wxALL, DLG_BORDER);
    top->Add(body, 1, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER);

    top->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "ID_STATICLINE1"), 0,
             wxEXPAND | wxLEFT | wxRIGHT | wxTOP, DLG_BORDER * 2);
    top->Add(MakeOkCancelButtons(this), 0, wxEXPAND | wxALL, DLG_BORDER * 2);
    SetSizerAndFit(top);
    CentreOnParent();

    Bind(wxEVT_INIT_DIALOG, &TagDlg::OnDialogInit, this);
    add->Bind(wxEVT_BUTTON, &TagDlg::OnButtonAddClick, this);
    edit->Bind(wxEVT_BUTTON, &TagDlg::OnButtonEditClick, this);
}

void TagDlg::OnDialogInit(wxInitDialogEvent& event)
{
    event.Skip();
    const bool enable = restricted == 0;
    for (const char* name : {"ID_BUTTON_EDIT", "ID_BUTTON_DELETE", "ID_BUTTON1", "ID_BUTTON2"})
    {
        if (wxWindow* button = FindWindowByName(name, this))
            button->Enable(enable);
    }
    // The init event may come more than once (a test's InitDialog, Show).
    checkListTags->Clear();
    checkListTags->Append(choices);
    for (int index : selections)
    {
        if (index >= 0 && static_cast<unsigned>(index) < checkListTags->GetCount())
            checkListTags->Check(index);
    }
}

bool TagDlg::IsListed(const wxString& name, int except) const
{
    for (unsigned i = 0; i < checkListTags->GetCount(); ++i)
    {
        if (static_cast<int>(i) != except && checkListTags->GetString(i).CmpNoCase(name) == 0)
            return true;
    }
    return false;
}

void TagDlg::OnButtonAddClick(wxCommandEvent&)
{
    wxString name;
    if (!TagEditDlg::AskName(this, name, [this](const wxString& n) { return IsListed(n, wxNOT_FOUND); }))
        return;
    int index = checkListTags->Append(name);
    checkListTags->Check(index);
}

void TagDlg::OnButtonEditClick(wxCommandEvent&)
{
    int index = checkListTags->GetSelection();
    if (index == wxNOT_FOUND)
        return;
    wxString name = checkListTags->GetString(index);
    if (!TagEditDlg::AskName(this, name, [this, index](const wxString& n) { return IsListed(n, index); }))
        return;
    const bool checked = checkListTags->IsChecked(index);
    checkListTags->SetString(index, name);
    checkListTags->Check(index, checked);
}

wxArrayInt TagDlg::GetSelections()
{
    selections.Clear();
    for (unsigned i = 0; i < checkListTags->GetCount(); ++i)
    {
        if (checkListTags->IsChecked(i))
            selections.Add(i);
    }
    return selections;
}

wxArrayString TagDlg::GetStringSelections()
{
    stringSelections.Clear();
    for (unsigned i = 0; i < checkListTags->GetCount(); ++i)
    {
        if (checkListTags->IsChecked(i))
            stringSelections.Add(checkListTags->GetString(i));
    }
    return stringSelections;
}
