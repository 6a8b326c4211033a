// vCard import and export without windows: the round trip of the demo book,
// the batch that stores all or nothing, and an export that never leaves half
// a file.
#include <gtest/gtest.h>

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "exchange/VCardExport.h"
#include "exchange/VCardImport.h"
#include "exchange/VCardMapping.h"
#include "exchange/VCardReader.h"
#include "storage/Adapter.h"
#include "storage/ContactAdapter.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/DbValues.h"
#include "storage/SearchCondition.h"
#include "storage/StorageHooks.h"
#include "storage/TagManager.h"
#include "tests/exchange/VCardTestUtil.h"
#include "tests/support/TestEnv.h"
#include "tools/DatabaseBuilder.h"

namespace
{
void WriteFile(const wxString& path, const std::string& bytes)
{
    wxFFile file(path, "wb");
    ASSERT_TRUE(file.IsOpened());
    file.Write(bytes.data(), bytes.size());
}

std::string ReadFile(const wxString& path)
{
    wxFFile file(path, "rb");
    std::string bytes(static_cast<size_t>(file.Length()), '\0');
    file.Read(&bytes[0], bytes.size());
    return bytes;
}

// Every field a person sees, and the tag names, as one comparable line.
std::vector<wxString> Book(const TagManager& tags)
{
    std::vector<wxString> book;
    ContactManager statements;
    statements.condition.pageSize = -1;
    Adapter adapter;
    std::vector<ContactInfoEx*> contacts;
    adapter.Query(statements.BuildPageStatement(),
                  [&](wxSQLite3ResultSet& row) { contacts.push_back(ContactAdapter::ReadContact(row)); });
    for (ContactInfoEx* c : contacts)
    {
        wxArrayString names;
        adapter.Query(wxString::Format("select tag_id from contact_tag where contact_id = %d;", c->id),
                      [&](wxSQLite3ResultSet& row)
                      {
                          wxArrayInt id;
                          id.Add(ReadInt(row, 0));
                          tags.GetTagNamesByIds(id, names);
                      });
        names.Sort();
        wxString line = c->last_name + "|" + c->last_name_alpha + "|" + c->first_name + "|" + c->first_name_alpha +
                        "|" + wxString::Format("%d", c->sex) + "|" + FormatDbTime(c->birthday);
        for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
            line += "|" + c->*field;
        line += "|tags:" + wxJoin(names, ',');
        book.push_back(line);
        delete c;
    }
    std::sort(book.begin(), book.end());
    return book;
}

void EmptyTheBook(const TempWorkDir& dir)
{
    dir.Exec("delete from contacts; delete from contact_tag; delete from mst_tags; delete from contact_history; "
             "delete from contact_properties;");
}

class VCardTest : public CorvalaTest
{
protected:
    TagManager tags;
    ContactManager contacts;
};
} // namespace

