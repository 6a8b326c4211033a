// The "Statistics information" pane: totals, birthdays, tags, recent contacts.
#include <wx/aui/auibook.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statline.h>

#include "app/Corva.h"
#include "app/DateText.h"
#include "frame/CorvalaFrame.h"
#include "frame/FlowSizer.h"
#include "storage/UnitOfWork.h"

void CorvalaFrame::BuildStatisticsPane()
{
    statNotebook = new wxAuiNotebook(this, ids.ID_AUINOTEBOOK_STAT, wxDefaultPosition, wxDefaultSize,
                                     wxAUI_NB_TOP | wxAUI_NB_TAB_SPLIT | wxAUI_NB_TAB_MOVE | wxAUI_NB_SCROLL_BUTTONS);
    statNotebook->SetMinSize(wxSize(360, 160));

    auto page = [this](wxWindowID panelId, const char* panelName, wxWindowID listId, const char* listName,
                       long extraStyle, wxSizer*& buttons, wxListCtrl*& list)
    {
        wxPanel* panel =
            new wxPanel(statNotebook, panelId, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, panelName);
        wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
        // A pane narrower than its buttons wraps them rather than cutting
        // the last one off.
        buttons = new FlowSizer;
        sizer->Add(buttons, 0, wxEXPAND);
        list = new wxListCtrl(panel, listId, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_VRULES | extraStyle,
                              wxDefaultValidator, listName);
        sizer->Add(list, 1, wxALL | wxEXPAND, 5);
        panel->SetSizer(sizer);
        return panel;
    };
    auto button =
        [](wxWindow* parent, wxSizer* row, wxWindowID id, const wxString& label, const char* name, int proportion = 0)
    { row->Add(MakeCompactButton(parent, id, label, name), proportion, wxALL | wxALIGN_CENTER_VERTICAL, 5); };

    wxSizer* row = nullptr;
    wxPanel* number =
        page(ids.ID_PANEL2, "ID_PANEL2", ids.ID_LISTCTRL_STATUS, "ID_LISTCTRL_STATUS", 0, row, statusList);
    button(number, row, ids.ID_BUTTON_REFRESH, _("&Refresh"), "ID_BUTTON_REFRESH");
    statNotebook->AddPage(number, _("Number"));

    wxPanel* birthday = page(ids.ID_PANEL6, "ID_PANEL6", ids.ID_LISTCTRL_REMINDER, "ID_LISTCTRL_REMINDER",
                             wxLC_SINGLE_SEL, row, reminderList);
    button(birthday, row, ids.ID_BUTTON_LAST_MONTH, _("&Last month"), "ID_BUTTON_LAST_MONTH");
    button(birthday, row, ids.ID_BUTTON_NEXT_MONTH, _("&Next month"), "ID_BUTTON_NEXT_MONTH");
    row->Add(new wxStaticLine(birthday, ids.ID_STATICLINE4, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL,
                              "ID_STATICLINE4"),
             0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    button(birthday, row, ids.ID_BUTTON_CUR_MONTH, _("C&urrent month"), "ID_BUTTON_CUR_MONTH");
    statNotebook->AddPage(birthday, _("Birthday"));

    wxPanel* tag = page(ids.ID_PANEL5, "ID_PANEL5", ids.ID_LISTCTRL_TAGSTAT, "ID_LISTCTRL_TAGSTAT", wxLC_SINGLE_SEL,
                        row, tagStatList);
    button(tag, row, ids.ID_BUTTON_TAG_REFRESH, _("&Refresh"), "ID_BUTTON_TAG_REFRESH");
    statNotebook->AddPage(tag, _("Tag"));

    wxPanel* recent = page(ids.ID_PANEL8, "ID_PANEL8", ids.ID_LISTCTRL_RECNENT, "ID_LISTCTRL_RECNENT", wxLC_SINGLE_SEL,
                           row, recentList);
    button(recent, row, ids.ID_BUTTON_WEEK, _("1 &week"), "ID_BUTTON_WEEK", 1);
    button(recent, row, ids.ID_BUTTON_ONE_MONTH, _("1 &month"), "ID_BUTTON_ONE_MONTH", 1);
    button(recent, row, ids.ID_BUTTON_SIX_MONTH, _("6 m&onth"), "ID_BUTTON_SIX_MONTH", 1);
    statNotebook->AddPage(recent, _("Recent contacts"));

    paneManager.AddPane(statNotebook, wxAuiPaneInfo()
                                          .Name("StatInfo")
                                          .Caption(_("Statistics information"))
                                          .MinSize(360, 160)
                                          .CaptionVisible(true)
                                          .CloseButton(true)
                                          .MaximizeButton(true)
                                          .PinButton(true)
                                          .Right()
                                          .Position(1)
                                          .Dockable(true));
}

void CorvalaFrame::InsertStatisticsColumns()
{
    statusList->InsertColumn(0, _("Key"), wxLIST_FORMAT_LEFT, 160);
    statusList->InsertColumn(1, _("Value"), wxLIST_FORMAT_LEFT, 160);
    reminderList->InsertColumn(0, _("Contact"), wxLIST_FORMAT_LEFT, 160);
    reminderList->InsertColumn(1, _("Birthday"), wxLIST_FORMAT_LEFT, 160);
    tagStatList->InsertColumn(0, _("Tag"), wxLIST_FORMAT_LEFT, 160);
    tagStatList->InsertColumn(1, _("Number of person"), wxLIST_FORMAT_LEFT, 160);
    recentList->InsertColumn(0, _("Contact"), wxLIST_FORMAT_LEFT, 100);
    recentList->InsertColumn(1, _("Contact date"), wxLIST_FORMAT_LEFT, 80);
    recentList->InsertColumn(2, _("Comment"), wxLIST_FORMAT_LEFT, 140);
}

void CorvalaFrame::ConnectStatisticsEvents()
{
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonRefreshClick, this, ids.ID_BUTTON_REFRESH);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonLastMonthClick, this, ids.ID_BUTTON_LAST_MONTH);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonNextMonthClick, this, ids.ID_BUTTON_NEXT_MONTH);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonCurMonthClick, this, ids.ID_BUTTON_CUR_MONTH);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonTagRefreshClick, this, ids.ID_BUTTON_TAG_REFRESH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshRecentContacts(7); }, ids.ID_BUTTON_WEEK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshRecentContacts(30); }, ids.ID_BUTTON_ONE_MONTH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshRecentContacts(180); }, ids.ID_BUTTON_SIX_MONTH);
}

