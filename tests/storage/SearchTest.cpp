// Search statements, the condition's change rules and paging.
#include <gtest/gtest.h>

#include "storage/ContactManager.h"
#include "storage/StorageHooks.h"
#include "tests/storage/FaultyDisk.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
wxString SelectHead()
{
    const char* columns[] = {"id",
                             "last_name",
                             "last_name_alpha",
                             "first_name",
                             "first_name_alpha",
                             "sex",
                             "birthday",
                             "company",
                             "department",
                             "job_title",
                             "business_fax",
                             "business_fax_2",
                             "business_phone",
                             "business_phone_2",
                             "business_mobile",
                             "business_mobile_2",
                             "business_street",
                             "business_street_2",
                             "business_street_3",
                             "business_im",
                             "business_im_2",
                             "business_im_3",
                             "home_fax",
                             "home_fax_2",
                             "home_phone",
                             "home_phone_2",
                             "home_mobile",
                             "home_mobile_2",
                             "home_street",
                             "home_street_2",
                             "home_street_3",
                             "home_im",
                             "home_im_2",
                             "home_im_3",
                             "email",
                             "email_2",
                             "webpage",
                             "webpage_2",
                             "comment",
                             "latest_update_time",
                             "latest_update_user_id",
                             "entry_time",
                             "entry_user_id"};
    wxString head = "select ";
    for (size_t i = 0; i < 43; ++i)
        head += wxString(i ? ", " : "") + "\t\t\t\t\t\t\t" + columns[i];
    return head + wxString(' ', 30);
}

SearchCondition Condition(int tag, const wxString& alphabet, const wxString& keyword, int page)
{
    SearchCondition c;
    c.tagId = tag;
    c.alphabet = alphabet;
    c.keyword = keyword;
    c.pageIndex = page;
    return c;
}

class SearchTest : public CorvalaTest
{
protected:
    ContactManager manager;
};
} // namespace

TEST_F(SearchTest, BuildsTheExactCountAndPageStatements)
{
    EXPECT_EQ(manager.BuildCountStatement(), "select count(id)  from contacts ;");
    EXPECT_EQ(manager.BuildPageStatement(),
              SelectHead() + " from contacts  order by last_name_alpha DESC  limit 0, 50;");

    manager.SetCondition(Condition(-1, "L", "", 1));
    EXPECT_EQ(manager.BuildCountStatement(), "select count(id)  from contacts  where last_name_alpha like 'L%';");

    manager.SetCondition(Condition(-1, "L", "an", 1));
    EXPECT_EQ(
        manager.BuildCountStatement(),
        "select count(id)  from contacts  where last_name_alpha like 'L%' and first_name like '%an%' escape '\\';");

    manager.SetCondition(Condition(-1, "", "an", 2));
    EXPECT_EQ(manager.BuildCountStatement(),
              "select count(id)  from contacts  where first_name like '%an%' escape '\\';");
    EXPECT_EQ(manager.BuildPageStatement(), SelectHead() +
                                                " from contacts  where first_name like '%an%' escape '\\' order by "
                                                "last_name_alpha DESC  limit 50, 50;");

    manager.SetCondition(Condition(3, "L", "an", 2));
    const wxString tagFilter = ", contact_tag.tag_id as tag_id from contacts, contact_tag \t\t\t\t\twhere "
                               "contact_tag.contact_id=id and contact_tag.tag_id=3 and last_name_alpha like 'L%' "
                               "and first_name like '%an%' escape '\\'";
    EXPECT_EQ(manager.BuildCountStatement(), "select count(id) " + tagFilter + ";");
    EXPECT_EQ(manager.BuildPageStatement(), SelectHead() + tagFilter + " order by last_name_alpha DESC  limit 50, 50;");

    manager.SetCondition(Condition(7, "", "", 1));
    EXPECT_EQ(manager.BuildCountStatement(),
              "select count(id) , contact_tag.tag_id as tag_id from contacts, contact_tag \t\t\t\t\twhere "
              "contact_tag.contact_id=id and contact_tag.tag_id=7;");
}