TEST_F(VCardTest, RoundTripOfTheDemoBookKeepsEveryFieldAndTag)
{
    {
        wxSQLite3Database db;
        db.Open(dir.DbPath());
        FillDemoData(db);
    }
    tags.Load();
    const std::vector<wxString> before = Book(tags);
    ASSERT_GT(before.size(), 300u);
    // A comment with what escaping and folding must carry, and a birthday
    // with a time of day.
    dir.Exec("update contacts set comment = 'a; b, c\\ d' || char(10) || 'line two " + std::string(80, 'x') +
             "', birthday = '1970-01-02 13:14:15' where id = 1;");
    // What parameters and escapes must survive: quotes, commas and a long
    // alphabet name (SORT-AS), inner spacing, a backslash before a colon.
    dir.Exec("update contacts set last_name_alpha = 'He said \"so\", ok " + std::string(40, 'y') +
             "', first_name = 'Anne  Marie', company = 'Acme, Inc.', webpage = 'C:\\dir\\:x' where id = 2;");
    const std::vector<wxString> original = Book(tags);

    for (VCardVersion version : {VCardVersion::V30, VCardVersion::V40})
    {
        tags.Load();
        const wxString file = dir.Path() + (version == VCardVersion::V30 ? "/book30.vcf" : "/book40.vcf");
        VCardExport::Result exported = VCardExport::WriteSearch(file, SearchCondition(), contacts, tags, version);
        ASSERT_TRUE(exported.ok) << exported.error;
        EXPECT_EQ(exported.written, original.size());

        EmptyTheBook(dir);
        tags.Load();
        VCardImport import(tags, contacts);
        VCardImport::Result imported = import.Run(file, VCardImport::Duplicates::SKIP);
        ASSERT_TRUE(imported.stored) << imported.error;
        EXPECT_EQ(imported.imported, original.size());
        EXPECT_EQ(imported.Skipped(), 0u);
        tags.Load();
        const std::vector<wxString> after = Book(tags);
        ASSERT_EQ(after.size(), original.size());
        for (size_t i = 0; i < after.size(); ++i)
            ASSERT_EQ(after[i].utf8_string(), original[i].utf8_string())
                << "contact " << i << (version == VCardVersion::V30 ? " (3.0)" : " (4.0)");
        EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags;"),
                  dir.ScalarInt("select count(distinct name) from mst_tags;"))
            << "each tag created once";
        // The next round exports what this one imported.
    }
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(VCardTest, PropertiesWithoutAFieldComeBackFromExportAndTheirUidMakesADuplicate)
{
    const std::string rich30 = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"
                               "N:Rich;Rita;;;\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD\r\n"
                               "X-ANNIVERSARY:2010-06-12\r\nGEO:37.386013;-122.082932\r\nTZ:-05:00\r\n"
                               "item1.X-ABLabel:_$!<Anniversary>!$_\r\nitem1.X-ABDATE;type=pref:2004-08-07\r\n"
                               "X-CUSTOM;X-PARAM=one,two:a value\\, with a comma\r\nEND:VCARD\r\n";
    const std::string rich40 = "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:0b1fb0b8-6d52-4a5c-9b59-1f1e6b1f0c2a\r\n"
                               "N:Vier;Vera;;;\r\nANNIVERSARY:20100612\r\nRELATED;TYPE=spouse:urn:uuid:03a0e51f\r\n"
                               "LANG;PREF=1:de\r\nGEO:geo:52.52,13.40\r\nTZ;VALUE=text:Europe/Berlin\r\n"
                               "X-SOCIAL-PROFILE;TYPE=twitter:https://twitter.com/vera\r\nEND:VCARD\r\n";
    const wxString file = dir.Path() + "/rich.vcf";
    WriteFile(file, rich30 + rich40);
    VCardImport import(tags, contacts);
    VCardImport::Result r = import.Run(file, VCardImport::Duplicates::SKIP);
    ASSERT_TRUE(r.stored) << r.error;
    EXPECT_EQ(r.imported, 2u);
    EXPECT_EQ(r.kept, 15u);
    EXPECT_EQ(VCardImport::Describe(r, "rich.vcf"),
              "Imported 2 contacts from rich.vcf. Kept 15 values without a field of their own.");

    for (VCardVersion version : {VCardVersion::V30, VCardVersion::V40})
    {
        const wxString out = dir.Path() + "/out.vcf";
        ASSERT_TRUE(VCardExport::WriteSearch(out, SearchCondition(), contacts, tags, version).ok);
        std::string text = ReadFile(out);
        // Unfolded, to look for whole lines.
        for (size_t pos; (pos = text.find("\r\n ")) != std::string::npos;)
            text.erase(pos, 3);
        for (const char* line :
             {"UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1",
              "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD", "X-ANNIVERSARY:2010-06-12",
              "GEO:37.386013;-122.082932", "TZ:-05:00", "item1.X-ABLabel:_$!<Anniversary>!$_",
              "item1.X-ABDATE;type=pref:2004-08-07", "X-CUSTOM;X-PARAM=one,two:a value\\, with a comma",
              "UID:urn:uuid:0b1fb0b8-6d52-4a5c-9b59-1f1e6b1f0c2a", "ANNIVERSARY:20100612",
              "RELATED;TYPE=spouse:urn:uuid:03a0e51f", "LANG;PREF=1:de", "GEO:geo:52.52,13.40",
              "TZ;VALUE=text:Europe/Berlin", "X-SOCIAL-PROFILE;TYPE=twitter:https://twitter.com/vera"})
            EXPECT_NE(text.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line << "\n" << text;
    }

    // The selected contacts (records of the page) come back whole too.
    contacts.condition.pageSize = -1;
    contacts.Search();
    ContactArray page;
    for (ContactInfoEx* c : contacts.contactList)
        page.Add(c);
    ASSERT_EQ(page.size(), 2u);
    ASSERT_TRUE(VCardExport::WriteContacts(dir.Path() + "/selected.vcf", page, tags, VCardVersion::V40).ok);
    const std::string selected = ReadFile(dir.Path() + "/selected.vcf");
    EXPECT_NE(selected.find("\r\nUID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"), std::string::npos)
        << selected;
    EXPECT_NE(selected.find("\r\nLANG;PREF=1:de\r\n"), std::string::npos);

    // The same UID under another name is the same contact.
    std::string renamed = rich30;
    renamed.replace(renamed.find("N:Rich;Rita"), 11, "N:Other;Olga");
    WriteFile(file, renamed);
    r = import.Run(file, VCardImport::Duplicates::SKIP);
    ASSERT_TRUE(r.stored) << r.error;
    EXPECT_EQ(r.duplicates, 1u);
    EXPECT_EQ(r.imported, 0u);

    // Deleting a contact deletes what was kept of it.
    ContactArray all;
    contacts.Search();
    for (ContactInfoEx* c : contacts.contactList)
        all.Add(c);
    ASSERT_TRUE(contacts.DeleteContacts(all));
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_properties;"), 0);
}

TEST_F(VCardTest, ABookWithoutTheKeptTableImportsExportsAndDeletesAsBefore)
{
    // A book the start-up could not add the table to.
    dir.Exec("drop table contact_properties;");
    const wxString file = dir.Path() + "/old.vcf";
    WriteFile(file, "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:abc\r\nN:Old;Otto;;;\r\nX-CUSTOM:x\r\nEND:VCARD\r\n");
    VCardImport import(tags, contacts);
    VCardImport::Result r = import.Run(file, VCardImport::Duplicates::SKIP);
    ASSERT_TRUE(r.stored) << r.error;
    EXPECT_EQ(r.imported, 1u);
    const wxString out = dir.Path() + "/out.vcf";
    ASSERT_TRUE(VCardExport::WriteSearch(out, SearchCondition(), contacts, tags, VCardVersion::V30).ok);
    contacts.condition.pageSize = -1;
    contacts.Search();
    ContactArray all;
    for (ContactInfoEx* c : contacts.contactList)
        all.Add(c);
    ASSERT_TRUE(VCardExport::WriteContacts(out, all, tags, VCardVersion::V30).ok);
    ASSERT_TRUE(contacts.DeleteContacts(all));
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 0);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(VCardTest, ImportIsOneBatchWithTagsDuplicatesAndSkippedCards)
{
    dir.Exec("insert into mst_tags (name, display_order) values ('work', 0);");
    dir.Exec("insert into contacts (last_name, first_name, email) values ('Known', 'Person', 'known@example.com');");
    const wxString file = dir.Path() + "/mixed.vcf";
    WriteFile(file, "junk before the first card\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;Ann;;;\r\nCATEGORIES:Friends,Work,work\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Broken;Bob;;;\r\n" // never ends
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Carla Diaz\r\nCATEGORIES:friends\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nEMAIL:nobody@example.com\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Other Name\r\nEMAIL:KNOWN@example.com\r\nEND:VCARD\r\n");
    VCardImport import(tags, contacts);
    VCardImport::Result r = import.Run(file, VCardImport::Duplicates::SKIP);
    ASSERT_TRUE(r.stored) << r.error;
    EXPECT_EQ(r.cards, 5u);
    EXPECT_EQ(r.imported, 2u);
    EXPECT_EQ(r.malformed, 1u);
    EXPECT_EQ(r.noName, 1u);
    EXPECT_EQ(r.duplicates, 1u) << "same e-mail, other letter case";
    EXPECT_EQ(VCardImport::Describe(r, "mixed.vcf"),
              "Imported 2 contacts from mixed.vcf. Skipped 3 cards: 1 matches an existing contact, 1 has no name, 1 "
              "is malformed.");
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags;"), 2) << "Friends created once, Work is work";
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_tag, contacts where contact_id = contacts.id and "
                            "last_name = 'Adams';"),
              2)
        << "each tag linked once";
    EXPECT_EQ(dir.Scalar("select first_name from contacts where last_name = 'Diaz';"), "Carla");

    // The same file again: everything known now is skipped, or imported anyway.
    r = import.Run(file, VCardImport::Duplicates::SKIP);
    EXPECT_EQ(r.imported, 0u);
    EXPECT_EQ(r.duplicates, 3u);
    r = import.Run(file, VCardImport::Duplicates::IMPORT);
    EXPECT_EQ(r.imported, 3u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 6);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(VCardTest, AFailingBatchStoresNothingAndTakesItsNewTagsBack)
{
    dir.Exec("create trigger refuse before insert on contacts when new.last_name = 'Boom' "
             "begin select raise(abort, 'refused'); end;");
    const wxString file = dir.Path() + "/fails.vcf";
    WriteFile(file, "BEGIN:VCARD\r\nN:Fine;Fay;;;\r\nCATEGORIES:Brand new\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nN:Boom;Bert;;;\r\nEND:VCARD\r\n");
    VCardImport import(tags, contacts);
    VCardImport::Result r = import.Run(file, VCardImport::Duplicates::IMPORT);
    EXPECT_FALSE(r.stored);
    EXPECT_EQ(r.imported, 0u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 0) << "all or nothing";
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags;"), 0) << "the new tag went again";
    EXPECT_TRUE(errors.messages.empty()) << "the one message is the import's own";
    EXPECT_NE(r.error.Find("refused"), wxNOT_FOUND) << r.error;
    EXPECT_EQ(VCardImport::Describe(r, "fails.vcf"), "Nothing was imported from fails.vcf: " + r.error + ".");
    EXPECT_EQ(r.error.Freq('\n'), 0) << "one line for the status";
}

TEST_F(VCardTest, AKilledImportLeavesNeitherContactsNorTags)
{
    const wxString file = dir.Path() + "/killed.vcf";
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Card" + std::to_string(i) + ";A;;;\r\nCATEGORIES:New " +
                std::to_string(i) + "\r\nEND:VCARD\r\n";
    WriteFile(file, text);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        // Killed while the third card is being stored.
        int pumped = 0;
        SetMessagePump(
            [&]
            {
                if (++pumped == 3)
                    raise(SIGKILL);
            });
        VCardImport import(tags, contacts);
        import.Run(file, VCardImport::Duplicates::IMPORT);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the import was not killed midway";
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 0);
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags;"), 0) << "no tag of the import is left";

    // The whole file afterwards: one transaction with the tags.
    VCardImport import(tags, contacts);
    VCardImport::Result r = import.Run(file, VCardImport::Duplicates::IMPORT);
    ASSERT_TRUE(r.stored) << r.error;
    EXPECT_EQ(r.imported, 5u);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_tag;"), 5);
    EXPECT_NE(tags.FindByName("New 4"), nullptr) << "the tag cache knows the new tags";
}

