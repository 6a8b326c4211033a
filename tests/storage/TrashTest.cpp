// Deleted contacts kept and put back as they were, and the undo of the
// last delete, import and change of many contacts.
#include <gtest/gtest.h>

#include <wx/wxsqlite3.h>

#include "storage/ContactManager.h"
#include "storage/HistoryManager.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class TrashTest : public CorvalaTest
{
protected:
    // Everything stored about the contacts, as text, to compare a restored
    // book with the one before the delete.
    wxString Book() const
    {
        return dir.Scalar("select group_concat(row, '|') from (select quote(id) || quote(last_name) || quote(sex) || "
                          "quote(birthday) || quote(company) || quote(comment) || quote(entry_time) as row from "
                          "contacts order by id);") +
               dir.Scalar("select group_concat(contact_id || ':' || tag_id) from (select * from contact_tag order by "
                          "contact_id, tag_id);") +
               dir.Scalar("select group_concat(contact_id || ':' || comment) from (select * from contact_history "
                          "order by his_time);") +
               dir.Scalar("select group_concat(contact_id || ':' || line) from (select * from contact_properties "
                          "order by contact_id, position);");
    }

    ContactArray Page()
    {
        SearchCondition all;
        all.find = "-";
        manager.SetCondition(all); // a search anew
        all.find.clear();
        manager.SetCondition(all);
        manager.Search();
        ContactArray page;
        for (ContactInfoEx* contact : manager.contactList)
            page.Add(contact);
        return page;
    }

    ContactManager manager;
};
} // namespace

TEST_F(TrashTest, ADeletedContactComesBackAsItWasAfterAnUndoOrARestart)
{
    dir.Exec("insert into mst_tags (id, name, display_order) values (3, 'Work', 1), (4, 'Golf', 2);");
    ContactInfoEx contact;
    contact.last_name = contact.last_name_alpha = "Baker";
    contact.company = wxString::FromUTF8("Bäckerei");
    contact.tagIds.Add(3);
    contact.tagIds.Add(4);
    contact.keptProperties.Add("NICKNAME:Bun");
    manager.Insert(&contact);
    dir.Exec(wxString::Format("update contacts set birthday = NULL, sex = '1' where id = %d;", contact.id));
    HistoryManager history;
    HistoryInfo entry;
    entry.contact_id = contact.id;
    entry.his_time = wxDateTime(1, wxDateTime::Mar, 2024, 10, 0, 0);
    entry.comment = "Ordered the cake";
    history.Insert(&entry);
    SeedContact(dir, "Other");
    const wxString before = Book();

    ContactArray baker;
    for (void* item : Page())
        if (static_cast<ContactInfoEx*>(item)->id == contact.id)
            baker.Add(item);
    ASSERT_TRUE(manager.DeleteContacts(baker)) << (errors.messages.empty() ? "" : errors.messages[0].utf8_string());
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 1);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_history;"), 0);
    std::vector<Trash::Entry> deleted;
    ASSERT_TRUE(manager.ListDeleted(deleted));
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0].name, "Baker ");
    EXPECT_TRUE(deleted[0].deleted.IsValid());

    ASSERT_EQ(manager.GetUndoKind(), ContactManager::UNDO_DELETE);
    ASSERT_TRUE(manager.Undo());
    EXPECT_EQ(Book(), before) << "the same id, values as stored, tags, history and kept lines";
    EXPECT_EQ(manager.GetUndoKind(), ContactManager::UNDO_NOTHING);
    ASSERT_TRUE(manager.ListDeleted(deleted));
    EXPECT_TRUE(deleted.empty());
    SearchCondition find;
    find.find = "cake";
    manager.SetCondition(find);
    manager.Search();
    EXPECT_EQ(manager.totalCount, 1) << "found again by its history";

    // Deleted again, then restored by a later session: a tag deleted
    // meanwhile is not linked again.
    baker.Clear();
    for (void* item : Page())
        if (static_cast<ContactInfoEx*>(item)->id == contact.id)
            baker.Add(item);
    ASSERT_TRUE(manager.DeleteContacts(baker));
    dir.Exec("delete from mst_tags where id = 4;");
    {
        ContactManager later;
        ASSERT_TRUE(later.ListDeleted(deleted));
        ASSERT_EQ(deleted.size(), 1u);
        EXPECT_EQ(later.GetUndoKind(), ContactManager::UNDO_NOTHING) << "an undo lasts the session";
        ASSERT_TRUE(later.RestoreContacts({deleted[0].id}));
    }
    EXPECT_EQ(dir.ScalarInt(wxString::Format("select count(*) from contact_tag where contact_id = %d;", contact.id)),
              1);
    EXPECT_FALSE(manager.RestoreContacts({contact.id})) << "it is no longer among the deleted contacts";
    EXPECT_EQ(errors.messages.size(), 1u);
    errors.messages.clear();

    // Removed for good, by hand or after thirty days.
    baker.Clear();
    for (void* item : Page())
        if (static_cast<ContactInfoEx*>(item)->id == contact.id)
            baker.Add(item);
    ASSERT_TRUE(manager.DeleteContacts(baker));
    ASSERT_TRUE(manager.DiscardContacts({contact.id}));
    EXPECT_EQ(dir.ScalarInt("select count(*) from trash_contact_history;"), 0);
    ContactArray rest = Page();
    ASSERT_TRUE(manager.DeleteContacts(rest));
    EXPECT_EQ(manager.EmptyOldTrash(), 0);
    dir.Exec("update trash_contacts set deleted_time = datetime('now', '-31 days');");
    EXPECT_EQ(manager.EmptyOldTrash(), 1);
    EXPECT_EQ(dir.ScalarInt("select count(*) from trash_contacts;"), 0);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(TrashTest, AnImportAndAChangeOfManyAreUndoneInOneGo)
{
    SeedContacts(dir, 2);
    std::vector<ContactInfoEx> imported(3);
    ContactArray batch;
    for (ContactInfoEx& contact : imported)
    {
        contact.last_name = contact.last_name_alpha = "Imported";
        batch.Add(&contact);
    }
    ASSERT_TRUE(manager.InsertContacts(batch));
    ASSERT_EQ(manager.GetUndoKind(), ContactManager::UNDO_IMPORT);
    ASSERT_TRUE(manager.Undo());
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 2);
    EXPECT_EQ(dir.ScalarInt("select count(*) from trash_contacts where last_name = 'Imported';"), 3)
        << "kept among the deleted contacts";

    ContactArray page = Page();
    ContactInfoEx* templ = new ContactInfoEx();
    templ->company = "Batch Co";
    ASSERT_TRUE(manager.UpdateContacts(page, templ));
    ASSERT_EQ(manager.GetUndoKind(), ContactManager::UNDO_EDIT);
    ASSERT_TRUE(manager.Undo());
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts where company = 'Batch Co';"), 0);

    // A field another program changed since is not undone, and neither is
    // the rest of the batch.
    page = Page();
    templ = new ContactInfoEx();
    templ->company = "Batch Co";
    templ->department = "Sales";
    ASSERT_TRUE(manager.UpdateContacts(page, templ));
    dir.Exec("update contacts set company = 'Elsewhere' where last_name_alpha = 'N0000';");
    EXPECT_FALSE(manager.Undo());
    EXPECT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts where department = 'Sales';"), 2);
    errors.messages.clear();
}