TEST_F(SearchTest, SetConditionDecidesTheChangedFlagAnewOnEveryCall)
{
    EXPECT_TRUE(manager.condition.changed) << "a new manager must search the first time";

    manager.SetCondition(Condition(-1, "", "", 1));
    EXPECT_FALSE(manager.condition.changed) << "same tag resets the flag, nothing else differs";

    manager.SetCondition(Condition(-1, "a", "", 1));
    EXPECT_TRUE(manager.condition.changed);
    manager.SetCondition(Condition(-1, "A", "", 1));
    EXPECT_FALSE(manager.condition.changed) << "a letter-case change is not a change";
    EXPECT_EQ(manager.condition.alphabet, "a") << "and is not taken over";

    manager.SetCondition(Condition(-1, "a", "Bo", 1));
    EXPECT_TRUE(manager.condition.changed);
    manager.SetCondition(Condition(-1, "a", "bo", 1));
    EXPECT_FALSE(manager.condition.changed);

    manager.SetCondition(Condition(-1, "a", "bo", 3));
    EXPECT_TRUE(manager.condition.changed);
    EXPECT_EQ(manager.condition.pageIndex, 3);

    manager.SetCondition(Condition(5, "a", "bo", 3));
    EXPECT_TRUE(manager.condition.changed);
    EXPECT_EQ(manager.condition.tagId, 5);

    SearchCondition bigPages = Condition(5, "a", "bo", 3);
    bigPages.pageSize = 500;
    manager.SetCondition(bigPages);
    EXPECT_EQ(manager.condition.pageSize, 50) << "the page size is never taken over";
}

TEST_F(SearchTest, LoadsPagesInDescendingOrderWithTagsAndHistoryCounts)
{
    SeedContacts(dir, 120);
    const int last = dir.ScalarInt("select id from contacts where last_name_alpha = 'N0119';");
    dir.Exec(wxString::Format("insert into contact_tag values (%d, 4); insert into contact_tag values (%d, 2);"
                              "insert into contact_tag values (%d, 9);",
                              last, last, last));
    dir.Exec(wxString::Format("insert into contact_history (his_time, contact_id, his_type, comment) values "
                              "('2020-01-01 10:00:00', %d, 0, 'a'), ('2020-01-02 10:00:00', %d, 0, 'b');",
                              last, last));

    manager.Search();
    EXPECT_EQ(manager.totalCount, 120);
    ASSERT_EQ(manager.contactList.GetCount(), 50u);
    EXPECT_EQ(manager.contactList[0]->last_name_alpha, "N0119");
    EXPECT_EQ(manager.contactList[49]->last_name_alpha, "N0070");
    EXPECT_EQ(manager.currentContact, manager.contactList[0]);
    ASSERT_EQ(manager.contactList[0]->tagIds.GetCount(), 3u);
    EXPECT_EQ(manager.contactList[0]->tagIds[0], 4);
    EXPECT_EQ(manager.contactList[0]->tagIds[2], 9);
    EXPECT_EQ(manager.contactList[0]->historyCount, 2);
    EXPECT_TRUE(manager.contactList[1]->tagIds.IsEmpty());
    EXPECT_EQ(manager.contactList[1]->historyCount, 0);

    // While the next page is read, the window may paint the page it shows:
    // those records stay whole until every statement has run.
    ContactInfoEx* shown = manager.contactList[0];
    int calls = 0;
    {
        ScopedStatementProgress progress(
            [&]
            {
                ++calls;
                ASSERT_EQ(manager.contactList.GetCount(), 50u);
                EXPECT_EQ(manager.contactList[0], shown);
                EXPECT_EQ(shown->last_name_alpha, "N0119");
            });
        manager.SetCondition(Condition(-1, "", "", 3));
        manager.Search();
    }
    EXPECT_GT(calls, 0) << "a search of 120 contacts runs thousands of steps";
    ASSERT_EQ(manager.contactList.GetCount(), 20u);
    manager.SetCondition(Condition(-1, "", "", 2));
    manager.Search();
    const int before = calls;
    manager.SetCondition(Condition(-1, "", "", 3));
    manager.Search();
    EXPECT_EQ(calls, before) << "nothing is called once the scope has ended";
    EXPECT_EQ(manager.contactList[19]->last_name_alpha, "N0000");

    manager.SetCondition(Condition(-1, "", "", 4));
    manager.Search();
    EXPECT_TRUE(manager.contactList.IsEmpty()) << "a page beyond the last is empty";
    EXPECT_EQ(manager.currentContact, nullptr);
    EXPECT_EQ(manager.totalCount, 120) << "but the count stays true";

    manager.SetCondition(Condition(4, "", "", 1));
    manager.Search();
    EXPECT_EQ(manager.totalCount, 1);
    ASSERT_EQ(manager.contactList.GetCount(), 1u);
    EXPECT_EQ(manager.contactList[0]->id, last);

    // The whole book read past the pages (an export): every contact in page
    // order, the tags of each, the shown page and its condition untouched.
    ContactInfoEx* page = manager.contactList[0];
    std::vector<wxString> read;
    wxArrayInt lastTags;
    EXPECT_EQ(manager.ForEachMatching(Condition(-1, "", "", 2), true,
                                      [&](ContactInfoEx& c)
                                      {
                                          read.push_back(c.last_name_alpha);
                                          if (c.id == last)
                                              lastTags = c.tagIds;
                                      }),
              120);
    ASSERT_EQ(read.size(), 120u) << "all pages, whatever page the filter names";
    EXPECT_EQ(read.front(), "N0119");
    EXPECT_EQ(read.back(), "N0000");
    EXPECT_EQ(lastTags.GetCount(), 3u);
    EXPECT_EQ(manager.contactList[0], page);
    EXPECT_EQ(manager.condition.tagId, 4);
    EXPECT_EQ(manager.ForEachMatching(Condition(4, "", "", 1), false,
                                      [&](ContactInfoEx& c)
                                      { EXPECT_TRUE(c.tagIds.IsEmpty()) << "no tags when none are asked for"; }),
              1);
    EXPECT_EQ(manager.CountAll(), 120);
    dir.Exec("drop table contact_tag;");
    EXPECT_EQ(manager.ForEachMatching(Condition(-1, "", "", 1), true, [](ContactInfoEx&) {}), -1)
        << "a failed read says so instead of handing over a book without tags";
}

