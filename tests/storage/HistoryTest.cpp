// The history list of one contact and history writes.
#include <gtest/gtest.h>

#include "storage/ContactInfoEx.h"
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
