// The "Contact history" page: the dated entries of the current contact and
// the commands on them.
#pragma once

#include <wx/panel.h>

class ContactManager;
class HistoryInfo;
class HistoryManager;
class wxButton;
class wxImageList;
class wxListCtrl;
struct FrameIds;

class HistoryPane : public wxPanel
{
public:
    // The entry dialogs and questions open over owner, the main window,
    // even while this page floats in a window of its own.
    HistoryPane(wxWindow* parent, const FrameIds& ids, ContactManager& contacts, HistoryManager& history,
                wxWindow* owner);

    void SetImages(wxImageList* images);
    void InsertColumns();
    // Reloads the current contact's entries (none without a contact).
    void RefreshEntries();
    void UpdateButtons();

private:
    // The entry of the one highlighted row; none when zero or several rows
    // are highlighted.
    HistoryInfo* SelectedHistory() const;
    void OnButtonNewHisClick(wxCommandEvent& event);
    void OnButtonEditHisClick(wxCommandEvent& event);
    void OnButtonDelHisClick(wxCommandEvent& event);
    void OnButtonHisCopyClick(wxCommandEvent& event);

    ContactManager& contactManager;
    HistoryManager& historyManager;
    wxWindow* owner;
    wxButton* newHisButton = nullptr;
    wxButton* editHisButton = nullptr;
    wxButton* delHisButton = nullptr;
    wxButton* hisCopyButton = nullptr;
    wxListCtrl* historyList = nullptr;
};
