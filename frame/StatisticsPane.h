// The "Statistics information" pane: totals, birthdays, tags and recent
// contacts, one page each, filled once the window has first been painted.
#pragma once

#include <initializer_list>

#include <wx/aui/auibook.h>

class ContactManager;
class RowListCtrl;
class TagManager;
class wxListCtrl;
struct FrameIds;

class StatisticsPane : public wxAuiNotebook
{
public:
    StatisticsPane(wxWindow* parent, const FrameIds& ids, TagManager& tags, ContactManager& contacts);
    ~StatisticsPane() override;

    // Called on every change the contact manager reports: a stored write
    // refreshes the pages filled so far, as the lists follow it.
    void FollowContacts();
    void InsertColumns();
    void RefreshStatus();
    void RefreshBirthdays(int month);
    void RefreshTagStatistics();
    void RefreshRecentContacts(int days);

    // The pages are filled one per idle pass of host once one of the
    // watched windows (or their children) has been painted.
    void FillWhenShown(wxWindow* host, std::initializer_list<wxWindow*> watched);
    bool IsFilled() const
    {
        return step >= STEPS;
    }
    int GetBirthdayMonth() const
    {
        return birthdayMonth;
    }

private:
    void OnFirstPaint(wxPaintEvent& event);
    void OnIdle(wxIdleEvent& event);
    void ShowMonth(int month);

    TagManager& tagManager;
    ContactManager& contactManager;
    wxListCtrl* statusList = nullptr;
    RowListCtrl* reminderList = nullptr;
    RowListCtrl* tagStatList = nullptr;
    RowListCtrl* recentList = nullptr;
    int birthdayMonth = 0;
    static const int STEPS = 4;
    // Receives the idle events until every page is filled.
    wxWindow* idleHost = nullptr;
    bool windowPainted = false;
    int step = 0;
    unsigned filledPages = 0; // one bit per page filled so far
    unsigned shownWrites = 0; // the manager's write count the pages show
};
