#include "frame/HistoryPane.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statline.h>

#include <algorithm>
#include <memory>

#include <wx/msgdlg.h>

#include "dialogs/DateText.h"
#include "dialogs/HisDetailDlg.h"
#include "frame/FlowSizer.h"
#include "frame/FrameIds.h"
#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/HistoryManager.h"

HistoryPane::HistoryPane(wxWindow* parent, const FrameIds& ids, ContactManager& contacts, HistoryManager& history,
                         wxWindow* owner)
    : wxPanel(parent, ids.ID_PANEL7, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL7"),
      contactManager(contacts), historyManager(history), owner(owner)
{
    wxPanel* panel = this;
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    // A pane narrower than the buttons (a longer language, a larger font)
    // wraps them rather than cutting the last one off.
    FlowSizer* buttons = new FlowSizer;
    auto button = [panel, buttons](wxWindowID id, const wxString& label, const char* name)
    {
        wxButton* b = MakeCompactButton(panel, id, label, name);
        buttons->Add(b, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
        return b;
    };
    newHisButton = button(ids.ID_BUTTON_NEW_HIS, _("&New.."), "ID_BUTTON_NEW_HIS");
    editHisButton = button(ids.ID_BUTTON_EDIT_HIS, _("&Edit..."), "ID_BUTTON_EDIT_HIS");
    delHisButton = button(ids.ID_BUTTON_DEL_HIS, _("&Delete"), "ID_BUTTON_DEL_HIS");
    buttons->Add(
        new wxStaticLine(panel, ids.ID_STATICLINE3, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL, "ID_STATICLINE3"),
        0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    hisCopyButton = button(ids.ID_BUTTON_HIS_COPY, _("&Copy.."), "ID_BUTTON_HIS_COPY");
    sizer->Add(buttons, 0, wxEXPAND);

    historyList = new wxListCtrl(panel, ids.ID_LISTCTRL_CONTACT_HISTORY, wxDefaultPosition, wxDefaultSize,
                                 wxLC_REPORT | wxLC_VRULES, wxDefaultValidator, "ID_LISTCTRL_CONTACT_HISTORY");
    sizer->Add(historyList, 1, wxALL | wxEXPAND, 5);
    panel->SetSizer(sizer);

    // With several rows highlighted no single entry is meant: the commands
    // then act on none of them.
    auto showChosen = [this](wxListEvent&)
    {
        historyManager.SetCurrentHistory(SelectedHistory());
        UpdateButtons();
    };
    historyList->Bind(wxEVT_LIST_ITEM_SELECTED, showChosen);
    historyList->Bind(wxEVT_LIST_ITEM_DESELECTED, showChosen);
    Bind(wxEVT_BUTTON, &HistoryPane::OnButtonNewHisClick, this, ids.ID_BUTTON_NEW_HIS);
    Bind(wxEVT_BUTTON, &HistoryPane::OnButtonEditHisClick, this, ids.ID_BUTTON_EDIT_HIS);
    Bind(wxEVT_BUTTON, &HistoryPane::OnButtonDelHisClick, this, ids.ID_BUTTON_DEL_HIS);
    Bind(wxEVT_BUTTON, &HistoryPane::OnButtonHisCopyClick, this, ids.ID_BUTTON_HIS_COPY);
}

void HistoryPane::SetImages(wxImageList* images)
{
    historyList->SetImageList(images, wxIMAGE_LIST_SMALL);
}

void HistoryPane::InsertColumns()
{
    // 100 pixels, or more where the font and the icon need it to show the
    // whole date.
    int dateWidth = std::max(100, historyList->GetTextExtent("0000/00/00").x + 40);
    historyList->InsertColumn(0, _("Contact date"), wxLIST_FORMAT_LEFT, dateWidth);
    historyList->InsertColumn(1, _("Comment"), wxLIST_FORMAT_LEFT, 220);
}

void HistoryPane::RefreshEntries()
{
    historyList->DeleteAllItems();
    HistoryManager& history = historyManager;
    // Without a contact the list must not keep showing another contact's
    // entries.
    if (history.GetCurrentContact())
        history.Load();
    else
        history.Clear();

    HistoryInfoArray& entries = history.GetHistoryList();
    for (size_t i = 0; i < entries.GetCount(); ++i)
    {
        HistoryInfo* entry = entries[i];
        long row = historyList->InsertItem(0, DateText::Date(entry->his_time), 3);
        historyList->SetItem(row, 1, entry->comment);
        historyList->SetItemPtrData(row, reinterpret_cast<wxUIntPtr>(entry));
        if (i % 2 == 0)
            historyList->SetItemBackgroundColour(row, wxColour(231, 223, 221));
    }
    // A refill leaves no row selected: the buttons must say so.
    UpdateButtons();
}

void HistoryPane::UpdateButtons()
{
    bool hasContact = contactManager.currentContact != nullptr;
    bool hasEntry = hasContact && SelectedHistory() != nullptr;
    newHisButton->Enable(hasContact);
    editHisButton->Enable(hasEntry);
    delHisButton->Enable(hasEntry);
    hisCopyButton->Enable(hasEntry);
    historyList->Enable(hasContact);
}

HistoryInfo* HistoryPane::SelectedHistory() const
{
    if (historyList->GetSelectedItemCount() != 1)
        return nullptr;
    long row = historyList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    return row == -1 ? nullptr : reinterpret_cast<HistoryInfo*>(historyList->GetItemData(row));
}

namespace
{
bool RunHistoryDialog(wxWindow* parent, int mode, HistoryInfo* entry)
{
    HisDetailDlg dialog(parent, mode, wxID_ANY);
    dialog.SetHistoryInfo(entry);
    return dialog.ShowModal() == wxID_OK;
}
} // namespace

void HistoryPane::OnButtonNewHisClick(wxCommandEvent&)
{
    ContactInfoEx* contact = contactManager.currentContact;
    if (!contact)
        return;
    // Insert leaves the record with its caller.
    std::unique_ptr<HistoryInfo> entry(new HistoryInfo());
    entry->id = -1;
    entry->his_time = NowToSecond();
    entry->contact_id = contact->id;
    entry->contact_name = contact->last_name + " " + contact->first_name;
    entry->his_type = 0;
    if (RunHistoryDialog(owner, HIS_MODE_NEW, entry.get()))
        historyManager.Insert(entry.get());
    UpdateButtons();
}

void HistoryPane::OnButtonEditHisClick(wxCommandEvent&)
{
    ContactInfoEx* contact = contactManager.currentContact;
    HistoryInfo* entry = SelectedHistory();
    if (!contact || !entry)
        return;
    entry->contact_name = contact->last_name + " " + contact->first_name;
    // The update reloads the list, which destroys the entry.
    if (RunHistoryDialog(owner, HIS_MODE_EDIT, entry))
        historyManager.Update(entry);
    UpdateButtons();
}

void HistoryPane::OnButtonDelHisClick(wxCommandEvent&)
{
    HistoryInfo* entry = SelectedHistory();
    if (!contactManager.currentContact || !entry)
        return;
    if (wxMessageBox(_("Do you really need to delete the history item of below?\n\n") + entry->comment, _("Confirm"),
                     wxYES_NO, owner) == wxYES)
        historyManager.Delete(entry);
    UpdateButtons();
}

void HistoryPane::OnButtonHisCopyClick(wxCommandEvent&)
{
    ContactInfoEx* contact = contactManager.currentContact;
    HistoryInfo* source = SelectedHistory();
    if (!contact || !source)
        return;
    std::unique_ptr<HistoryInfo> entry(new HistoryInfo());
    entry->id = -1;
    entry->his_time = NowToSecond();
    entry->contact_id = source->contact_id;
    entry->his_type = source->his_type;
    entry->comment = source->comment;
    entry->contact_name = contact->last_name + " " + contact->first_name;
    if (RunHistoryDialog(owner, HIS_MODE_EDIT, entry.get()))
        historyManager.Insert(entry.get());
    UpdateButtons();
}
