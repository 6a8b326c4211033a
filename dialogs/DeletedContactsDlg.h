// The deleted contacts: the ones deleted in the last days, the last first,
// to put back as they were or to remove for good.
#pragma once

#include <wx/dialog.h>

#include <vector>

#include "storage/Trash.h"

class ContactManager;
class wxButton;
class wxListCtrl;
class wxListEvent;

class DeletedContactsDlg : public wxDialog
{
public:
    DeletedContactsDlg(wxWindow* parent, ContactManager& contacts);

    // The contacts shown, in their rows' order.
    const std::vector<Trash::Entry>& GetEntries() const
    {
        return entries;
    }

private:
    void Reload();
    std::vector<int> SelectedIds() const;
    void UpdateButtons();
    void OnRestore(wxCommandEvent& event);
    void OnDiscard(wxCommandEvent& event);

    ContactManager& contactManager;
    std::vector<Trash::Entry> entries;
    wxListCtrl* list;
    wxButton* buttonRestore;
    wxButton* buttonDiscard;
};
