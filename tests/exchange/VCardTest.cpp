// vCard import and export without windows: the round trip of the demo book,
// the batch that stores all or nothing, odd and hostile input, and an export
// that never leaves half a file.
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
#include "tests/support/TestEnv.h"
#include "tools/DatabaseBuilder.h"

namespace
{
wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

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

std::vector<VCardReader::Card> ReadText(const std::string& text)
{
    VCardReader reader;
    reader.OpenMemory(text.data(), text.size());
    std::vector<VCardReader::Card> cards;
    VCardReader::Card card;
    while (reader.Next(card))
        cards.push_back(std::move(card));
    return cards;
}

ContactInfoEx ReadOne(const std::string& properties)
{
    const std::string version = properties.compare(0, 8, "VERSION:") == 0 ? "" : "VERSION:3.0\r\n";
    auto cards = ReadText("BEGIN:VCARD\r\n" + version + properties + "END:VCARD\r\n");
    EXPECT_EQ(cards.size(), 1u);
    if (cards.empty() || !cards[0].contact)
        return ContactInfoEx();
    return *cards[0].contact;
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

TEST(VCardReader, OddAndHostileInputIsReadOrSkippedNeverFatal)
{
    // UTF-16 with a byte-order mark, as some Windows programs save.
    std::u16string wide = u"\uFEFFBEGIN:VCARD\r\nN:\u5C71\u7530;\u592A\u90CE\r\nEND:VCARD\r\n";
    std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    auto cards = ReadText(utf16);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].contact->last_name, U("\xE5\xB1\xB1\xE7\x94\xB0"));

    // 8-bit text that names no character set: Windows-1252.
    EXPECT_EQ(ReadOne("N:M\xFCller;J\xFCrgen\r\n").last_name, U("M\xC3\xBCller"));
    EXPECT_EQ(ReadOne("N:Probe;J\r\nNOTE:a\x81"
                      "b \xFC\r\n")
                  .comment,
              U("a\xC2\x81"
                "b \xC3\xBC"))
        << "a byte Windows-1252 leaves undefined is kept, not the value lost";
    // 2.1 values as raw bytes of the character set they name (old phones),
    // beside a UTF-8 value in the same card.
    ContactInfoEx sjis = ReadOne("VERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;\x91\xBE\x98\x59\r\n"
                                 "NOTE;CHARSET=UTF-8:caf\xC3\xA9\r\n");
    EXPECT_EQ(sjis.last_name, U("\xE5\xB1\xB1\xE7\x94\xB0"));
    EXPECT_EQ(sjis.first_name, U("\xE5\xA4\xAA\xE9\x83\x8E"));
    EXPECT_EQ(sjis.comment, U("caf\xC3\xA9"));
    EXPECT_EQ(ReadOne("VERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xFCller;J\r\n").last_name, U("M\xC3\xBCller"));
    // A quoted-printable value whose next line says END:VCARD.
    ContactInfoEx qp = ReadOne("VERSION:2.1\r\nN:Q;P\r\nNOTE;ENCODING=QUOTED-PRINTABLE:abc=\r\nEND:VCARD=\r\ndef\r\n");
    EXPECT_EQ(qp.comment, "abcEND:VCARDdef");
    // A 2.1 AGENT card inside a card is part of it.
    cards = ReadText("BEGIN:VCARD\r\nN:Boss;Betty\r\nAGENT:\r\nBEGIN:VCARD\r\nN:Helper;Hal\r\nEND:VCARD\r\n"
                     "END:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].contact->last_name, "Boss");

    // A line longer than any card, without a line end: skipped, bounded.
    std::string huge = "BEGIN:VCARD\r\nNOTE:" + std::string(VCardReader::MAX_CARD_SIZE + 10, 'x') +
                       "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:After;Al\r\nEND:VCARD\r\n";
    cards = ReadText(huge);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].result, VCardReader::CARD_TOO_LARGE);
    EXPECT_EQ(cards[1].contact->last_name, "After");

    // Nothing of a card, or a card of nothing.
    EXPECT_TRUE(ReadText("").empty());
    EXPECT_TRUE(ReadText("just some text\nwithout cards").empty());
    cards = ReadText("BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].result, VCardReader::CARD_MALFORMED) << "no property at all";
    EXPECT_EQ(cards[1].result, VCardReader::CARD_MALFORMED) << "the file ends inside a card";
}

