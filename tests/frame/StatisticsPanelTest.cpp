#include <wx/button.h>
#include <wx/utils.h>

#include "frame/LongLoad.h"
#include "storage/DbValues.h"
#include "tests/frame/FrameFixture.h"

namespace
{
class StatisticsPanelTest : public FrameTest
{
protected:
    wxListCtrl* List(const char* name)
    {
        return Child<wxListCtrl>(name);
    }

    int AddWithBirthday(const char* last, int sex, const wxDateTime& birthday)
    {
        int id = AddContact({last, "X", last, "X", sex, ""});
        dir.Exec(wxString::Format("UPDATE contacts SET birthday='%s' WHERE id=%d", FormatDbTime(birthday), id));
        return id;
    }

    void AddHistory(int contactId, const wxDateTime& time, const char* comment)
    {
        dir.Exec(wxString::Format("INSERT INTO contact_history(his_time, contact_id, his_type, comment) "
                                  "VALUES('%s', %d, 0, '%s')",
                                  FormatDbTime(time), contactId, comment));
    }

    std::vector<wxString> Column(const char* list, int column)
    {
        std::vector<wxString> texts;
        for (long row = 0; row < List(list)->GetItemCount(); ++row)
            texts.push_back(List(list)->GetItemText(row, column));
        return texts;
    }
};
} // namespace

TEST_F(StatisticsPanelTest, NumberPageListsTheTotalsUntilRefreshed)
{
    wxDateTime now = wxDateTime::Now();
    AddWithBirthday("Old", 1, now - wxDateSpan::Years(40));
    AddWithBirthday("Young", 0, now - wxDateSpan::Years(20));
    AddWithBirthday("Mid", 0, now - wxDateSpan::Years(25));
    AddWithBirthday("Anon", SEX_NOT_STATED, now - wxDateSpan::Years(50));
    OpenFrame();
    EXPECT_EQ(
        (std::vector<wxString>{"30- years old", "30+ years old", "Not stated", "Female", "Male", "Total contacts"}),
        Column("ID_LISTCTRL_STATUS", 0));
    const ContactStatistics& stats = Contacts().GetStatistics();
    EXPECT_EQ((std::vector<wxString>{wxString::Format("%d", stats.age30Minus), wxString::Format("%d", stats.age30Plus),
                                     "1", "2", "1", "4"}),
              Column("ID_LISTCTRL_STATUS", 1));
    EXPECT_EQ(wxColour(231, 223, 221), List("ID_LISTCTRL_STATUS")->GetItemBackgroundColour(0));
    EXPECT_NE(wxColour(231, 223, 221), List("ID_LISTCTRL_STATUS")->GetItemBackgroundColour(1));
    EXPECT_EQ(wxColour(231, 223, 221), List("ID_LISTCTRL_STATUS")->GetItemBackgroundColour(4));

    AddContact({"New", "One", "New", "One", 1, ""});
    Click("ID_BUTTON_RESET");
    EXPECT_EQ("4", List("ID_LISTCTRL_STATUS")->GetItemText(5, 1))
        << "a search alone refreshes nothing: another program's insert shows on Refresh";
    Click("ID_BUTTON_REFRESH");
    EXPECT_EQ("5", List("ID_LISTCTRL_STATUS")->GetItemText(5, 1));
    EXPECT_EQ("2", List("ID_LISTCTRL_STATUS")->GetItemText(4, 1)) << "two men now";
}

TEST_F(StatisticsPanelTest, TheTotalsFollowEveryStoredChange)
{
    AddContact({"Old", "One", "Old", "One", 1, ""});
    AddContact({"Gone", "Two", "Gone", "Two", 0, ""});
    OpenFrame();
    EXPECT_EQ("2", List("ID_LISTCTRL_STATUS")->GetItemText(5, 1));

    ContactInfoEx added;
    added.last_name = "New";
    added.sex = 1;
    Contacts().Insert(&added);
    EXPECT_EQ("3", List("ID_LISTCTRL_STATUS")->GetItemText(5, 1)) << "a new contact counts at once";
    EXPECT_EQ("2", List("ID_LISTCTRL_STATUS")->GetItemText(4, 1)) << "two men";

    ContactInfoEx* gone = nullptr;
    for (ContactInfoEx* c : Contacts().contactList)
    {
        if (c->last_name == "Gone")
            gone = c;
    }
    ASSERT_NE(gone, nullptr);
    gone->sex = 1;
    Contacts().Update(gone);
    EXPECT_EQ("3", List("ID_LISTCTRL_STATUS")->GetItemText(4, 1)) << "an edit counts too";
    Contacts().Delete(gone);
    EXPECT_EQ("2", List("ID_LISTCTRL_STATUS")->GetItemText(5, 1)) << "and a delete";
}

