// Batches under real failures: another program's lock, a read-only file or
// folder, a full disk, a commit that cannot finish, a row that another
// program removed. A batch is stored entirely or not at all, the records in
// memory are as before, and the user gets exactly one message.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/wxsqlite3.h>

#include <functional>
#include <memory>

#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/StorageHooks.h"
#include "tests/storage/FaultyDisk.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class BatchFailureTest : public CorvalaTest
{
protected:
    BatchFailureTest() : observer("o", log)
    {
        Database::SetBusyTimeout(50);
        manager.AddObserver(&observer);
        SeedContacts(dir, 6);
        dir.Exec("update contacts set company = 'Old' || id;"
                 "insert into contact_tag select id, 1 from contacts;"
                 "insert into contact_history (his_time, contact_id, his_type, comment) "
                 "select '2020-01-01 00:00:00', id, 0, 'met' from contacts;");
        manager.Search();
    }

    ~BatchFailureTest() override
    {
        Database::SetBusyTimeout(2000);
    }

    // Everything a batch could touch, as one text.
    wxString FileState() const
    {
        return dir.Scalar("select (select group_concat(id || ':' || company) from contacts) || '|' || "
                          "(select group_concat(contact_id || ':' || tag_id) from contact_tag) || '|' || "
                          "(select group_concat(contact_id) from contact_history)");
    }

    // Runs an insert, an update and a delete batch while the failure is on;
    // each must leave the file and the records as they were and report once.
    void ExpectEveryBatchUndoneAndReportedOnce(const wxString& reason, const std::function<void()>& arm = {})
    {
        const wxString state = FileState();
        ContactInfoEx a, b, c;
        a.last_name = "A";
        b.last_name = "B";
        b.tagIds.Add(2);
        c.last_name = "C";
        ContactArray fresh;
        for (ContactInfoEx* x : {&a, &b, &c})
            fresh.Add(x);
        ExpectOneFailure([&] { return manager.InsertContacts(fresh); }, reason, "insert", arm);
        EXPECT_EQ(a.id, -1);
        EXPECT_EQ(b.id, -1) << "a failed batch gives no record an id";
        EXPECT_EQ(c.id, -1);

        ContactInfoEx* first = manager.contactList[0];
        ContactInfoEx* second = manager.contactList[1];
        const wxString firstCompany = first->company;
        ContactArray edited;
        edited.Add(first);
        edited.Add(second);
        ContactInfoEx* templ = new ContactInfoEx();
        templ->company = "Merged";
        templ->tagIds.Add(9);
        ExpectOneFailure([&] { return manager.UpdateContacts(edited, templ); }, reason, "update", arm);
        EXPECT_EQ(first->company, firstCompany) << "the edited record shows its stored value again";
        ASSERT_EQ(second->tagIds.GetCount(), 1u);
        EXPECT_EQ(second->tagIds[0], 1) << "and its stored tags";

        ContactArray doomed;
        doomed.Add(manager.contactList[0]);
        doomed.Add(manager.contactList[2]);
        ExpectOneFailure([&] { return manager.DeleteContacts(doomed); }, reason, "delete", arm);
        EXPECT_EQ(manager.contactList.GetCount(), 6u) << "the deleted records stay listed";
        EXPECT_EQ(manager.contactList[0], first);

        EXPECT_EQ(FileState(), state) << "nothing of any batch is in the file";
    }

    void ExpectOneFailure(const std::function<bool()>& batch, const wxString& reason, const char* what,
                          const std::function<void()>& arm = {})
    {
        errors.messages.clear();
        log.clear();
        if (arm)
            arm();
        EXPECT_FALSE(batch()) << what;
        ASSERT_EQ(errors.messages.size(), 1u) << what << ": exactly one message";
        EXPECT_NE(errors.messages[0].Lower().Find(reason), wxNOT_FOUND) << what << ": " << errors.messages[0];
        EXPECT_NE(errors.messages[0].Find(manager.GetLastBatchError()), wxNOT_FOUND)
            << what << ": the message carries the database's reason";
        EXPECT_NE(manager.GetLastBatchError().Lower().Find(reason), wxNOT_FOUND) << what;
        EXPECT_EQ(errors.messages[0].Find("]: "), wxNOT_FOUND) << what << ": no code of the wrapper's";
        EXPECT_EQ(log.size(), 1u) << what << ": the observers are told once";
    }

    std::vector<std::string> log;
    LoggingObserver observer;
    ContactManager manager;
};
} // namespace

TEST_F(BatchFailureTest, ALockHeldByAnotherProgram)
{
    wxSQLite3Database other;
    other.Open(dir.DbPath());
    other.ExecuteUpdate("BEGIN IMMEDIATE;");
    ExpectEveryBatchUndoneAndReportedOnce("is locked by another program");
    EXPECT_NE(errors.messages[0].Find(Database::Path()), wxNOT_FOUND) << "the file is named";
    other.ExecuteUpdate("COMMIT;");
}