namespace
{
const wxColour ALTERNATE_ROW(231, 223, 221);

int CurrentMonth()
{
    return static_cast<int>(wxDateTime::Now().GetMonth());
}
} // namespace

void CorvalaFrame::RefreshStatus()
{
    statusList->DeleteAllItems();
    const ContactStatistics& stats = model->contactManager.GetStatistics();
    const struct
    {
        const char* label;
        int value;
    } rows[] = {
        {wxTRANSLATE("Total contacts"), stats.total},
        {wxTRANSLATE("Male"), stats.male},
        {wxTRANSLATE("Female"), stats.female},
        {wxTRANSLATE("30+ years old"), stats.age30Plus},
        {wxTRANSLATE("30- years old"), stats.age30Minus},
    };
    for (const auto& row : rows)
    {
        long item = statusList->InsertItem(0, wxGetTranslation(row.label));
        statusList->SetItem(item, 1, wxString::Format("%d", row.value));
    }
    for (long item = 0; item < statusList->GetItemCount(); item += 2)
        statusList->SetItemBackgroundColour(item, ALTERNATE_ROW);
}

void CorvalaFrame::RefreshBirthdays(int month)
{
    reminderList->DeleteAllItems();
    // The rows show the page that was current when they were filled; they
    // keep no pointers into it, since the next search destroys those records.
    ContactInfoArray& contacts = model->contactManager.GetBirthdayContacts(month);
    for (size_t i = 0; i < contacts.GetCount(); ++i)
    {
        ContactInfoEx* contact = contacts[i];
        long item = reminderList->InsertItem(0, contact->last_name + " " + contact->first_name, 1);
        reminderList->SetItem(item, 1, DateText::Date(contact->birthday));
        if (i % 2 == 0)
            reminderList->SetItemBackgroundColour(item, ALTERNATE_ROW);
    }
}

void CorvalaFrame::RefreshTagStatistics()
{
    // The tags and a count for each: one connection, one report if it fails.
    UnitOfWork unit;
    tagStatList->DeleteAllItems();
    TagManager& tags = model->tagManager;
    tags.Load();
    TagMap& map = tags.GetTagMap();
    int n = 0;
    for (TagMap::iterator it = map.begin(); it != map.end(); ++it, ++n)
    {
        TagInfo* tag = it->second;
        long item = tagStatList->InsertItem(0, tag->name);
        tagStatList->SetItem(item, 1, wxString::Format("%d", model->contactManager.CountTagContacts(tag->id)));
        tagStatList->SetItemData(item, tag->id);
        if (n % 2 == 1)
            tagStatList->SetItemBackgroundColour(item, ALTERNATE_ROW);
    }
}

void CorvalaFrame::RefreshRecentContacts(int days)
{
    recentList->DeleteAllItems();
    RecentContactArray recent;
    model->contactManager.GetRecentContacts(days, recent);
    for (size_t i = 0; i < recent.GetCount(); ++i)
    {
        RecentContact* entry = recent[i];
        long item = recentList->InsertItem(0, entry->name);
        recentList->SetItem(item, 1, DateText::Date(entry->his_time));
        recentList->SetItem(item, 2, entry->comment);
        if (i % 2 == 0)
            recentList->SetItemBackgroundColour(item, ALTERNATE_ROW);
    }
    for (size_t i = 0; i < recent.GetCount(); ++i)
        delete recent[i];
}

void CorvalaFrame::OnButtonRefreshClick(wxCommandEvent&)
{
    RefreshStatus();
}

void CorvalaFrame::OnButtonLastMonthClick(wxCommandEvent&)
{
    birthdayMonth = birthdayMonth == 0 ? 11 : birthdayMonth - 1;
    RefreshBirthdays(birthdayMonth);
}

void CorvalaFrame::OnButtonNextMonthClick(wxCommandEvent&)
{
    birthdayMonth = birthdayMonth == 11 ? 0 : birthdayMonth + 1;
    RefreshBirthdays(birthdayMonth);
}

void CorvalaFrame::OnButtonCurMonthClick(wxCommandEvent&)
{
    birthdayMonth = CurrentMonth();
    RefreshBirthdays(birthdayMonth);
}

void CorvalaFrame::OnButtonTagRefreshClick(wxCommandEvent&)
{
    RefreshTagStatistics();
}