TEST(VCardReader, EveryLineEndEncodingAndFoldedParameterIsRead)
{
    const std::string card = "BEGIN:VCARD#VERSION:3.0#N:Lee;Ann#TEL:555 0100#END:VCARD#";
    for (const char* end : {"\r\n", "\n", "\r", "\r\r\n"})
    {
        std::string text;
        for (int i = 0; i < 3; ++i)
            for (char c : card)
                text += c == '#' ? std::string(end) : std::string(1, c);
        auto cards = ReadText(text);
        ASSERT_EQ(cards.size(), 3u) << "line end " << testing::PrintToString(std::string(end));
        ASSERT_EQ(cards[2].result, VCardReader::CARD_OK);
        EXPECT_EQ(cards[2].contact->last_name, "Lee");
        EXPECT_EQ(cards[2].contact->home_phone, "555 0100") << "no CR left in the value";
    }

    // A stray NUL before the first line is no sign of UTF-16.
    std::string padded(1, '\0');
    for (int i = 0; i < 100; ++i)
        padded += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Card" + std::to_string(i) + ";A\r\nEND:VCARD\r\n";
    auto cards = ReadText(padded);
    ASSERT_EQ(cards.size(), 100u);
    EXPECT_EQ(cards[0].contact->last_name, "Card0");
    EXPECT_EQ(cards[99].contact->last_name, "Card99");
    // UTF-16 without a byte-order mark is still told by its first line.
    std::u16string wide = u"BEGIN:VCARD\r\nN:\u5C71\u7530;\u592A\u90CE\r\nEND:VCARD\r\n";
    std::string le(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    cards = ReadText(le);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].contact->last_name, U("\xE5\xB1\xB1\xE7\x94\xB0"));

    // A CHARSET that does not decode the bytes: the value falls back, and
    // the next property is still a property of its own.
    ContactInfoEx wrong = ReadOne("VERSION:2.1\r\nN:Probe;P\r\nNOTE;CHARSET=UTF-16:M\xFC"
                                  "ller\r\nTITLE:Chef\r\n");
    EXPECT_EQ(wrong.comment, U("M\xC3\xBCller"));
    EXPECT_EQ(wrong.job_title, "Chef");

    // A quoted parameter value folded before the colon, holding a colon, a
    // semicolon and a comma.
    ContactInfoEx folded = ReadOne("N:Schmidt;Eva\r\nTEL:0221 1234\r\n"
                                   "ADR;TYPE=home;LABEL=\"Heidestra\xC3\x9F"
                                   "e 17\\n51147 K\xC3\xB6ln; Tor:2, links\r\n \":;;Heidestra\xC3\x9F"
                                   "e 17;K\xC3\xB6ln;;51147;Deutschland\r\n");
    EXPECT_EQ(folded.home_phone, "0221 1234") << "the address is not glued onto the phone";
    EXPECT_EQ(folded.home_street, U("Heidestra\xC3\x9F"
                                    "e 17"));
    EXPECT_EQ(folded.home_street_2, U("51147 K\xC3\xB6ln"));
    EXPECT_EQ(folded.home_street_3, "Deutschland");
}

