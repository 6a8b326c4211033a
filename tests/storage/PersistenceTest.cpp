// Inserts, updates and deletes with their link and history rows, the
// observers' order and counts, and what happens to records in memory.
#include <gtest/gtest.h>

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/StorageHooks.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class PersistenceTest : public CorvalaTest
{
protected:
    PersistenceTest() : first("first", log), second("second", log)
    {
        manager.AddObserver(&first);
        manager.AddObserver(&second);
    }

    int Count(const wxString& sql) const
    {
        return dir.ScalarInt(sql);
    }

    std::vector<std::string> log;
    LoggingObserver first, second;
    ContactManager manager;
};

using Log = std::vector<std::string>;
} // namespace

TEST_F(PersistenceTest, InsertStoresEveryFieldLinksTagsAndNotifiesTwice)
{
    SeedContact(dir, "Older");
    ContactInfoEx contact;
    contact.last_name = "Li";
    contact.last_name_alpha = "Li";
    contact.first_name = "Wei";
    contact.company = "Smith & <Sons>";
    contact.webpage_2 = "https://example.com";
    contact.comment = "line\\nbreak";
    contact.business_street_3 = wxString::FromUTF8("人民路 56号");
    // Plain texts up to the quick bind's buffer, one that ends outside
    // ASCII, and a longer one.
    contact.department = wxString('d', 255);
    contact.job_title = wxString('t', 254) + wxString::FromUTF8("é");
    contact.home_street = wxString('s', 300);
    contact.tagIds.Add(2);
    contact.tagIds.Add(5);
    contact.entry_time = wxDateTime(1, wxDateTime::Jan, 2001);
    contact.latest_update_time = wxDateTime(1, wxDateTime::Jan, 2001);

    manager.Insert(&contact);
    EXPECT_EQ(log, (Log{"first", "second", "first", "second"}));
    const int id = Count("select max(id) from contacts;");
    EXPECT_EQ(contact.id, id) << "the record gets the new row's id";
    EXPECT_EQ(Count(wxString::Format("select count(*) from contact_tag where contact_id=%d;", id)), 2);
    EXPECT_EQ(dir.Scalar(wxString::Format("select company from contacts where id=%d;", id)), "Smith & <Sons>");
    EXPECT_EQ(dir.Scalar(wxString::Format("select business_street_3 from contacts where id=%d;", id)),
              wxString::FromUTF8("人民路 56号"));
    EXPECT_EQ(dir.Scalar(wxString::Format("select department from contacts where id=%d;", id)), contact.department);
    EXPECT_EQ(dir.Scalar(wxString::Format("select job_title from contacts where id=%d;", id)), contact.job_title);
    EXPECT_EQ(dir.Scalar(wxString::Format("select home_street from contacts where id=%d;", id)), contact.home_street);
    EXPECT_EQ(dir.Scalar(wxString::Format("select email from contacts where id=%d;", id)), "")
        << "empty text is stored as '' not NULL";
    EXPECT_EQ(Count(wxString::Format("select count(*) from contacts where id=%d and email is null;", id)), 0);
    EXPECT_EQ(dir.Scalar(wxString::Format("select sex from contacts where id=%d;", id)), "1");
    const wxString entry = dir.Scalar(wxString::Format("select entry_time from contacts where id=%d;", id));
    EXPECT_NE(entry, "2001-01-01 00:00:00") << "the insert writes the current time, not the record's";
    EXPECT_EQ(entry, dir.Scalar(wxString::Format("select latest_update_time from contacts where id=%d;", id)));
    EXPECT_TRUE(ParseDbTime(entry).IsValid());
    EXPECT_EQ(contact.entry_time, wxDateTime(1, wxDateTime::Jan, 2001)) << "the record itself is not changed";

    ASSERT_EQ(manager.contactList.GetCount(), 2u) << "the page is reloaded";
    EXPECT_EQ(manager.contactList.Index(&contact), wxNOT_FOUND) << "the caller keeps its record";
}

TEST_F(PersistenceTest, AFailedInsertKeepsIdMinusOneAndLinksNothing)
{
    const int other = SeedContact(dir, "Someone");
    dir.Exec("create trigger refuse before insert on contacts begin select raise(abort, 'refused'); end;");
    ContactInfoEx copy;
    copy.id = other; // a copy still carries its source's id
    copy.tagIds.Add(1);
    manager.Insert(&copy);
    EXPECT_EQ(copy.id, -1);
    EXPECT_EQ(Count("select count(*) from contact_tag;"), 0) << "no tag may be linked to another contact";
    ASSERT_EQ(errors.messages.size(), 1u) << "one report for the one failed statement";
    EXPECT_NE(errors.messages[0].Find("refused"), wxNOT_FOUND);
}

