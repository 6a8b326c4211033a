// Database failures: every failed unit of work (a search, a save, a batch) is
// reported exactly once, the operation goes on with no rows, nothing crashes
// and nothing is lost.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/DbValues.h"
#include "storage/HistoryManager.h"
#include "storage/LegacyText.h"
#include "storage/StorageHooks.h"
#include "storage/TagManager.h"
#include "storage/UnitOfWork.h"
#include "tests/storage/StorageTestUtil.h"

TEST(StorageFailure, MissingDataFolderIsReportedOncePerActionWithoutCrashing)
{
    TempWorkDir dir(false);
    ErrorRecorder errors;
    ContactManager contacts;
    contacts.Search();
    EXPECT_EQ(errors.messages.size(), 1u) << "count and page statement fail: one search, one report";
    EXPECT_EQ(SuppressedReports(), 0) << "the open failed once, not once per statement";
    EXPECT_TRUE(contacts.contactList.IsEmpty());
    EXPECT_EQ(contacts.currentContact, nullptr);
    contacts.GetStatistics();
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(SuppressedReports(), 0) << "four counts, one failed open";
    EXPECT_EQ(contacts.statistics.total, 0);

    ContactInfoEx contact;
    contact.tagIds.Add(1);
    errors.messages.clear();
    EXPECT_EQ(contacts.InsertRecord(&contact), 0);
    EXPECT_EQ(contact.id, -1);
    EXPECT_EQ(errors.messages.size(), 1u) << "the failed insert only; nothing is linked";

    TagManager tags;
    tags.Load();
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_FALSE(wxFileName::DirExists(dir.Path() + "/data")) << "nothing was created";
}

TEST(StorageFailure, AnEmptyDatabaseFileReportsTheMissingTable)
{
    TempWorkDir dir(false);
    ErrorRecorder errors;
    wxMkdir(dir.Path() + "/data");
    TagManager tags;
    tags.Load();
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].Find("no such table"), wxNOT_FOUND) << errors.messages[0];
    EXPECT_TRUE(tags.GetTagMap().empty());
}

class StorageFailureTest : public CorvalaTest
{
};

TEST_F(StorageFailureTest, AMissingTableFailsOnlyItsOwnStatements)
{
    SeedContacts(dir, 3);
    dir.Exec("insert into contact_tag values (1, 7);");
    dir.Exec("drop table contact_history;");
    ContactManager contacts;
    contacts.Search();
    EXPECT_EQ(errors.messages.size(), 1u) << "three failed history counts, one search: one report";
    ASSERT_EQ(contacts.contactList.GetCount(), 3u) << "the page is still built";
    EXPECT_EQ(contacts.contactList[2]->tagIds.GetCount(), 1u);
    EXPECT_EQ(contacts.contactList[2]->historyCount, 0);

    errors.messages.clear();
    contacts.Delete(contacts.contactList[0]);
    EXPECT_EQ(errors.messages.size(), 1u) << "the history delete and the reload's history counts: one report";
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 2) << "the other deletes went on";
}

TEST_F(StorageFailureTest, NullsWrittenByAnotherToolReadAsEmptyZeroAndInvalid)
{
    dir.Exec("insert into contacts (id) values (42);");
    dir.Exec("insert into mst_tags (id) values (5);");
    ContactManager contacts;
    contacts.Search();
    ASSERT_EQ(contacts.contactList.GetCount(), 1u);
    const ContactInfoEx* c = contacts.contactList[0];
    EXPECT_EQ(c->id, 42);
    EXPECT_EQ(c->last_name, "");
    EXPECT_EQ(c->webpage_2, "");
    EXPECT_EQ(c->comment, "");
    EXPECT_EQ(c->sex, 0);
    EXPECT_FALSE(c->birthday.IsValid());
    EXPECT_FALSE(c->entry_time.IsValid());
    EXPECT_EQ(c->entry_user_id, 0);
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_TRUE(contacts.GetBirthdayContacts(0).IsEmpty()) << "no month for an unknown birthday";

    dir.Exec("update contacts set birthday='not a date', entry_time='2010-01-15' where id=42;");
    contacts.condition.changed = true;
    contacts.Search();
    EXPECT_FALSE(contacts.contactList[0]->birthday.IsValid());
    EXPECT_EQ(contacts.contactList[0]->entry_time, wxDateTime(15, wxDateTime::Jan, 2010));

    TagManager tags;
    tags.Load();
    ASSERT_NE(tags.FindById(5), nullptr);
    EXPECT_EQ(tags.FindById(5)->name, "");
}