TEST_F(SearchTest, EachActionOpensTheDatabaseOnceAndLeavesItClosed)
{
    SeedContacts(dir, 60);
    dir.Exec("insert into contact_tag select id, 1 from contacts;"
             "insert into contact_history (his_time, contact_id, his_type, comment) "
             "select '2020-01-01 00:00:00', id, 0, 'met' from contacts;");
    FaultyDisk disk;
    manager.Search();
    ASSERT_EQ(manager.contactList.GetCount(), 50u);
    EXPECT_EQ(manager.contactList[0]->historyCount, 1);
    EXPECT_EQ(disk.DatabaseOpens(), 1) << "count, page and 100 look-ups on one connection";
    EXPECT_EQ(disk.OpenDatabases(), 0) << "closed once the search is done, so other programs may write";

    manager.GetStatistics();
    EXPECT_EQ(manager.statistics.total, 60);
    EXPECT_EQ(disk.DatabaseOpens(), 2);

    ContactInfoEx a, b;
    a.last_name = "A";
    a.tagIds.Add(2);
    ContactArray fresh;
    fresh.Add(&a);
    fresh.Add(&b);
    EXPECT_TRUE(manager.InsertContacts(fresh));
    EXPECT_EQ(manager.totalCount, 62) << "the reload after the batch";
    EXPECT_EQ(disk.DatabaseOpens(), 3) << "the batch and the reload on one connection";
    EXPECT_EQ(disk.OpenDatabases(), 0);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(SearchTest, SearchRunsItsQueriesOnlyWhenTheConditionChanged)
{
    std::vector<std::string> log;
    LoggingObserver observer("o", log);
    manager.AddObserver(&observer);
    SeedContacts(dir, 3);
    manager.Search();
    EXPECT_EQ(manager.totalCount, 3);
    SeedContacts(dir, 2);
    manager.Search();
    EXPECT_EQ(manager.totalCount, 3) << "the second search must not query";
    EXPECT_EQ(manager.contactList.GetCount(), 3u);
    EXPECT_EQ(log.size(), 2u) << "but it notifies every time";
}

TEST_F(SearchTest, LikePatternsKeepApostrophesAndWildcards)
{
    SeedContact(dir, "O'Neill", "Sean");
    SeedContact(dir, "Oneida", "Mary");
    SeedContact(dir, "Baker", "");
    SeedContact(dir, "Bond", "50%_off");

    manager.SetCondition(Condition(-1, "O'N", "", 1));
    manager.Search();
    ASSERT_EQ(manager.contactList.GetCount(), 1u);
    EXPECT_EQ(manager.contactList[0]->last_name_alpha, "O'Neill");
    EXPECT_TRUE(errors.messages.empty()) << "an apostrophe must not break the statement";

    manager.SetCondition(Condition(-1, "", "%", 1));
    manager.Search();
    EXPECT_EQ(manager.totalCount, 1) << "a % is matched as typed, not as a wildcard";

    manager.SetCondition(Condition(-1, "", "_", 1));
    manager.Search();
    EXPECT_EQ(manager.totalCount, 1) << "so is a _";

    manager.SetCondition(Condition(-1, "", "0%_", 1));
    manager.Search();
    EXPECT_EQ(manager.totalCount, 1);
    manager.SetCondition(Condition(-1, "", "\\", 1));
    manager.Search();
    EXPECT_EQ(manager.totalCount, 0) << "the escape character itself is text";
    EXPECT_TRUE(errors.messages.empty());

    manager.SetCondition(Condition(-1, "o", "EA", 1));
    manager.Search();
    EXPECT_EQ(manager.totalCount, 1) << "ASCII letters match ignoring case";

    manager.SetCondition(Condition(-1, "", "Sean'; drop table contacts; --", 1));
    manager.Search();
    EXPECT_EQ(manager.totalCount, 0);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 4) << "user text stays text";
}
