// The search for contacts that are one person, and their merge.
#include <gtest/gtest.h>
#include <wx/wxsqlite3.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/DatabaseIndexes.h"
#include "storage/DuplicateFinder.h"
#include "storage/FindIndex.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class DuplicateTest : public CorvalaTest
{
protected:
    ContactInfoEx* Add(const wxString& last, const wxString& first, const wxString& company = wxString())
    {
        records.emplace_back(new ContactInfoEx());
        ContactInfoEx* contact = records.back().get();
        contact->last_name = contact->last_name_alpha = last;
        contact->first_name = contact->first_name_alpha = first;
        contact->company = company;
        contact->birthday = wxInvalidDateTime;
        return contact;
    }
    void StoreAll()
    {
        ContactArray batch;
        for (auto& record : records)
            batch.Add(record.get());
        ASSERT_TRUE(manager.InsertContacts(batch));
    }
    // The groups as "1,2;3,4,5".
    std::string Groups(const wxString& region = "US")
    {
        DuplicateFinder finder(region);
        std::vector<std::vector<int>> groups;
        EXPECT_TRUE(finder.Find(groups));
        std::string text;
        for (const auto& group : groups)
        {
            if (!text.empty())
                text += ";";
            for (size_t i = 0; i < group.size(); ++i)
                text += (i ? "," : "") + std::to_string(group[i]);
        }
        return text;
    }

    ContactManager manager;
    std::vector<std::unique_ptr<ContactInfoEx>> records;
};
} // namespace

