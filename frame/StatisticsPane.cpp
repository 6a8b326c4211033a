#include "frame/StatisticsPane.h"

#include <wx/aui/auibook.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statline.h>

#include <functional>
#include <tuple>

#include "dialogs/DateText.h"
#include "frame/FlowSizer.h"
#include "frame/FrameIds.h"
#include "frame/LongLoad.h"
#include "frame/RowListCtrl.h"
#include "storage/ContactManager.h"
#include "storage/TagManager.h"
#include "storage/UnitOfWork.h"

namespace
{
const wxColour ALTERNATE_ROW(231, 223, 221);

// The list date of many date-times in a row, most of them on the same day as
// the one before: formatting each costs more than reading its row.
class DateTexts
{
public:
    wxString Text(const wxDateTime& date)
    {
        if (!date.IsValid())
            return wxString();
        if (dayStart.IsValid() && date >= dayStart && date < dayEnd)
            return text;
        text = DateText::Date(date);
        dayStart = date.GetDateOnly();
        dayEnd = dayStart + wxDateSpan::Day();
        return text;
    }

private:
    wxDateTime dayStart;
    wxDateTime dayEnd;
    wxString text;
};

// The statistics pages, as bits of filledPages.
enum : unsigned
{
    PAGE_BIRTHDAYS = 1,
    PAGE_NUMBER = 2,
    PAGE_TAGS = 4,
    PAGE_RECENT = 8,
};

int CurrentMonth()
{
    return static_cast<int>(wxDateTime::Now().GetMonth());
}
} // namespace

StatisticsPane::StatisticsPane(wxWindow* parent, const FrameIds& ids, TagManager& tags, ContactManager& contacts)
    : wxAuiNotebook(parent, ids.ID_AUINOTEBOOK_STAT, wxDefaultPosition, wxDefaultSize,
                    wxAUI_NB_TOP | wxAUI_NB_TAB_SPLIT | wxAUI_NB_TAB_MOVE | wxAUI_NB_SCROLL_BUTTONS),
      tagManager(tags), contactManager(contacts), birthdayMonth(CurrentMonth())
{
    SetMinSize(wxSize(360, 160));
    shownWrites = contactManager.GetWriteCount();

    // Every list but the totals can hold thousands of rows: those show rows
    // kept compactly instead of native items.
    auto page = [this](wxWindowID panelId, const char* panelName, wxWindowID listId, const char* listName,
                       long extraStyle, bool manyRows, wxSizer*& buttons) -> std::pair<wxPanel*, wxListCtrl*>
    {
        wxPanel* panel = new wxPanel(this, panelId, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, panelName);
        wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
        // A pane narrower than its buttons wraps them rather than cutting
        // the last one off.
        buttons = new FlowSizer;
        sizer->Add(buttons, 0, wxEXPAND);
        const long style = wxLC_REPORT | wxLC_VRULES | extraStyle;
        wxListCtrl* list = manyRows ? new RowListCtrl(panel, listId, style, listName)
                                    : new wxListCtrl(panel, listId, wxDefaultPosition, wxDefaultSize, style,
                                                     wxDefaultValidator, listName);
        sizer->Add(list, 1, wxALL | wxEXPAND, 5);
        panel->SetSizer(sizer);
        return {panel, list};
    };
    auto button =
        [](wxWindow* parent, wxSizer* row, wxWindowID id, const wxString& label, const char* name, int proportion = 0)
    { row->Add(MakeCompactButton(parent, id, label, name), proportion, wxALL | wxALIGN_CENTER_VERTICAL, 5); };

    wxSizer* row = nullptr;
    wxPanel* number = nullptr;
    std::tie(number, statusList) =
        page(ids.ID_PANEL2, "ID_PANEL2", ids.ID_LISTCTRL_STATUS, "ID_LISTCTRL_STATUS", 0, false, row);
    button(number, row, ids.ID_BUTTON_REFRESH, _("&Refresh"), "ID_BUTTON_REFRESH");
    AddPage(number, _("Number"));

    auto [birthday, reminders] =
        page(ids.ID_PANEL6, "ID_PANEL6", ids.ID_LISTCTRL_REMINDER, "ID_LISTCTRL_REMINDER", wxLC_SINGLE_SEL, true, row);
    reminderList = static_cast<RowListCtrl*>(reminders);
    button(birthday, row, ids.ID_BUTTON_LAST_MONTH, _("&Last month"), "ID_BUTTON_LAST_MONTH");
    button(birthday, row, ids.ID_BUTTON_NEXT_MONTH, _("&Next month"), "ID_BUTTON_NEXT_MONTH");
    row->Add(new wxStaticLine(birthday, ids.ID_STATICLINE4, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL,
                              "ID_STATICLINE4"),
             0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    button(birthday, row, ids.ID_BUTTON_CUR_MONTH, _("C&urrent month"), "ID_BUTTON_CUR_MONTH");
    AddPage(birthday, _("Birthday"));

    auto [tag, tagCounts] =
        page(ids.ID_PANEL5, "ID_PANEL5", ids.ID_LISTCTRL_TAGSTAT, "ID_LISTCTRL_TAGSTAT", wxLC_SINGLE_SEL, true, row);
    tagStatList = static_cast<RowListCtrl*>(tagCounts);
    button(tag, row, ids.ID_BUTTON_TAG_REFRESH, _("&Refresh"), "ID_BUTTON_TAG_REFRESH");
    AddPage(tag, _("Tag"));

    auto [recent, recentContacts] =
        page(ids.ID_PANEL8, "ID_PANEL8", ids.ID_LISTCTRL_RECNENT, "ID_LISTCTRL_RECNENT", wxLC_SINGLE_SEL, true, row);
    recentList = static_cast<RowListCtrl*>(recentContacts);
    button(recent, row, ids.ID_BUTTON_WEEK, _("1 &week"), "ID_BUTTON_WEEK", 1);
    button(recent, row, ids.ID_BUTTON_ONE_MONTH, _("1 &month"), "ID_BUTTON_ONE_MONTH", 1);
    button(recent, row, ids.ID_BUTTON_SIX_MONTH, _("6 m&onth"), "ID_BUTTON_SIX_MONTH", 1);
    AddPage(recent, _("Recent contacts"));

    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshStatus(); }, ids.ID_BUTTON_REFRESH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ShowMonth(birthdayMonth == 0 ? 11 : birthdayMonth - 1); },
        ids.ID_BUTTON_LAST_MONTH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ShowMonth(birthdayMonth == 11 ? 0 : birthdayMonth + 1); },
        ids.ID_BUTTON_NEXT_MONTH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ShowMonth(CurrentMonth()); }, ids.ID_BUTTON_CUR_MONTH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshTagStatistics(); }, ids.ID_BUTTON_TAG_REFRESH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshRecentContacts(7); }, ids.ID_BUTTON_WEEK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshRecentContacts(30); }, ids.ID_BUTTON_ONE_MONTH);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { RefreshRecentContacts(180); }, ids.ID_BUTTON_SIX_MONTH);
}