TEST_F(PersistenceTest, UpdateKeepsEntryTimeReplacesLinksAndSetsCurrent)
{
    const int id = SeedContact(dir, "Baker", "Ann");
    dir.Exec(wxString::Format("update contacts set entry_time='2005-05-05 05:05:05', entry_user_id=0, "
                              "latest_update_time='2005-05-05 05:05:05' where id=%d;"
                              "insert into contact_tag values (%d, 1), (%d, 2);",
                              id, id, id));
    SeedContact(dir, "Zed");
    manager.Search();
    ContactInfoEx* baker = manager.contactList[1];
    ASSERT_EQ(baker->id, id);
    baker->last_name_alpha = "Aaa";
    baker->tagIds.Clear();
    baker->tagIds.Add(3);
    log.clear();
    manager.Update(baker);

    EXPECT_EQ(log, (Log{"first", "second"}));
    EXPECT_EQ(manager.currentContact, baker);
    EXPECT_EQ(manager.contactList[1], baker) << "no reload: the record keeps its place";
    EXPECT_EQ(dir.Scalar(wxString::Format("select entry_time from contacts where id=%d;", id)), "2005-05-05 05:05:05");
    EXPECT_NE(dir.Scalar(wxString::Format("select latest_update_time from contacts where id=%d;", id)),
              "2005-05-05 05:05:05");
    EXPECT_EQ(dir.Scalar(wxString::Format("select group_concat(tag_id) from contact_tag where contact_id=%d;", id)),
              "3");

    baker->tagIds.Clear();
    manager.Update(baker);
    EXPECT_EQ(Count(wxString::Format("select count(*) from contact_tag where contact_id=%d;", id)), 0)
        << "an empty tag list removes every link";
}

TEST_F(PersistenceTest, InvalidBirthdayIsStoredAsNullAndReadBackInvalid)
{
    ContactInfoEx contact;
    contact.birthday = wxInvalidDateTime;
    manager.Insert(&contact);
    EXPECT_EQ(Count("select count(*) from contacts where birthday is null;"), 1);
    ASSERT_EQ(manager.contactList.GetCount(), 1u);
    EXPECT_FALSE(manager.contactList[0]->birthday.IsValid());
}

TEST_F(PersistenceTest, MergeFieldsCopiesOnlyNonEmptyTextsAndReplacesTags)
{
    ContactInfoEx target;
    target.id = 7;
    target.last_name = "Keep";
    target.company = "Old";
    target.email = "old@x";
    target.comment = "old comment";
    target.tagIds.Add(1);
    target.historyCount = 4;
    ContactInfoEx templ;
    templ.last_name = "Ignored";
    templ.sex = 0;
    templ.company = "New";

    ContactManager::MergeFields(&target, &templ);
    EXPECT_EQ(target.company, "New");
    EXPECT_EQ(target.email, "old@x");
    EXPECT_EQ(target.comment, "old comment");
    EXPECT_EQ(target.last_name, "Keep") << "names are never merged";
    EXPECT_EQ(target.sex, 1);
    EXPECT_EQ(target.id, 7);
    EXPECT_EQ(target.historyCount, 4);
    ASSERT_EQ(target.tagIds.GetCount(), 1u) << "an empty template tag list leaves the tags";

    templ.comment = "new comment";
    templ.tagIds.Add(8);
    templ.tagIds.Add(9);
    ContactManager::MergeFields(&target, &templ);
    EXPECT_EQ(target.comment, "new comment") << "comment is the last merged field";
    ASSERT_EQ(target.tagIds.GetCount(), 2u) << "template tags replace, not add";
    EXPECT_EQ(target.tagIds[0], 8);
}

TEST_F(PersistenceTest, UpdateContactsMergesEveryRecordPumpsAndNotifiesOnce)
{
    SeedContacts(dir, 5);
    manager.Search();
    ContactArray selection;
    selection.Add(manager.contactList[0]);
    selection.Add(manager.contactList[3]);
    int pumped = 0;
    SetMessagePump([&pumped] { ++pumped; });
    ContactInfoEx* templ = new ContactInfoEx();
    templ->company = "Batch Co";
    templ->tagIds.Add(6);
    log.clear();

    manager.UpdateContacts(selection, templ); // takes the template
    SetMessagePump(MessagePump());

    EXPECT_EQ(pumped, 2) << "one pump per record";
    EXPECT_EQ(log, (Log{"first", "second"}));
    EXPECT_EQ(manager.currentContact, manager.contactList[3]) << "the last record becomes current";
    EXPECT_EQ(Count("select count(*) from contacts where company='Batch Co';"), 2);
    EXPECT_EQ(Count("select count(*) from contact_tag where tag_id=6;"), 2);
    EXPECT_EQ(manager.contactList[0]->company, "Batch Co") << "the records are edited in place";
}