TEST_F(StatisticsPanelTest, BirthdayMonthsWrapAroundTheYear)
{
    AddWithBirthday("January", 0, wxDateTime(10, wxDateTime::Jan, 1980));
    AddWithBirthday("December", 1, wxDateTime(24, wxDateTime::Dec, 1975));
    AddWithBirthday("Jan2", 1, wxDateTime(2, wxDateTime::Jan, 1990));
    OpenFrame();
    int current = static_cast<int>(wxDateTime::Now().GetMonth());
    EXPECT_EQ(current, frame->GetStatisticsPane()->GetBirthdayMonth());

    for (int i = 0; i < current; ++i)
        Click("ID_BUTTON_LAST_MONTH");
    ASSERT_EQ(0, frame->GetStatisticsPane()->GetBirthdayMonth());
    // The page is ordered by alphabet name descending: January, Jan2; rows
    // are inserted at the top, so the list reads in reverse.
    EXPECT_EQ((std::vector<wxString>{"Jan2 X", "January X"}), Column("ID_LISTCTRL_REMINDER", 0));
    EXPECT_EQ((std::vector<wxString>{"1990/01/02", "1980/01/10"}), Column("ID_LISTCTRL_REMINDER", 1));
    for (long row = 0; row < 2; ++row)
    {
        wxListItem item;
        item.SetId(row);
        item.SetMask(wxLIST_MASK_IMAGE);
        List("ID_LISTCTRL_REMINDER")->GetItem(item);
        EXPECT_EQ(1, item.GetImage()) << "the male icon for everyone";
    }

    Click("ID_BUTTON_LAST_MONTH");
    EXPECT_EQ(11, frame->GetStatisticsPane()->GetBirthdayMonth()) << "January back to December";
    EXPECT_EQ((std::vector<wxString>{"December X"}), Column("ID_LISTCTRL_REMINDER", 0));
    Click("ID_BUTTON_NEXT_MONTH");
    EXPECT_EQ(0, frame->GetStatisticsPane()->GetBirthdayMonth()) << "December on to January";
    Click("ID_BUTTON_NEXT_MONTH");
    EXPECT_EQ(0, List("ID_LISTCTRL_REMINDER")->GetItemCount());
    Click("ID_BUTTON_CUR_MONTH");
    EXPECT_EQ(current, frame->GetStatisticsPane()->GetBirthdayMonth());

    // A new page does not refill the list.
    Click("ID_BUTTON_LAST_MONTH");
    for (int i = 0; i < current; ++i)
        Click("ID_BUTTON_LAST_MONTH");
    long before = List("ID_LISTCTRL_REMINDER")->GetItemCount();
    Click("ID_BUTTON_NEXTPAGE");
    EXPECT_EQ(before, List("ID_LISTCTRL_REMINDER")->GetItemCount());
}

TEST_F(StatisticsPanelTest, TagPageCountsEveryTag)
{
    int used = AddTag("Used", 1);
    AddTag("Unused", 2);
    int a = AddContact({"A", "A", "A", "A", 1, ""});
    int b = AddContact({"B", "B", "B", "B", 1, ""});
    Link(a, used);
    Link(b, used);
    OpenFrame();
    wxListCtrl* list = List("ID_LISTCTRL_TAGSTAT");
    ASSERT_EQ(2, list->GetItemCount());
    for (long row = 0; row < 2; ++row)
    {
        wxString expected = list->GetItemText(row) == "Used" ? "2" : "0";
        EXPECT_EQ(expected, list->GetItemText(row, 1)) << list->GetItemText(row);
    }
    // Rows are inserted at the top: the first enumerated tag ends last and
    // is not coloured; the second is.
    EXPECT_NE(wxColour(231, 223, 221), list->GetItemBackgroundColour(1));
    EXPECT_EQ(wxColour(231, 223, 221), list->GetItemBackgroundColour(0));

    AddTag("Later", 3);
    Click("ID_BUTTON_TAG_REFRESH");
    EXPECT_EQ(3, list->GetItemCount());
}

TEST_F(StatisticsPanelTest, RecentContactsShowTheNewestFirst)
{
    int id = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    wxDateTime now = wxDateTime::Now();
    AddHistory(id, now - wxDateSpan::Days(2), "Call");
    AddHistory(id, now - wxDateSpan::Days(1), "Mail");
    AddHistory(id, now - wxDateSpan::Days(20), "Lunch");
    AddHistory(id, now - wxDateSpan::Days(100), "Visit");
    OpenFrame();
    EXPECT_EQ((std::vector<wxString>{"Mail", "Call"}), Column("ID_LISTCTRL_RECNENT", 2)) << "7 days at start";
    EXPECT_EQ("Li Wei", List("ID_LISTCTRL_RECNENT")->GetItemText(0));
    EXPECT_EQ((now - wxDateSpan::Days(1)).Format("%Y/%m/%d"), List("ID_LISTCTRL_RECNENT")->GetItemText(0, 1));
    Click("ID_BUTTON_ONE_MONTH");
    EXPECT_EQ((std::vector<wxString>{"Mail", "Call", "Lunch"}), Column("ID_LISTCTRL_RECNENT", 2));
    Click("ID_BUTTON_SIX_MONTH");
    EXPECT_EQ(4, List("ID_LISTCTRL_RECNENT")->GetItemCount());
    Click("ID_BUTTON_WEEK");
    EXPECT_EQ(2, List("ID_LISTCTRL_RECNENT")->GetItemCount());
}