TEST_F(VCardTest, ExportReplacesTheFileWholeOrNotAtAll)
{
    for (int i = 0; i < 50; ++i)
        dir.Exec(wxString::Format("insert into contacts (last_name, first_name, comment) values ('N%d', 'G', '%s');", i,
                                  std::string(200, 'c')));
    const wxString target = dir.Path() + "/out.vcf";
    WriteFile(target, "old content");
    chmod(target.fn_str(), 0640);

    // A write that fails part of the way (the file size limit stands in for
    // a full disk): the old file stays, no temporary file is left.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    VCardExport::Result failed = VCardExport::WriteSearch(target, SearchCondition(), contacts, tags, VCardVersion::V30);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.empty());
    EXPECT_EQ(ReadFile(target), "old content");
    wxArrayString files;
    wxDir::GetAllFiles(dir.Path(), &files, "*out.vcf*", wxDIR_FILES);
    EXPECT_EQ(files.size(), 1u) << "no temporary file left";

    VCardExport::Result ok = VCardExport::WriteSearch(target, SearchCondition(), contacts, tags, VCardVersion::V40);
    ASSERT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(ok.written, 50u);
    const std::string text = ReadFile(target);
    EXPECT_EQ(text.compare(0, 24, "BEGIN:VCARD\r\nVERSION:4.0"), 0);
    struct stat info;
    stat(target.fn_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file's permissions";

    // A killed export's temporary file goes with the next export to that
    // file; other files stay.
    WriteFile(dir.Path() + "/.out.vcf.Ab12Cd", "half a card");
    WriteFile(dir.Path() + "/.out.vcf.notes", "mine");
    WriteFile(dir.Path() + "/.other.vcf.Ab12Cd", "another target's");
    ASSERT_TRUE(VCardExport::WriteSearch(target, SearchCondition(), contacts, tags, VCardVersion::V30).ok);
    EXPECT_FALSE(wxFileExists(dir.Path() + "/.out.vcf.Ab12Cd"));
    EXPECT_TRUE(wxFileExists(dir.Path() + "/.out.vcf.notes"));
    EXPECT_TRUE(wxFileExists(dir.Path() + "/.other.vcf.Ab12Cd"));

    const VCardExport::Result missing =
        VCardExport::WriteSearch(dir.Path() + "/missing/out.vcf", SearchCondition(), contacts, tags, VCardVersion::V30);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "the folder " + dir.Path() + "/missing does not exist") << "not that it cannot be written";
    EXPECT_FALSE(wxFileName::DirExists(dir.Path() + "/missing"));
}

