// Totals, age bands, tag counts, recent history and birthdays of a month.
#include <gtest/gtest.h>

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class StatisticsTest : public CorvalaTest
{
protected:
    ContactManager manager;
};

void AddHistory(const TempWorkDir& dir, int contact, const wxDateTime& when, const wxString& comment)
{
    dir.Exec(wxString::Format("insert into contact_history (his_time, contact_id, his_type, comment) "
                              "values ('%s', %d, 0, '%s');",
                              FormatDbTime(when), contact, comment));
}
} // namespace

TEST_F(StatisticsTest, EmptyDatabaseGivesZerosAndNoRecentEntries)
{
    const ContactStatistics& s = manager.GetStatistics();
    EXPECT_EQ(s.total + s.male + s.female + s.age30Plus + s.age30Minus, 0);
    RecentContactArray recent;
    manager.GetRecentContacts(7, recent);
    EXPECT_TRUE(recent.IsEmpty());
    EXPECT_EQ(manager.CountTagContacts(3), 0);
}

TEST_F(StatisticsTest, AgeBandsUseAnInclusiveThirtyYearRange)
{
    const wxDateTime now = NowToSecond();
    const wxDateTime thirty = now - wxDateSpan::Years(30);
    SeedContact(dir, "Young", "a", 1, FormatDbTime(now - wxDateSpan::Years(29)));
    SeedContact(dir, "Edge", "b", 0, FormatDbTime(thirty + wxTimeSpan::Minutes(5)));
    SeedContact(dir, "Older", "c", 0, FormatDbTime(thirty - wxDateSpan::Days(1)));
    SeedContact(dir, "Future", "d", 1, FormatDbTime(now + wxDateSpan::Days(3)));
    SeedContact(dir, "Unknown", "e", 1, "");
    SeedContact(dir, "Other", "f", 2, FormatDbTime(now - wxDateSpan::Years(5)));

    const ContactStatistics& s = manager.GetStatistics();
    EXPECT_EQ(s.total, 6);
    EXPECT_EQ(s.male, 3);
    EXPECT_EQ(s.female, 2) << "sex 2 counts in the total only";
    EXPECT_EQ(s.NotStated(), 1);
    EXPECT_EQ(s.age30Minus, 3) << "29 years, 30 years less 5 minutes, 5 years";
    EXPECT_EQ(s.age30Plus, 3) << "older, future and unknown birthdays";

    // Calendar arithmetic of the lower bound: 29 February has no twin.
    EXPECT_EQ(wxDateTime(29, wxDateTime::Feb, 2024, 9, 0, 0) - wxDateSpan::Years(30),
              wxDateTime(28, wxDateTime::Feb, 1994, 9, 0, 0));
}

TEST_F(StatisticsTest, RecentContactsCoverTheLastDaysInTimeOrder)
{
    const int ann = SeedContact(dir, "Baker", "Ann");
    const int bob = SeedContact(dir, "Cole", "Bob");
    const int gone = SeedContact(dir, "Gone", "Guy");
    const wxDateTime now = NowToSecond();
    AddHistory(dir, ann, now - wxDateSpan::Days(7) + wxTimeSpan::Seconds(30), "edge");
    AddHistory(dir, bob, now - wxTimeSpan::Hours(1), "latest");
    AddHistory(dir, ann, now - wxDateSpan::Days(2), "middle");
    AddHistory(dir, ann, now - wxDateSpan::Days(7) - wxTimeSpan::Minutes(1), "too old");
    AddHistory(dir, bob, now + wxTimeSpan::Minutes(2), "future");
    AddHistory(dir, gone, now - wxDateSpan::Days(1), "orphan");
    dir.Exec(wxString::Format("delete from contacts where id=%d;", gone));

    RecentContactArray recent;
    recent.Add(new RecentContact()); // the list is appended to, not cleared
    manager.GetRecentContacts(7, recent);
    ASSERT_EQ(recent.GetCount(), 4u);
    EXPECT_EQ(recent[1]->comment, "edge");
    EXPECT_EQ(recent[1]->name, "Baker Ann");
    EXPECT_EQ(recent[2]->comment, "middle");
    EXPECT_EQ(recent[3]->comment, "latest");
    EXPECT_EQ(recent[3]->his_time, now - wxTimeSpan::Hours(1));

    RecentContactArray longer;
    manager.GetRecentContacts(30, longer);
    EXPECT_EQ(longer.GetCount(), 4u) << "the future entry never appears";
    for (RecentContact* r : recent)
        delete r;
    for (RecentContact* r : longer)
        delete r;
}

TEST_F(StatisticsTest, TagCountsAndBirthdaysOfTheCurrentPageOnly)
{
    const int a = SeedContact(dir, "A", "a", 1, "1990-03-10 00:00:00");
    const int b = SeedContact(dir, "B", "b", 1, "1985-03-31 23:00:00");
    SeedContact(dir, "C", "c", 1, "1985-04-01 00:00:00");
    SeedContact(dir, "D", "d", 1, "");
    dir.Exec(wxString::Format("insert into contact_tag values (%d, 5), (%d, 5), (%d, 6);", a, b, a));
    EXPECT_EQ(manager.CountTagContacts(5), 2);
    EXPECT_EQ(manager.CountTagContacts(6), 1);
    EXPECT_EQ(manager.CountTagContacts(7), 0);

    manager.Search();
    ContactInfoArray& march = manager.GetBirthdayContacts(2);
    ASSERT_EQ(march.GetCount(), 2u);
    EXPECT_EQ(march[0]->last_name_alpha, "B") << "page order";
    EXPECT_EQ(manager.GetBirthdayContacts(3).GetCount(), 1u);
    EXPECT_TRUE(manager.GetBirthdayContacts(11).IsEmpty());

    // Birthdays on other pages do not count.
    SearchCondition c;
    c.alphabet = "D";
    manager.SetCondition(c);
    manager.Search();
    EXPECT_TRUE(manager.birthdayList.IsEmpty()) << "a reload must not leave stale pointers behind";
    EXPECT_TRUE(manager.GetBirthdayContacts(2).IsEmpty());
}