TEST(VCardMapping, UriNumbersEscapedCategoriesAndStructuredReadings)
{
    ContactInfoEx tel = ReadOne("VERSION:4.0\r\nN:Tremblay;Luc;;;\r\n"
                                "TEL;VALUE=uri;TYPE=work:tel:+1-418-262-6501;ext=102\r\n"
                                "TEL;VALUE=uri;TYPE=\"cell\":tel:+1-418-555-0199\r\n");
    EXPECT_EQ(tel.business_phone, "+1-418-262-6501 ext. 102");
    EXPECT_EQ(tel.home_mobile, "+1-418-555-0199");

    auto cards = ReadText("BEGIN:VCARD\r\nVERSION:3.0\r\nN:A;B\r\nCATEGORIES:Science\\, Research,B\\'C,Work\r\n"
                          "URL:http\\://example.com\r\nEND:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1u);
    ASSERT_EQ(cards[0].categories.size(), 3u) << wxJoin(cards[0].categories, '|');
    EXPECT_EQ(cards[0].categories[0], "Science, Research");
    EXPECT_EQ(cards[0].categories[1], "B'C") << "an escape 3.0 does not have loses its backslash";
    EXPECT_EQ(cards[0].categories[2], "Work");
    EXPECT_EQ(cards[0].contact->webpage, "http://example.com");

    // Readings as phones write them: structured like N.
    ContactInfoEx sound = ReadOne("VERSION:2.1\r\nN:\xE5\xAE\x89\xE8\x97\xA4;\xE3\x83\xAD\xE3\x82\xA4\xE3\x83\x89\r\n"
                                  "SOUND;X-IRMC-N:\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\xEF\xBD\xB3;"
                                  "\xEF\xBE\x9B\xEF\xBD\xB2\xEF\xBE\x84\xEF\xBE\x9E;;;\r\n");
    EXPECT_EQ(sound.last_name_alpha, U("\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\xEF\xBD\xB3"));
    EXPECT_EQ(sound.first_name_alpha, U("\xEF\xBE\x9B\xEF\xBD\xB2\xEF\xBE\x84\xEF\xBE\x9E"));
    ContactInfoEx phonetic = ReadOne("N:Ando;Roido\r\nX-PHONETIC-LAST-NAME:ando;roido\r\n");
    EXPECT_EQ(phonetic.last_name_alpha, "ando");
    EXPECT_EQ(phonetic.first_name_alpha, "roido");
    ContactInfoEx sortAs = ReadOne("VERSION:4.0\r\nN;SORT-AS=\"ando;roido\":Ando;Roido;;;\r\n");
    EXPECT_EQ(sortAs.last_name_alpha, "ando");
    EXPECT_EQ(sortAs.first_name_alpha, "roido");
}

TEST(VCardMapping, NamesBirthdaysAndMessengersReadAsAPersonWould)
{
    struct NameCase
    {
        const char* formatted;
        const char* family;
        const char* given;
    };
    for (const NameCase& n :
         {NameCase{"Ludwig van Beethoven", "van Beethoven", "Ludwig"},
          NameCase{"Smith, Anne Marie", "Smith", "Anne Marie"}, NameCase{"Dr. John Q. Public Jr.", "Public", "John Q."},
          NameCase{"\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E",
                   "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E", ""},
          NameCase{"Cher", "Cher", ""}})
    {
        ContactInfoEx c = ReadOne(std::string("FN:") + n.formatted + "\r\n");
        EXPECT_EQ(c.last_name, U(n.family)) << n.formatted;
        EXPECT_EQ(c.first_name, U(n.given)) << n.formatted;
    }
    EXPECT_EQ(ReadOne("FN:Acme Inc.\r\nORG:Acme Inc.\r\n").last_name, "Acme Inc.") << "a company card";

    EXPECT_EQ(ReadOne("N:A;B\r\nBDAY:1980-04-15T10:30:00Z\r\n").birthday.Format("%Y-%m-%d %H:%M"), "1980-04-15 10:30");
    EXPECT_EQ(ReadOne("N:A;B\r\nBDAY;VALUE=date:19800415\r\n").birthday.Format("%Y-%m-%d"), "1980-04-15");
    ContactInfoEx noYear = ReadOne("N:A;B\r\nBDAY:--0415\r\n");
    EXPECT_FALSE(noYear.birthday.IsValid());
    EXPECT_EQ(noYear.comment, "") << "no comment text either";
    EXPECT_EQ(wxJoin(noYear.keptProperties, '|'), "BDAY:--0415") << "kept for export and sync";
    ContactInfoEx apple = ReadOne("N:A;B\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-04-15\r\n");
    EXPECT_FALSE(apple.birthday.IsValid()) << "no year 1604";
    EXPECT_EQ(wxJoin(apple.keptProperties, '|'), "BDAY;X-APPLE-OMIT-YEAR=1604:1604-04-15");
    const std::string written = VCardMapping::FromContact(noYear, wxArrayString(), VCardVersion::V40);
    EXPECT_NE(written.find("\r\nBDAY:--0415\r\n"), std::string::npos) << written;
    noYear.birthday = wxDateTime(15, wxDateTime::Apr, 1980);
    const std::string typed = VCardMapping::FromContact(noYear, wxArrayString(), VCardVersion::V30);
    EXPECT_EQ(typed.find("BDAY:--0415"), std::string::npos) << "a birthday typed in replaces it";
    EXPECT_NE(typed.find("BDAY:1980-04-15"), std::string::npos) << typed;

    ContactInfoEx im = ReadOne("N:A;B\r\nIMPP;TYPE=work:xmpp:a@example.com\r\nX-JABBER;TYPE=WORK:a@example.com\r\n"
                               "X-SKYPE:bee\r\nTEL;TYPE=\"work,cell\":+1 555 0100\r\nX-GENDER:Female\r\n");
    EXPECT_EQ(im.business_im, "xmpp:a@example.com");
    EXPECT_EQ(im.business_im_2, "") << "the same account once";
    EXPECT_EQ(im.home_im, "skype:bee");
    EXPECT_EQ(im.business_mobile, "+1 555 0100") << "4.0 quoted type list";
    EXPECT_EQ(im.sex, 0);
}

TEST(VCardMapping, ExportFoldsAt75OctetsAndWritesNamesInTheirScriptsOrder)
{
    ContactInfoEx cjk;
    cjk.last_name = U("\xE5\xB1\xB1\xE7\x94\xB0");
    cjk.first_name = U("\xE5\xA4\xAA\xE9\x83\x8E");
    cjk.last_name_alpha = cjk.last_name;
    cjk.first_name_alpha = cjk.first_name;
    for (int i = 0; i < 70; ++i)
        cjk.comment += U("\xE6\xBC\xA2");
    cjk.comment += "x";
    for (VCardVersion version : {VCardVersion::V30, VCardVersion::V40})
    {
        const std::string text = VCardMapping::FromContact(cjk, wxArrayString(), version);
        EXPECT_NE(text.find(std::string("\r\nFN:\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E\r\n")),
                  std::string::npos)
            << text;
        for (size_t pos = 0; pos < text.size();)
        {
            const size_t end = text.find("\r\n", pos);
            ASSERT_NE(end, std::string::npos);
            const std::string line = text.substr(pos, end - pos);
            EXPECT_LE(line.size(), 75u) << line;
            EXPECT_TRUE(wxString::FromUTF8(line.data(), line.size()).length() > 0 || line.empty())
                << "a fold inside a UTF-8 sequence: " << line;
            pos = end + 2;
        }
        auto cards = ReadText(text);
        ASSERT_EQ(cards.size(), 1u);
        ASSERT_EQ(cards[0].result, VCardReader::CARD_OK);
        EXPECT_EQ(cards[0].contact->comment, cjk.comment) << "the folds read back whole";
    }

    ContactInfoEx latin;
    latin.last_name = latin.last_name_alpha = "Smith";
    latin.first_name = latin.first_name_alpha = "Anne";
    EXPECT_NE(VCardMapping::FromContact(latin, wxArrayString(), VCardVersion::V30).find("\r\nFN:Anne Smith\r\n"),
              std::string::npos);

    // Every card has a UID, the same on the next export of the same record.
    auto uid = [](const ContactInfoEx& c)
    {
        const std::string text = VCardMapping::FromContact(c, wxArrayString(), VCardVersion::V40);
        const size_t pos = text.find("\r\nUID:");
        return pos == std::string::npos ? std::string() : text.substr(pos + 6, text.find("\r\n", pos + 2) - pos - 6);
    };
    latin.id = 7;
    latin.entry_time = wxDateTime(1, wxDateTime::Feb, 2021, 9, 30);
    ContactInfoEx renamed = latin;
    renamed.last_name = "Jones";
    ContactInfoEx other = latin;
    other.id = 8;
    EXPECT_EQ(uid(latin).compare(0, 9, "urn:uuid:"), 0) << uid(latin);
    EXPECT_EQ(uid(latin).size(), 45u);
    EXPECT_EQ(uid(latin), uid(renamed)) << "a renamed contact is the same contact";
    EXPECT_NE(uid(latin), uid(other));
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