TEST_F(PersistenceTest, DeleteRemovesRowLinksAndHistoryAndNotifiesTwice)
{
    const int keep = SeedContact(dir, "Keep");
    const int gone = SeedContact(dir, "Gone");
    dir.Exec(wxString::Format("insert into contact_tag values (%d, 1), (%d, 2), (%d, 1);"
                              "insert into contact_history (his_time, contact_id, his_type, comment) values "
                              "('2020-01-01 00:00:00', %d, 0, 'x'), ('2020-01-01 00:00:00', %d, 0, 'y');",
                              gone, gone, keep, gone, keep));
    manager.Search();
    log.clear();
    ContactInfoEx* target = manager.contactList[1];
    ASSERT_EQ(target->id, gone);
    manager.Delete(target);

    EXPECT_EQ(log, (Log{"first", "second", "first", "second"}));
    EXPECT_EQ(Count(wxString::Format("select count(*) from contacts where id=%d;", gone)), 0);
    EXPECT_EQ(Count(wxString::Format("select count(*) from contact_tag where contact_id=%d;", gone)), 0);
    EXPECT_EQ(Count(wxString::Format("select count(*) from contact_history where contact_id=%d;", gone)), 0);
    EXPECT_EQ(Count("select count(*) from contact_tag;"), 1) << "other contacts keep their links";
    EXPECT_EQ(Count("select count(*) from contact_history;"), 1);
    ASSERT_EQ(manager.contactList.GetCount(), 1u);
    EXPECT_EQ(manager.currentContact, manager.contactList[0]);
}

TEST_F(PersistenceTest, DeleteRecordKeepsTheRemovedRecordAliveUntilClear)
{
    SeedContacts(dir, 3);
    manager.Search();
    ContactInfoEx* victim = manager.contactList[1];
    manager.DeleteRecord(victim);
    EXPECT_EQ(manager.contactList.GetCount(), 2u);
    EXPECT_EQ(manager.contactList.Index(victim), wxNOT_FOUND);
    // Callers may still read it (under AddressSanitizer this would be a
    // use after free if the manager had destroyed it).
    EXPECT_EQ(victim->last_name_alpha, "N0001");
    manager.Clear(); // frees it: a leak shows under LeakSanitizer
    EXPECT_EQ(manager.currentContact, nullptr);

    // A record that is not on the page is deleted all the same.
    ContactInfoEx outsider;
    outsider.id = dir.ScalarInt("select min(id) from contacts;");
    manager.Delete(&outsider);
    EXPECT_EQ(Count("select count(*) from contacts;"), 1);
}

TEST_F(PersistenceTest, BatchInsertAndDeletePumpOncePerRecord)
{
    int pumped = 0;
    SetMessagePump([&pumped] { ++pumped; });
    ContactInfoEx a, b, c;
    a.last_name_alpha = "A";
    b.last_name_alpha = "B";
    c.last_name_alpha = "C";
    b.tagIds.Add(3);
    ContactArray batch;
    batch.Add(&a);
    batch.Add(&b);
    batch.Add(&c);
    manager.InsertContacts(batch);
    EXPECT_EQ(pumped, 3);
    EXPECT_EQ(log, (Log{"first", "second"})) << "a stored batch of inserts is announced once";
    EXPECT_LT(a.id, b.id);
    EXPECT_LT(b.id, c.id) << "ids follow the array order";
    EXPECT_EQ(Count(wxString::Format("select count(*) from contact_tag where contact_id=%d and tag_id=3;", b.id)), 1);

    ContactArray doomed;
    doomed.Add(manager.contactList[0]);
    doomed.Add(manager.contactList[2]);
    manager.DeleteContacts(doomed);
    SetMessagePump(MessagePump());
    EXPECT_EQ(pumped, 5);
    ASSERT_EQ(manager.contactList.GetCount(), 1u);
    EXPECT_EQ(manager.contactList[0]->last_name_alpha, "B");
}

TEST_F(PersistenceTest, CopyConstructorCarriesIdTagsAndHistoryCount)
{
    ContactInfoEx source;
    source.id = 12;
    source.historyCount = 3;
    source.tagIds.Add(4);
    source.first_name = "Anna";
    ContactInfoEx copy(source);
    EXPECT_EQ(copy.id, 12);
    EXPECT_EQ(copy.historyCount, 3);
    ASSERT_EQ(copy.tagIds.GetCount(), 1u);
    EXPECT_EQ(copy.GetDisplayName(), " Anna");
}