void StatisticsPane::InsertColumns()
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

void StatisticsPane::RefreshStatus()
{
    filledPages |= PAGE_NUMBER;
    statusList->DeleteAllItems();
    const ContactStatistics& stats = contactManager.GetStatistics();
    const struct
    {
        const char* label;
        int value;
    } rows[] = {
        {wxTRANSLATE("Total contacts"), stats.total},    {wxTRANSLATE("Male"), stats.male},
        {wxTRANSLATE("Female"), stats.female},           {wxTRANSLATE("Not stated"), stats.NotStated()},
        {wxTRANSLATE("30+ years old"), stats.age30Plus}, {wxTRANSLATE("30- years old"), stats.age30Minus},
    };
    for (const auto& row : rows)
    {
        long item = statusList->InsertItem(0, wxGetTranslation(row.label));
        statusList->SetItem(item, 1, wxString::Format("%d", row.value));
    }
    for (long item = 0; item < statusList->GetItemCount(); item += 2)
        statusList->SetItemBackgroundColour(item, ALTERNATE_ROW);
}

void StatisticsPane::RefreshBirthdays(int month)
{
    filledPages |= PAGE_BIRTHDAYS;
    reminderList->ClearRows();
    // The rows show the page that was current when they were filled; they
    // keep no pointers into it, since the next search destroys those records.
    ContactInfoArray& contacts = contactManager.GetBirthdayContacts(month);
    RowListCtrl::Rows rows(2);
    for (size_t i = 0; i < contacts.GetCount(); ++i)
    {
        ContactInfoEx* contact = contacts[i];
        rows.Add({contact->last_name + " " + contact->first_name, DateText::Date(contact->birthday)}, 1, i % 2 == 0);
    }
    // Each row was inserted at the top: the last one stands first.
    reminderList->ShowRows(std::move(rows), true);
}

