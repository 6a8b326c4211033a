#include "dialogs/DeletedContactsDlg.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include "dialogs/DialogCommon.h"
#include "storage/ContactManager.h"

namespace
{
enum
{
    ID_RESTORE = wxID_HIGHEST + 1,
    ID_DISCARD
};
} // namespace

DeletedContactsDlg::DeletedContactsDlg(wxWindow* parent, ContactManager& contacts)
    : wxDialog(parent, wxID_ANY, _("Deleted contacts"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      contactManager(contacts)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(MakeDialogHeader(this, "Delete_s24_01.png",
                              wxString::Format(_("Deleted contacts are kept for %d days, with their tags and history, "
                                                 "and can be restored as they were."),
                                               Trash::KEEP_DAYS)),
             0, wxALL | wxEXPAND, DLG_BORDER);
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(520, 260)), wxLC_REPORT, wxDefaultValidator,
                          "ID_LISTCTRL_DELETED");
    list->AppendColumn(_("Name"), wxLIST_FORMAT_LEFT, FromDIP(180));
    list->AppendColumn(_("Company"), wxLIST_FORMAT_LEFT, FromDIP(160));
    list->AppendColumn(_("Deleted"), wxLIST_FORMAT_LEFT, FromDIP(150));
    top->Add(list, 1, wxALL | wxEXPAND, DLG_BORDER);

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttonRestore = MakeButton(this, ID_RESTORE, _("&Restore"), "ID_BUTTON_RESTORE");
    buttonDiscard = MakeButton(this, ID_DISCARD, _("Delete for &good"), "ID_BUTTON_DISCARD");
    buttons->Add(buttonRestore, 0, wxALL, DLG_BORDER);
    buttons->Add(buttonDiscard, 0, wxALL, DLG_BORDER);
    top->Add(buttons, 0, wxLEFT | wxRIGHT, DLG_BORDER);
    AddCloseFoot(this, top);
    FitDialog(this, top);

    Bind(wxEVT_BUTTON, &DeletedContactsDlg::OnRestore, this, ID_RESTORE);
    Bind(wxEVT_BUTTON, &DeletedContactsDlg::OnDiscard, this, ID_DISCARD);
    list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { UpdateButtons(); });
    list->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { UpdateButtons(); });
    list->Bind(wxEVT_LIST_ITEM_ACTIVATED,
               [this](wxListEvent&)
               {
                   wxCommandEvent e;
                   OnRestore(e);
               });
    Reload();
}

void DeletedContactsDlg::Reload()
{
    list->DeleteAllItems();
    contactManager.ListDeleted(entries);
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const long row = list->InsertItem(static_cast<long>(i), entries[i].name);
        list->SetItem(row, 1, entries[i].company);
        list->SetItem(row, 2, entries[i].deleted.IsValid() ? entries[i].deleted.Format("%Y/%m/%d %H:%M") : "");
    }
    UpdateButtons();
}

std::vector<int> DeletedContactsDlg::SelectedIds() const
{
    std::vector<int> ids;
    long row = -1;
    while ((row = list->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1)
        ids.push_back(entries[static_cast<size_t>(row)].id);
    return ids;
}

void DeletedContactsDlg::UpdateButtons()
{
    const bool any = list->GetSelectedItemCount() > 0;
    buttonRestore->Enable(any);
    buttonDiscard->Enable(any);
}

void DeletedContactsDlg::OnRestore(wxCommandEvent&)
{
    const std::vector<int> ids = SelectedIds();
    if (ids.empty())
        return;
    contactManager.RestoreContacts(ids); // a failure is reported there, once
    Reload();
}

void DeletedContactsDlg::OnDiscard(wxCommandEvent&)
{
    const std::vector<int> ids = SelectedIds();
    if (ids.empty())
        return;
    const int n = static_cast<int>(ids.size());
    if (wxMessageBox(wxString::Format(wxPLURAL("Delete %d contact for good? This cannot be undone.",
                                               "Delete %d contacts for good? This cannot be undone.", n),
                                      n),
                     _("Deleted contacts"), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING, this) != wxYES)
        return;
    contactManager.DiscardContacts(ids);
    Reload();
}