// Two programs on one book: "other" is a second manager with its own
// connections, as another window of the program would have.
TEST_F(PersistenceTest, AnEditKeepsWhatAnotherProgramChangedMeanwhile)
{
    const int id = SeedContact(dir, "Baker");
    dir.Exec(wxString::Format("update contacts set comment='old', job_title='clerk' where id=%d;", id));
    manager.Search();
    ContactManager other;
    other.Search();
    ContactInfoEx* mine = manager.contactList[0];
    ContactInfoEx* theirs = other.contactList[0];

    theirs->comment = "theirs";
    other.Update(theirs);
    mine->company = "Mine Co";
    manager.Update(mine);
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(dir.Scalar(wxString::Format("select company || '|' || comment from contacts where id=%d;", id)),
              "Mine Co|theirs")
        << "the edit writes only its own field";
    EXPECT_EQ(mine->comment, "theirs") << "the record shows what is stored";

    // A second edit of the same record compares with what the first wrote.
    mine->job_title = "manager";
    manager.Update(mine);
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(dir.Scalar(wxString::Format("select job_title || '|' || comment from contacts where id=%d;", id)),
              "manager|theirs");

    // Both change the same field: neither is written over the other unseen.
    other.condition.changed = true;
    other.Search();
    theirs = other.contactList[0];
    theirs->job_title = "director";
    theirs->tagIds.Add(4);
    other.Update(theirs);
    mine->job_title = "intern";
    log.clear();
    manager.Update(mine);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].Find("another program"), wxNOT_FOUND) << errors.messages[0];
    EXPECT_EQ(dir.Scalar(wxString::Format("select job_title from contacts where id=%d;", id)), "director");
    EXPECT_EQ(mine->job_title, "director") << "the stored version is shown";
    ASSERT_EQ(mine->tagIds.GetCount(), 1u);
    EXPECT_EQ(log.size(), 2u) << "the observers show it";
    errors.messages.clear();
    mine->job_title = "intern";
    manager.Update(mine);
    EXPECT_TRUE(errors.messages.empty()) << "once seen, the edit is stored";
    EXPECT_EQ(dir.ScalarInt(wxString::Format("select count(*) from contact_tag where contact_id=%d;", id)), 1)
        << "the other program's tag stays linked";
}

TEST_F(PersistenceTest, AMultiEditAndADeleteRespectAnotherProgramsChange)
{
    SeedContacts(dir, 3);
    manager.Search();
    ContactManager other;
    other.Search();
    other.contactList[1]->comment = "theirs";
    other.Update(other.contactList[1]);

    ContactArray selection;
    for (ContactInfoEx* contact : manager.contactList)
        selection.Add(contact);
    ContactInfoEx* templ = new ContactInfoEx();
    templ->company = "Batch Co";
    EXPECT_TRUE(manager.UpdateContacts(selection, templ));
    EXPECT_EQ(Count("select count(*) from contacts where company='Batch Co';"), 3);
    EXPECT_EQ(Count("select count(*) from contacts where comment='theirs';"), 1) << "not reverted by the batch";

    // A delete of a contact changed since it was shown asks again.
    other.condition.changed = true;
    other.Search();
    other.contactList[0]->comment = "changed again";
    other.Update(other.contactList[0]);
    ContactInfoEx* target = manager.contactList[0];
    manager.Delete(target);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].Find("not deleted"), wxNOT_FOUND) << errors.messages[0];
    EXPECT_EQ(Count("select count(*) from contacts;"), 3);
    EXPECT_EQ(target->comment, "changed again") << "the stored version is shown";
    ContactArray doomed;
    doomed.Add(manager.contactList[1]);
    other.condition.changed = true;
    other.Search();
    other.contactList[1]->email = "x@y";
    other.Update(other.contactList[1]);
    errors.messages.clear();
    EXPECT_FALSE(manager.DeleteContacts(doomed));
    EXPECT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(Count("select count(*) from contacts;"), 3);
    errors.messages.clear();
    const int targetId = target->id; // the reload after the delete frees the record
    EXPECT_TRUE(manager.DeleteContacts(doomed)) << "seen now: deleted";
    for (ContactInfoEx* contact : manager.contactList)
    {
        if (contact->id == targetId)
        {
            manager.Delete(contact);
            break;
        }
    }
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(Count("select count(*) from contacts;"), 1);
}