TEST_F(DuplicateTest, GroupsByEMailPhoneUidAndNamesTransitively)
{
    Add("Adler", "Ann")->email = "Ann@Example.com";           // 1
    Add("Bauer", "Ben")->email_2 = " ann@example.COM";        // 2: e-mail, any case, either slot
    Add("Cole", "Cid")->business_phone = "+1 (555) 010-2030"; // 3
    ContactInfoEx* d = Add("Dorn", "Dee");                    // 4: the same number written nationally
    d->home_mobile = "555-010-2030";
    d->email_2 = "dee@x.example";
    Add("Ernst", "Eli")->email = "DEE@x.example";                                 // 5: through 4 to 3
    Add("Falk", "Fay")->keptProperties.Add("UID:urn:uuid:77");                    // 6
    Add("Gold", "Gus")->keptProperties.Add("item1.uid:urn:uuid:77");              // 7
    Add("Lund", "Anna", "Tidewater");                                             // 8
    Add("LUND", "anna", "tidewater ");                                            // 9: names and company
    Add("Lund", "Anna", "Harbor");                                                // 10: another company, no birthday
    Add("Berg", "Eva", "North")->birthday = wxDateTime(5, wxDateTime::May, 1980); // 11
    Add("Berg", "Eva", "South")->birthday = wxDateTime(5, wxDateTime::May, 1980); // 12: names and birthday
    Add("Hahn", "Hal")->home_phone = "12";                                        // 13: too short a number
    Add("Ide", "Ivy")->business_fax = "12";                                       // 14
    ContactInfoEx* kana = Add("Yamada", "Taro", "ABC");                           // 15: alphabet names
    kana->last_name = wxString::FromUTF8("山田");
    ContactInfoEx* other = Add("yamada", "taro", "abc"); // 16
    other->last_name = wxString::FromUTF8("山田太");
    StoreAll();
    EXPECT_EQ(Groups(), "1,2;3,4,5;6,7;8,9;11,12;15,16");
    EXPECT_EQ(Groups("DE"), "1,2;4,5;6,7;8,9;11,12;15,16") << "without a country code 555 is a German number";

    const DuplicateFinder us("US"), de("de"), unknown("XX");
    EXPECT_EQ(us.PhoneKey("+1 (555) 010-2030"), "+15550102030");
    EXPECT_EQ(us.PhoneKey("555.010.2030"), "+15550102030");
    EXPECT_EQ(de.PhoneKey("030 1234567"), de.PhoneKey("+49 30 1234567"));
    EXPECT_NE(us.PhoneKey("555 010 2030 ext. 12"), us.PhoneKey("555 010 2030 ext. 13"));
    EXPECT_EQ(us.PhoneKey("12"), "");
    EXPECT_EQ(unknown.Region(), "US");

    const char* saved[] = {std::getenv("LC_ALL"), std::getenv("LC_TELEPHONE"), std::getenv("LANG")};
    const std::string keep[] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
    unsetenv("LC_ALL");
    unsetenv("LC_TELEPHONE");
    setenv("LANG", "de_AT.UTF-8@euro", 1);
    EXPECT_EQ(DuplicateFinder::LocaleRegion(), "AT");
    setenv("LC_ALL", "fr_CA", 1);
    EXPECT_EQ(DuplicateFinder::LocaleRegion(), "CA");
    EXPECT_EQ(DuplicateFinder().Region(), "CA");
    const char* names[] = {"LC_ALL", "LC_TELEPHONE", "LANG"};
    for (int i = 0; i < 3; ++i)
    {
        if (saved[i])
            setenv(names[i], keep[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(DuplicateTest, DismissedPairsStayDismissedAndTheSearchCanBeStopped)
{
    for (int i = 0; i < 5000; ++i)
        Add(wxString::Format("N%04d", i), "X")->email = wxString::Format("p%d@x.example", i / 2500);
    Add("Solo", "Sam")->email = "sam@x.example";
    Add("Solo", "Sue")->email = "SAM@x.example";
    StoreAll();
    const int sam = records[5000]->id, sue = records[5001]->id;
    {
        DuplicateFinder finder("US");
        EXPECT_TRUE(finder.Dismiss({sam, sue}));
        // Stopped at the first look: no groups, and false.
        std::vector<std::vector<int>> groups;
        int calls = 0, lastTotal = 0;
        EXPECT_FALSE(finder.Find(groups,
                                 [&](int, int total)
                                 {
                                     lastTotal = total;
                                     return ++calls < 2;
                                 }));
        EXPECT_TRUE(groups.empty());
        EXPECT_EQ(lastTotal, 5002);
    }
    // Another manager, as after a new start: the pair is still dismissed.
    ContactManager again;
    DuplicateFinder finder("US");
    std::vector<std::vector<int>> groups;
    int last = 0;
    ASSERT_TRUE(finder.Find(groups, [&last](int done, int) { return (last = done), true; }));
    EXPECT_EQ(last, 5002);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].size() + groups[1].size(), 5000u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from duplicate_dismissed;"), 1);

    // A deleted contact's pairs go with it.
    ContactArray gone;
    gone.Add(records[5001].get());
    manager.Search();
    ASSERT_TRUE(manager.DeleteContacts(gone));
    EXPECT_EQ(dir.ScalarInt("select count(*) from duplicate_dismissed;"), 0);

    // A book made before the table gets it at start-up.
    dir.Exec("drop table duplicate_dismissed;");
    AddMissingIndexes();
    EXPECT_EQ(dir.ScalarInt("select count(*) from sqlite_master where name = 'duplicate_dismissed';"), 1);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(DuplicateTest, MergeKeepsEveryValueOrNothing)
{
    ContactInfoEx* kept = Add("Lund", "Anna", "Tidewater");
    kept->business_phone = "+1 555 010 2030";
    kept->business_phone_2 = "+1 555 010 9999";
    kept->email = "anna@tide.example";
    kept->comment = "Met at the fair";
    kept->home_street = "1 Main St";
    kept->keptProperties.Add("UID:urn:uuid:1");
    ContactInfoEx* other = Add("Lund", "Anna", "Tidewater Ltd");
    other->business_phone = "(555) 010-2030";
    other->business_phone_2 = "555 010 7777";
    other->email = "ANNA@tide.example";
    other->email_2 = "anna.lund@home.example";
    other->comment = "Likes tea; green";
    other->home_street = "2 Side St, Apt 4";
    other->webpage = "lund.example";
    other->birthday = wxDateTime(3, wxDateTime::Mar, 1975);
    other->keptProperties.Add("NICKNAME:Annie");
    ContactInfoEx* third = Add("Lund", "A.");
    third->home_phone = "555 010 7777";
    StoreAll();
    const int k = kept->id, o = other->id, t = third->id;
    dir.Exec("insert into mst_tags (id, name, display_order) values (1, 'Work', 1), (2, 'Golf', 2);");
    dir.Exec(wxString::Format("insert into contact_tag values (%d, 1), (%d, 1), (%d, 2);", k, o, o));
    dir.Exec(wxString::Format("insert into contact_history (his_time, contact_id, his_type, comment) values "
                              "('2022-01-01 10:00:00', %d, 0, 'Called'), ('2022-02-01 10:00:00', %d, 0, 'Lunch'), "
                              "('2022-03-01 10:00:00', %d, 0, 'Visit');",
                              k, o, t));
    std::vector<std::string> log;
    LoggingObserver observer("c", log);
    manager.AddObserver(&observer);
    const wxString state = "select (select group_concat(id || last_name || ifnull(email_2, '')) from contacts) || "
                           "(select group_concat(contact_id || '-' || tag_id) from contact_tag) || "
                           "(select group_concat(contact_id || comment) from contact_history) || "
                           "(select group_concat(contact_id || line) from contact_properties) || "
                           "(select count(*) from contact_find);";
    const wxString before = dir.Scalar(state);
    const wxString ordered = "select (select group_concat(id || last_name || ifnull(email_2, '') || ifnull(company, "
                             "'')) from (select * from contacts order by id)) || (select group_concat(contact_id || "
                             "'-' || tag_id) from (select * from contact_tag order by contact_id, tag_id)) || "
                             "(select group_concat(contact_id || comment) from (select * from contact_history order "
                             "by id)) || (select group_concat(contact_id || line) from (select * from "
                             "contact_properties order by contact_id, position)) || (select count(*) from "
                             "contact_find);";
    const wxString orderedBefore = dir.Scalar(ordered);

    // Another program holds the file: one message, nothing changed.
    Database::SetBusyTimeout(50);
    {
        wxSQLite3Database lock;
        lock.Open(dir.DbPath());
        lock.ExecuteUpdate("BEGIN EXCLUSIVE;");
        EXPECT_FALSE(manager.MergeContacts(k, {o, t}));
        lock.ExecuteUpdate("COMMIT;");
    }
    Database::SetBusyTimeout(2000);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].Find("3 contacts were not merged"), wxNOT_FOUND) << errors.messages[0];
    EXPECT_FALSE(manager.GetLastBatchError().empty());
    EXPECT_EQ(dir.Scalar(state), before);
    EXPECT_FALSE(manager.MergeContacts(k, {o, 999})) << "a contact that is gone";
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(dir.Scalar(state), before);

    log.clear();
    ASSERT_TRUE(manager.MergeContacts(k, {o, t}));
    EXPECT_FALSE(log.empty()) << "the observers hear of the merge";
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 1);
    const wxString row = wxString::Format("select business_phone || '|' || business_phone_2 || '|' || email || '|' || "
                                          "email_2 || '|' || home_street || '|' || home_street_2 || '|' || "
                                          "home_phone || '|' || webpage || '|' || company || '|' || comment || '|' || "
                                          "substr(birthday, 1, 10) from contacts where id = %d;",
                                          k);
    EXPECT_EQ(dir.Scalar(row), "+1 555 010 2030|+1 555 010 9999|anna@tide.example|anna.lund@home.example|1 Main St|"
                               "2 Side St, Apt 4||lund.example|Tidewater|Met at the fair|1975-03-03");
    EXPECT_EQ(dir.Scalar(wxString::Format(
                  "select group_concat(line, '|') from (select line from contact_properties where contact_id = %d "
                  "order by position);",
                  k)),
              "UID:urn:uuid:1|X-CORVALA-MERGED-COMPANY:Tidewater Ltd|TEL;TYPE=WORK,VOICE:555 010 7777|"
              "NOTE:Likes tea\\; green|NICKNAME:Annie|X-CORVALA-MERGED-FIRST-NAME:A.|"
              "X-CORVALA-MERGED-FIRST-NAME-ALPHABET:A.")
        << "a number already kept as a line is not taken again for another field";
    EXPECT_EQ(dir.Scalar("select group_concat(contact_id || '-' || tag_id) from (select * from contact_tag order by "
                         "tag_id);"),
              wxString::Format("%d-1,%d-2", k, k));
    EXPECT_EQ(dir.ScalarInt(wxString::Format("select count(*) from contact_history where contact_id = %d;", k)), 3);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_history;"), 3);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_properties where contact_id <> " + wxString() << k), 0);

    // The find finds the kept contact by what the others had, and only it.
    Adapter adapter;
    EXPECT_EQ(dir.Scalar(FindIndex::BuildRows(adapter, "anna.lund@home") + ";"), wxString::Format("%d", k));
    EXPECT_EQ(dir.Scalar(FindIndex::BuildRows(adapter, "annie") + ";"), wxString::Format("%d", k));
    EXPECT_EQ(dir.Scalar(FindIndex::BuildRows(adapter, "visit") + ";"), wxString::Format("%d", k));
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_find;"), 1);

    // Undone: the others are back with their own history, and the kept
    // contact is as it was.
    ASSERT_EQ(manager.GetUndoKind(), ContactManager::UNDO_MERGE);
    ASSERT_TRUE(manager.Undo());
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(dir.Scalar(ordered).utf8_string(), orderedBefore.utf8_string());
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 3);
    EXPECT_EQ(dir.Scalar(FindIndex::BuildRows(adapter, "visit") + ";"), wxString::Format("%d", t));
    EXPECT_EQ(
        dir.Scalar(wxString::Format("select company || '|' || ifnull(email_2, '') from contacts where id = %d;", k)),
        "Tidewater|");
}