TEST_F(VCardTest, ATagListThatCannotBeReadFailsTheImport)
{
    dir.Exec("insert into mst_tags (name, display_order) values ('Friends', 0);");
    const wxString file = dir.Path() + "/locked.vcf";
    WriteFile(file, "BEGIN:VCARD\r\nN:Adams;Ann;;;\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n");
    // Another program holds the book while the tags are read and lets go
    // before the import could make a tag.
    Database::SetBusyTimeout(200);
    wxSQLite3Database other;
    other.Open(dir.DbPath());
    std::thread release;
    VCardImport import(tags, contacts);
    import.onCard = [&](size_t) { if (release.joinable()) return;
    other.ExecuteUpdate("BEGIN EXCLUSIVE;");
    release = std::thread(
        [&]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            other.ExecuteUpdate("COMMIT;");
        });
};
VCardImport::Result r = import.Run(file, VCardImport::Duplicates::IMPORT);
if (release.joinable())
    release.join();
Database::SetBusyTimeout(2000);
EXPECT_FALSE(r.stored);
EXPECT_NE(r.error.Lower().Find("locked"), wxNOT_FOUND) << r.error;
EXPECT_TRUE(errors.messages.empty()) << "the one message is the import's own";
EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags;"), 1) << "no second Friends";
EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 0);
}