TEST_F(BatchFailureTest, ACommitThatAReaderBlocks)
{
    wxSQLite3Database reader;
    reader.Open(dir.DbPath());
    reader.ExecuteUpdate("BEGIN;");
    reader.ExecuteScalar("select count(*) from contacts;"); // holds the shared lock
    ExpectEveryBatchUndoneAndReportedOnce("locked");
    reader.ExecuteUpdate("COMMIT;");
}

TEST_F(BatchFailureTest, AReadOnlyFileAndAReadOnlyFolder)
{
    {
        FaultyDisk disk;
        disk.RefuseNewFiles(true); // the journal cannot be created
        ExpectEveryBatchUndoneAndReportedOnce("unable to open");
    }
    {
        // A write version above 2 in the header makes SQLite open the file
        // read-only, for every user including root.
        wxFFile file(dir.DbPath(), "r+b");
        ASSERT_TRUE(file.IsOpened());
        file.Seek(18);
        const unsigned char version = 3;
        file.Write(&version, 1);
    }
    ExpectEveryBatchUndoneAndReportedOnce("is read-only");
    EXPECT_NE(errors.messages[0].Find(Database::Path()), wxNOT_FOUND) << "the file is named";
    // One contact outside a batch: the same words.
    errors.messages.clear();
    ContactInfoEx single;
    manager.Insert(&single);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "The address book " + Database::Path() + " is read-only");
}

TEST_F(BatchFailureTest, ADiskThatRunsFullInTheMiddle)
{
    {
        FaultyDisk disk;
        // Room for the journal's first pages only: each batch fails midway,
        // after its first statements have run (two inserts, an update, a
        // contact row deleted before its links).
        ExpectEveryBatchUndoneAndReportedOnce("is full", [&] { disk.FillAfter(25000); });
    }
    // With room again the same work is stored, and every new row has its own id.
    ContactInfoEx a, b;
    a.tagIds.Add(3);
    ContactArray fresh;
    fresh.Add(&a);
    fresh.Add(&b);
    errors.messages.clear();
    EXPECT_TRUE(manager.InsertContacts(fresh));
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(manager.GetLastBatchError(), "");
    EXPECT_GT(a.id, 6);
    EXPECT_EQ(b.id, a.id + 1);
    EXPECT_EQ(dir.ScalarInt(wxString::Format("select count(*) from contact_tag where contact_id=%d;", a.id)), 1);
}

TEST_F(BatchFailureTest, ARecordTheDatabaseRefusesUndoesTheBatch)
{
    dir.Exec("create trigger refuse before insert on contacts when new.last_name = 'Bad' "
             "begin select raise(abort, 'bad row'); end;"
             "create trigger refuse_update before update on contacts when new.company = 'Merged' and old.id = 2 "
             "begin select raise(abort, 'bad row'); end;");
    ContactInfoEx good, bad;
    good.last_name = "Good";
    good.tagIds.Add(4);
    bad.last_name = "Bad";
    ContactArray fresh;
    fresh.Add(&good);
    fresh.Add(&bad);
    const wxString state = FileState();
    ExpectOneFailure([&] { return manager.InsertContacts(fresh); }, "bad row", "insert");
    EXPECT_EQ(good.id, -1) << "the record stored before the refused one is undone too";
    EXPECT_EQ(FileState(), state);
}

TEST_F(BatchFailureTest, AContactAnotherProgramRemoved)
{
    ContactInfoEx* gone = manager.contactList[1];
    const int goneId = gone->id;
    dir.Exec(wxString::Format("delete from contacts where id=%d; delete from contact_tag where contact_id=%d;", goneId,
                              goneId));

    // One record: reported, and no tag is tied to the missing id.
    gone->tagIds.Add(5);
    manager.Update(gone);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].Find(gone->GetDisplayName()), wxNOT_FOUND) << errors.messages[0];
    EXPECT_EQ(dir.ScalarInt(wxString::Format("select count(*) from contact_tag where contact_id=%d;", goneId)), 0);

    // In a batch: nothing of it is stored, and the message names the contact.
    ContactArray edited;
    edited.Add(manager.contactList[0]);
    edited.Add(gone);
    ContactInfoEx* templ = new ContactInfoEx();
    templ->company = "Merged";
    ExpectOneFailure([&] { return manager.UpdateContacts(edited, templ); }, gone->GetDisplayName().Lower(), "update");
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts where company = 'Merged';"), 0);

    errors.messages.clear();
    log.clear();
    EXPECT_TRUE(manager.UpdateContacts(edited, nullptr)) << "no template: nothing to do";
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(errors.messages.empty());
}