TEST_F(StorageFailureTest, AReadOnlyDatabaseRefusesWritesAndKeepsItsData)
{
    SeedContacts(dir, 2);
    {
        // A write version above 2 in the header makes SQLite open the file
        // read-only, for every user including root.
        wxFFile file(dir.DbPath(), "r+b");
        ASSERT_TRUE(file.IsOpened());
        file.Seek(18);
        const unsigned char version = 3;
        file.Write(&version, 1);
    }
    ContactManager contacts;
    contacts.Search();
    EXPECT_TRUE(errors.messages.empty());
    ASSERT_EQ(contacts.contactList.GetCount(), 2u);

    ContactInfoEx contact;
    contacts.Insert(&contact);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(contact.id, -1);
    contacts.Delete(contacts.contactList[0]);
    EXPECT_EQ(errors.messages.size(), 2u) << "the three failed deletes of one contact: one report";
    EXPECT_EQ(contacts.contactList.GetCount(), 2u) << "nothing was lost";
}

TEST_F(StorageFailureTest, ALockedDatabaseIsReportedAndNothingIsLost)
{
    SeedContacts(dir, 4);
    ContactManager contacts;
    TagManager tags;
    Database::SetBusyTimeout(50);
    {
        wxSQLite3Database other;
        other.Open(dir.DbPath());
        other.ExecuteUpdate("BEGIN EXCLUSIVE;");
        contacts.Search();
        EXPECT_EQ(errors.messages.size(), 1u);
        EXPECT_TRUE(contacts.contactList.IsEmpty());
        TagInfo tag(-1, "Locked");
        EXPECT_EQ(tags.Insert(&tag), 0);
        EXPECT_EQ(errors.messages.size(), 2u) << "the insert and its read-back: one report";
        other.ExecuteUpdate("COMMIT;");
        other.Close();
    }
    Database::SetBusyTimeout(2000);
    contacts.condition.changed = true;
    contacts.Search();
    EXPECT_EQ(contacts.totalCount, 4);

    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 4);
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags;"), 0);
}

TEST_F(StorageFailureTest, EveryOpenFollowsTheCurrentWorkingDirectory)
{
    SeedContacts(dir, 2);
    TempWorkDir second; // changes the working directory
    SeedContacts(second, 5);
    ContactManager contacts;
    contacts.Search();
    EXPECT_EQ(contacts.totalCount, 5);
}

TEST_F(StorageFailureTest, DatesReadAsSQLiteItselfReadsThem)
{
    for (const char* text :
         {"2010-01-15 09:30:00", "2010-01-15 09:30", "2010-01-15", "2010-01-15T09:30:00Z", "2010-01-15T09:30:00.250",
          "2010-01-15 09:30:00.123456", "2010-01-15T23:30:00-02:00", "2010-01-15 09:30:00 +05:30", "2010-02-30",
          "2010-01-15 24:00", "09:30:15", "2455211.89583333", " 2455211.5 ", "1980-05-05T00:00Z  "})
    {
        const wxString expected =
            dir.Scalar(wxString::Format("select strftime('%%Y-%%m-%%d %%H:%%M:%%f', julianday('%s'));", text));
        ASSERT_FALSE(expected.empty()) << text;
        const wxDateTime parsed = ParseDbTime(text);
        ASSERT_TRUE(parsed.IsValid()) << text;
        EXPECT_EQ(parsed.Format("%Y-%m-%d %H:%M:%S.%l").utf8_string(), expected.utf8_string()) << text;
    }
    for (const char* text : {"15/01/2010", "2010-13-01", "2010-1-5", "now", "", "2010-01-15 9:30", "-5"})
        EXPECT_FALSE(ParseDbTime(text).IsValid()) << text;
}

