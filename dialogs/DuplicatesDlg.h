// Tools > Find duplicates: searches the book for contacts that are probably
// one person, then shows the groups one at a time, side by side, and merges
// a group into the contact the user keeps, remembers that it is no
// duplicate, or skips it. Nothing is merged without the user's click.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <vector>

class ContactManager;
class wxButton;
class wxChoice;
class wxGauge;
class wxListCtrl;
class wxStaticText;

class DuplicatesDlg : public wxDialog
{
public:
    // The search starts once the dialog is shown.
    DuplicatesDlg(wxWindow* parent, wxWindowID id, ContactManager& contacts);

    // Runs the search, letting window messages through between chunks so
    // that Cancel can stop it; then shows the first group. False when it
    // was stopped or failed.
    bool RunSearch();

    void OnMergeClick(wxCommandEvent& event);
    void OnDismissClick(wxCommandEvent& event);
    void OnSkipClick(wxCommandEvent& event);

    bool IsSearching() const
    {
        return searching;
    }
    size_t GroupCount() const
    {
        return groups.size();
    }

private:
    // Shows groups[current], passing over groups whose contacts are gone.
    void ShowGroup();
    void Next();
    void EnableChoices(bool enable);

    ContactManager& contactManager;
    std::vector<std::vector<int>> groups;
    // The ids of the group shown, in column order.
    std::vector<int> shown;
    size_t current = 0;
    bool searching = false;
    bool started = false;
    // Starts the search once the dialog is on screen: a timer, not a
    // pending call, so that it also starts while another handler runs.
    wxTimer startTimer;
    bool stopRequested = false;

    wxStaticText* lblStatus;
    wxGauge* gauge;
    wxButton* buttonStop;
    wxListCtrl* list;
    wxChoice* choiceKeep;
    wxButton* buttonMerge;
    wxButton* buttonDismiss;
    wxButton* buttonSkip;
    wxButton* buttonClose;
};