void StatisticsPane::RefreshTagStatistics()
{
    filledPages |= PAGE_TAGS;
    // The tags and a count for each: one connection, one report if it fails.
    UnitOfWork unit;
    tagStatList->ClearRows();
    TagManager& tags = tagManager;
    tags.Load();
    TagMap& map = tags.GetTagMap();
    RowListCtrl::Rows rows(2);
    // A count per tag: on a large book they add up.
    LongLoad load(1);
    int n = 0;
    for (TagMap::iterator it = map.begin(); it != map.end(); ++it, ++n)
    {
        TagInfo* tag = it->second;
        rows.Add({tag->name, wxString::Format("%d", contactManager.CountTagContacts(tag->id))}, -1, n % 2 == 1,
                 tag->id);
        load.Tick();
    }
    tagStatList->ShowRows(std::move(rows), true);
}

void StatisticsPane::RefreshRecentContacts(int days)
{
    filledPages |= PAGE_RECENT;
    recentList->ClearRows();
    RowListCtrl::Rows rows(3);
    {
        // Half a year of a large book takes a while to read.
        LongLoad load;
        DateTexts dates;
        contactManager.ForEachRecentContact(
            days,
            [&](const RecentContact& entry)
            {
                rows.Add({entry.name, dates.Text(entry.his_time), entry.comment}, -1, rows.Count() % 2 == 0);
                load.Tick();
            });
    }
    recentList->ShowRows(std::move(rows), true);
}

StatisticsPane::~StatisticsPane()
{
    if (idleHost)
        idleHost->Unbind(wxEVT_IDLE, &StatisticsPane::OnIdle, this);
}

void StatisticsPane::FollowContacts()
{
    // A search alone changes no total; only a stored write does.
    if (contactManager.GetWriteCount() == shownWrites)
        return;
    shownWrites = contactManager.GetWriteCount();
    if (filledPages & PAGE_NUMBER)
        RefreshStatus();
    if (filledPages & PAGE_TAGS)
        RefreshTagStatistics();
    if (filledPages & PAGE_BIRTHDAYS)
        RefreshBirthdays(birthdayMonth);
}

void StatisticsPane::ShowMonth(int month)
{
    birthdayMonth = month;
    RefreshBirthdays(birthdayMonth);
}

// The pages are filled once the window has been painted, one page per idle
// pass, so that a large book shows the window (and lets it answer) before
// they are ready.
void StatisticsPane::FillWhenShown(wxWindow* host, std::initializer_list<wxWindow*> watched)
{
    std::function<void(wxWindow*)> watch = [&](wxWindow* window)
    {
        window->Bind(wxEVT_PAINT, &StatisticsPane::OnFirstPaint, this);
        for (wxWindow* child : window->GetChildren())
            watch(child);
    };
    for (wxWindow* window : watched)
        watch(window);
    // The host's idle events come whether or not this pane is shown.
    idleHost = host;
    idleHost->Bind(wxEVT_IDLE, &StatisticsPane::OnIdle, this);
}

void StatisticsPane::OnFirstPaint(wxPaintEvent& event)
{
    event.Skip();
    if (windowPainted)
        return;
    windowPainted = true;
    // Painting alone does not wake the idle processing that fills the pages.
    wxWakeUpIdle();
}

void StatisticsPane::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    // A list that is still being read holds the database: wait for it.
    if (!windowPainted || step >= STEPS || LongLoad::Running())
        return;
    // A page the user has refreshed already keeps what was asked for.
    switch (step++)
    {
    case 0:
        if (!(filledPages & PAGE_BIRTHDAYS))
            RefreshBirthdays(birthdayMonth);
        break;
    case 1:
        if (!(filledPages & PAGE_NUMBER))
            RefreshStatus();
        break;
    case 2:
        if (!(filledPages & PAGE_TAGS))
            RefreshTagStatistics();
        break;
    default:
        if (!(filledPages & PAGE_RECENT))
            RefreshRecentContacts(7);
        break;
    }
    if (step < STEPS)
        event.RequestMore();
    else
    {
        idleHost->Unbind(wxEVT_IDLE, &StatisticsPane::OnIdle, this);
        idleHost = nullptr;
    }
}