TEST_F(StorageFailureTest, ForeignTextDatesAndValuesSurviveAnEditThatDoesNotTouchThem)
{
    // Another tool's row: Latin-1 bytes, UTF-8 cut inside a character, dates
    // in other forms (one SQLite cannot read either), NULLs, an unknown sex,
    // a sex stored as text.
    dir.Exec("insert into contacts (id, last_name, first_name, company, birthday, entry_time, latest_update_user_id, "
             "sex, email, comment, job_title) values (7, CAST(X'4DFC6C6C6572' AS TEXT), 'J' || CAST(X'FC' AS TEXT) "
             "|| 'rgen', 5551234, '1980-05-05T10:30:00.250Z', 2455211.5, NULL, 2, NULL, "
             "CAST(X'E794B0E4B8' AS TEXT), 'old');"
             "insert into contacts (id, last_name, birthday, sex) values (8, 'Day', '15/01/2010', 'M');");
    const wxString columns = "hex(last_name) || typeof(last_name) || hex(first_name) || company || "
                             "birthday || typeof(entry_time) || entry_time || ifnull(latest_update_user_id, 'null') || "
                             "sex || ifnull(email, 'null') || hex(comment) || typeof(comment)";
    const wxString before7 = dir.Scalar("select " + columns + " from contacts where id = 7;");
    const wxString before8 = dir.Scalar("select birthday || typeof(sex) || sex from contacts where id = 8;");

    ContactManager contacts;
    contacts.Search();
    ASSERT_EQ(contacts.contactList.GetCount(), 2u);
    ContactInfoEx* c = contacts.contactList[0]->id == 7 ? contacts.contactList[0] : contacts.contactList[1];
    ContactInfoEx* d = contacts.contactList[0]->id == 8 ? contacts.contactList[0] : contacts.contactList[1];
    EXPECT_EQ(c->last_name, wxString::FromUTF8("M\xC3\xBCller")) << "read leniently, not as empty";
    EXPECT_EQ(c->first_name, wxString::FromUTF8("J\xC3\xBCrgen"));
    EXPECT_EQ(c->company, "5551234");
    EXPECT_EQ(c->birthday.Format("%Y-%m-%d %H:%M:%S.%l"), "1980-05-05 10:30:00.250");
    EXPECT_EQ(c->entry_time.Format(DB_TIME_FORMAT), "2010-01-15 00:00:00") << "a Julian day number";
    EXPECT_EQ(c->sex, 2);
    EXPECT_EQ(c->comment, wxString::FromUTF8("\xE7\x94\xB0\xC3\xA4\xC2\xB8"))
        << "the whole character, then the cut bytes";
    EXPECT_FALSE(d->birthday.IsValid()) << "a form SQLite does not read either";

    c->job_title = "new title";
    contacts.Update(c);
    d->comment = "touched";
    contacts.Update(d);
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(dir.Scalar("select " + columns + " from contacts where id = 7;").utf8_string(), before7.utf8_string())
        << "every field the edit did not touch is stored exactly as it was";
    EXPECT_EQ(dir.Scalar("select job_title from contacts where id = 7;"), "new title");
    EXPECT_EQ(dir.Scalar("select birthday || typeof(sex) || sex from contacts where id = 8;"), before8);

    // A field the user did change is written the program's way.
    c->last_name = "Mueller";
    c->birthday = wxDateTime(5, wxDateTime::May, 1980);
    contacts.Update(c);
    EXPECT_EQ(dir.Scalar("select last_name || '|' || birthday from contacts where id = 7;"),
              "Mueller|1980-05-05 00:00:00");
}

TEST(LegacyText, NamedCharsetsDecodeStrictlyOrLenientlyAsTheCallerAsks)
{
    wxString text;
    EXPECT_TRUE(LegacyText::Decode("\x8E\x52\x93\x63", 4, wxString("Shift_JIS"), text));
    EXPECT_EQ(text, wxString::FromUTF8("\xE5\xB1\xB1\xE7\x94\xB0"));
    // A name iconv does not know, but the toolkit does.
    EXPECT_TRUE(LegacyText::Decode("\x80", 1, wxString("windows1252"), text)) << "found by another of its names";
    EXPECT_EQ(text, wxString::FromUTF8("\xE2\x82\xAC"));
    EXPECT_TRUE(LegacyText::Decode("\xFC", 1, wxFONTENCODING_ISO8859_1, text));
    EXPECT_EQ(text, wxString::FromUTF8("\xC3\xBC"));
    EXPECT_FALSE(LegacyText::Decode("x", 1, wxString("no-such-charset"), text));
    EXPECT_FALSE(LegacyText::Decode("a\x81", 2, wxString("windows-1252"), text)) << "undefined in Windows-1252";
    EXPECT_FALSE(LegacyText::Decode("\x8E", 1, wxString("Shift_JIS"), text)) << "ends inside a character";
    EXPECT_TRUE(text.empty());

    // Streamed: a character split between two pieces, and a shift state
    // that lasts from one piece to the next.
    LegacyText::Utf8Stream sjis;
    ASSERT_TRUE(sjis.Open(wxString("Shift_JIS")));
    std::string utf8;
    EXPECT_TRUE(sjis.Convert("\x8E", 1, false, utf8));
    EXPECT_TRUE(sjis.Convert("\x52", 1, true, utf8));
    EXPECT_EQ(utf8, "\xE5\xB1\xB1");
    LegacyText::Utf8Stream jis;
    ASSERT_TRUE(jis.Open(wxString("ISO-2022-JP")));
    utf8.clear();
    EXPECT_TRUE(jis.Convert("\x1B$B", 3, false, utf8));
    EXPECT_TRUE(jis.Convert("\x3B\x33", 2, false, utf8));
    EXPECT_TRUE(jis.Convert("\x1B(B", 3, true, utf8));
    EXPECT_EQ(utf8, "\xE5\xB1\xB1");

    // Every byte a character: UTF-8 where it is, Windows-1252 elsewhere.
    EXPECT_EQ(LegacyText::DecodeUtf8OrWindows1252("\xC3\xBC\xFC\x80\x81\0", 6),
              wxString::FromUTF8("\xC3\xBC\xC3\xBC\xE2\x82\xAC\xC2\x81\xEF\xBF\xBD"));
}
