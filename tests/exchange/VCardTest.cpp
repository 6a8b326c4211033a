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
#include <thread>
#include <vector>

#include "exchange/VCardExport.h"
#include "exchange/VCardImport.h"
#include "exchange/VCardReader.h"
#include "storage/Adapter.h"
#include "storage/ContactAdapter.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/DbValues.h"
#include "storage/SearchCondition.h"
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
    dir.Exec("delete from contacts; delete from contact_tag; delete from mst_tags; delete from contact_history;");
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
    EXPECT_EQ(noYear.comment, "Birthday: 04/15") << "month/day, as dates are shown without their year";
    EXPECT_FALSE(ReadOne("N:A;B\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-04-15\r\n").birthday.IsValid());

    ContactInfoEx im = ReadOne("N:A;B\r\nIMPP;TYPE=work:xmpp:a@example.com\r\nX-JABBER;TYPE=WORK:a@example.com\r\n"
                               "X-SKYPE:bee\r\nTEL;TYPE=\"work,cell\":+1 555 0100\r\nX-GENDER:Female\r\n");
    EXPECT_EQ(im.business_im, "xmpp:a@example.com");
    EXPECT_EQ(im.business_im_2, "") << "the same account once";
    EXPECT_EQ(im.home_im, "skype:bee");
    EXPECT_EQ(im.business_mobile, "+1 555 0100") << "4.0 quoted type list";
    EXPECT_EQ(im.sex, 0);
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
