// The history list of one contact and history writes.
#include <gtest/gtest.h>

#include <wx/wxsqlite3.h>

#include <algorithm>

#include "storage/ContactInfoEx.h"
#include "storage/Database.h"
#include "storage/HistoryManager.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class HistoryTest : public CorvalaTest
{
protected:
    HistoryTest() : observer("h", log)
    {
        manager.SetObserver(&observer);
        contact.id = SeedContact(dir, "Baker");
        other = SeedContact(dir, "Cole");
    }

    std::vector<std::string> log;
    LoggingObserver observer;
    HistoryManager manager;
    ContactInfoEx contact;
    int other;
};
} // namespace

TEST_F(HistoryTest, LoadsOneContactsEntriesInTimeOrder)
{
    dir.Exec(wxString::Format("insert into contact_history (his_time, contact_id, his_type, comment) values "
                              "('2021-05-01 10:00:00', %d, 0, 'later'), ('2020-01-01 09:00:00', %d, 2, 'first'),"
                              "('2021-05-01 10:00:00', %d, 0, 'later too'), ('2019-01-01 00:00:00', %d, 0, 'other'),"
                              "(NULL, %d, NULL, NULL);",
                              contact.id, contact.id, contact.id, other, contact.id));
    manager.Load();
    EXPECT_TRUE(manager.GetHistoryList().IsEmpty()) << "no current contact: nothing loads";

    manager.SetCurrentContact(&contact);
    manager.Load();
    HistoryInfoArray& list = manager.GetHistoryList();
    ASSERT_EQ(list.GetCount(), 4u);
    EXPECT_FALSE(list[0]->his_time.IsValid()) << "NULL time sorts first and reads invalid";
    EXPECT_EQ(list[0]->comment, "");
    EXPECT_EQ(list[1]->comment, "first");
    EXPECT_EQ(list[1]->his_type, 2);
    EXPECT_EQ(list[1]->his_time, wxDateTime(1, wxDateTime::Jan, 2020, 9, 0, 0));
    EXPECT_EQ(list[2]->comment, "later") << "equal times keep the database order";
    EXPECT_EQ(list[3]->comment, "later too");
    EXPECT_EQ(list[1]->contact_name, "") << "never loaded";

    manager.SetCurrentHistory(list[1]);
    manager.SetCurrentContact(nullptr);
    manager.Load();
    EXPECT_EQ(manager.GetHistoryList().GetCount(), 4u) << "a load without contact keeps the list";
    EXPECT_NE(manager.GetCurrentHistory(), nullptr);

    manager.SetCurrentContact(&contact);
    manager.Load();
    EXPECT_EQ(manager.GetCurrentHistory(), nullptr) << "the current entry went with the old list";
    manager.SetCurrentHistory(manager.GetHistoryList()[0]);
    manager.Clear();
    EXPECT_EQ(manager.GetCurrentHistory(), nullptr);
    EXPECT_TRUE(log.empty()) << "loads never notify";
}

TEST_F(HistoryTest, InsertUpdateAndDeleteNotifyOnceAndTouchOnlyTheirColumns)
{
    HistoryInfo entry;
    entry.id = -1;
    entry.contact_id = contact.id;
    entry.his_time = wxDateTime(3, wxDateTime::Mar, 2022, 14, 30, 0);
    entry.comment = "Call about 'the' offer";
    entry.his_type = 4;
    manager.Insert(&entry);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(dir.Scalar("select his_time || '|' || contact_id || '|' || his_type || '|' || comment from "
                         "contact_history;"),
              wxString::Format("2022-03-03 14:30:00|%d|4|Call about 'the' offer", contact.id));

    manager.SetCurrentContact(&contact);
    manager.Load();
    HistoryInfo changed(*manager.GetHistoryList()[0]);
    changed.comment = "Changed";
    changed.contact_id = other;
    changed.his_type = 9;
    changed.his_time = wxDateTime(4, wxDateTime::Mar, 2022, 8, 0, 0);
    EXPECT_EQ(manager.Update(&changed), 1);
    EXPECT_EQ(dir.Scalar("select his_time || '|' || contact_id || '|' || his_type || '|' || comment from "
                         "contact_history;"),
              wxString::Format("2022-03-04 08:00:00|%d|4|Changed", contact.id))
        << "contact and type never change";

    EXPECT_EQ(manager.Delete(&changed), 1);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_history;"), 0);
    EXPECT_EQ(log.size(), 3u);
}

// Another program (the second connection) changes or removes an entry while
// it is edited here: no change of either side is lost without a word.
TEST_F(HistoryTest, AnEntryChangedElsewhereIsMergedOrRefusedNeverOverwritten)
{
    dir.Exec(wxString::Format("insert into contact_history (his_time, contact_id, his_type, comment) values "
                              "('2022-03-03 14:30:00', %d, 0, 'Call'), ('2022-04-01 09:00:00', %d, 0, 'Visit');",
                              contact.id, contact.id));
    manager.SetCurrentContact(&contact);
    manager.Load();
    ASSERT_EQ(manager.GetHistoryList().GetCount(), 2u);
    HistoryInfo call(*manager.GetHistoryList()[0]);
    HistoryInfo visit(*manager.GetHistoryList()[1]);
    const wxString both = "select group_concat(his_time || '|' || comment, ';') from "
                          "(select his_time, comment from contact_history order by id)";

    // Different fields: both changes are kept.
    dir.Exec("update contact_history set comment = 'Call back' where comment = 'Call';");
    call.his_time = wxDateTime(5, wxDateTime::Mar, 2022, 8, 0, 0);
    EXPECT_EQ(manager.Update(&call), 1);
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(dir.Scalar(both), "2022-03-05 08:00:00|Call back;2022-04-01 09:00:00|Visit");

    // The same field changed differently: the other program's value stays.
    dir.Exec("update contact_history set comment = 'Visit moved' where comment = 'Visit';");
    HistoryInfo stale(visit);
    visit.comment = "Visit done";
    EXPECT_EQ(manager.Update(&visit), 0);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].Find("another program"), wxNOT_FOUND) << errors.messages[0];
    EXPECT_EQ(dir.Scalar(both), "2022-03-05 08:00:00|Call back;2022-04-01 09:00:00|Visit moved");

    // A delete of an entry changed since it was shown asks again.
    EXPECT_EQ(manager.Delete(&stale), 0);
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_history;"), 2);

    // An edit of an entry removed elsewhere is reported, and not stored anew.
    dir.Exec("delete from contact_history where comment = 'Visit moved';");
    stale.comment = "Edited";
    EXPECT_EQ(manager.Update(&stale), 0);
    EXPECT_EQ(errors.messages.size(), 3u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_history;"), 1);

    // A lock held by another program: one message, nothing written.
    Database::SetBusyTimeout(50);
    {
        wxSQLite3Database other;
        other.Open(dir.DbPath());
        other.ExecuteUpdate("BEGIN EXCLUSIVE;");
        call.comment = "Locked out";
        EXPECT_EQ(manager.Update(&call), 0);
        EXPECT_EQ(errors.messages.size(), 4u);
        other.ExecuteUpdate("COMMIT;");
    }
    Database::SetBusyTimeout(2000);
    EXPECT_EQ(dir.Scalar(both), "2022-03-05 08:00:00|Call back");
    EXPECT_EQ(std::count(log.begin(), log.end(), "h:history"), 5) << "the list reloads after each write or refusal";
}