TEST_F(StatisticsPanelTest, NoRecentHistoryLeavesTheListEmpty)
{
    int id = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    AddHistory(id, wxDateTime::Now() - wxDateSpan::Days(30), "Old");
    OpenFrame();
    EXPECT_EQ(0, List("ID_LISTCTRL_RECNENT")->GetItemCount());
}

TEST_F(StatisticsPanelTest, PagesWaitForTheFirstPaintAndShowEveryRecentRowNewestFirst)
{
    int id = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    const wxDateTime start = wxDateTime::Now() - wxDateSpan::Days(5);
    {
        wxSQLite3Database db;
        db.Open(dir.DbPath());
        db.Begin();
        for (int i = 0; i < 3000; ++i)
            db.ExecuteUpdate(wxString::Format("INSERT INTO contact_history(his_time, contact_id, his_type, comment) "
                                              "VALUES('%s', %d, 0, 'C%04d')",
                                              FormatDbTime(start + wxTimeSpan::Minutes(i)), id, i));
        db.Commit();
    }
    frame = new CorvalaFrame(nullptr, wxID_ANY);
    ProcessPending();
    EXPECT_FALSE(frame->GetStatisticsPane()->IsFilled());
    EXPECT_EQ(0, List("ID_LISTCTRL_RECNENT")->GetItemCount()) << "nothing is filled before the window is painted";
    EXPECT_EQ(0, List("ID_LISTCTRL_STATUS")->GetItemCount());

    frame->Show();
    ASSERT_TRUE(WaitFor([this] { return frame->GetStatisticsPane()->IsFilled(); }));
    wxListCtrl* recent = List("ID_LISTCTRL_RECNENT");
    ASSERT_EQ(3000, recent->GetItemCount());
    EXPECT_EQ("C2999", recent->GetItemText(0, 2)) << "the newest first";
    EXPECT_EQ("C0000", recent->GetItemText(2999, 2));
    EXPECT_EQ("Li Wei", recent->GetItemText(1500));
    EXPECT_EQ((start + wxTimeSpan::Minutes(1499)).Format("%Y/%m/%d"), recent->GetItemText(1500, 1));
    // The oldest entry is the first of the answer: shaded, and every other
    // one from there.
    EXPECT_EQ(wxColour(231, 223, 221), recent->GetItemBackgroundColour(2999));
    EXPECT_NE(wxColour(231, 223, 221), recent->GetItemBackgroundColour(2998));
    EXPECT_EQ(wxColour(231, 223, 221), recent->GetItemBackgroundColour(1));
    EXPECT_EQ(6, List("ID_LISTCTRL_STATUS")->GetItemCount());

    Click("ID_BUTTON_WEEK");
    EXPECT_EQ(3000, recent->GetItemCount()) << "filled again, not added to";
}

TEST_F(StatisticsPanelTest, ALongFillDropsCommandsAndClosingButNotAfterwards)
{
    OpenFrame();
    int clicks = 0;
    Child<wxButton>("ID_BUTTON_REFRESH")
        ->Bind(wxEVT_BUTTON,
               [&clicks](wxCommandEvent& event)
               {
                   ++clicks;
                   event.Skip();
               });
    {
        LongLoad load;
        wxMilliSleep(70);
        for (int row = 0; row < 64; ++row)
            load.Tick();
        EXPECT_TRUE(LongLoad::Running());
        EXPECT_TRUE(wxIsBusy()) << "the wait cursor shows";
        Click("ID_BUTTON_REFRESH");
        EXPECT_EQ(0, clicks) << "a click while the list is read does nothing";
        EXPECT_FALSE(frame->Close()) << "the window cannot close under the query";
        EXPECT_TRUE(frame->IsEnabled()) << "nothing turns grey";
    }
    EXPECT_FALSE(LongLoad::Running());
    EXPECT_FALSE(wxIsBusy());
    Click("ID_BUTTON_REFRESH");
    EXPECT_EQ(1, clicks);
}

TEST_F(StatisticsPanelTest, ARangeChosenBeforeTheFirstFillIsKept)
{
    int id = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    wxDateTime now = wxDateTime::Now();
    AddHistory(id, now - wxDateSpan::Days(2), "Call");
    AddHistory(id, now - wxDateSpan::Days(20), "Lunch");
    frame = new CorvalaFrame(nullptr, wxID_ANY);
    frame->GetStatisticsPane()->RefreshRecentContacts(30);
    frame->Show();
    ASSERT_TRUE(WaitFor([this] { return frame->GetStatisticsPane()->IsFilled(); }));
    EXPECT_EQ((std::vector<wxString>{"Call", "Lunch"}), Column("ID_LISTCTRL_RECNENT", 2))
        << "the start-up fill does not put the week back";
    EXPECT_EQ(6, List("ID_LISTCTRL_STATUS")->GetItemCount()) << "the other pages are filled";
}
