// Two-way sync against real servers: both directions, properties the
// program does not map, each kind of edit and conflict, and syncs killed
// half-way.
#include "tests/sync/SyncFixture.h"

using namespace SyncTesting;

namespace
{
TEST_P(SyncTest, FirstSyncGoesBothWaysAndASecondOneOnlyAsks)
{
    Import("evolution.vcf");
    Import("outlook-2.1.vcf");
    Import("google-contacts-single.vcf");
    int n = 0;
    for (const char* file : {"google-contacts-list.vcf", "thunderbird-cardbook-4.0.vcf"})
    {
        for (const std::string& card : CardsOf(CORVALA_SOURCE_DIR "/tests/exchange/vcard/" + std::string(file)))
            Put("server-" + std::to_string(++n) + ".vcf", card);
    }
    // A card that names no one is skipped, as the import skips it, and counted.
    Put("noname.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:noname-1\r\nN:;;;;\r\nFN:\r\nEMAIL:x@example.org\r\n"
                      "END:VCARD\r\n");
    const int local = dir.ScalarInt("select count(*) from contacts");
    const SyncEngine::Report first = Sync();
    ASSERT_TRUE(first.ok) << first.reason;
    EXPECT_EQ(static_cast<size_t>(n), first.received);
    EXPECT_EQ(static_cast<size_t>(local), first.sent);
    EXPECT_EQ(local + n, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(1u, first.unreadable);
    EXPECT_NE(wxNOT_FOUND, first.Line("test").Find("1 card of the server could not be read"));
    DeleteOnServer("noname-1");
    EXPECT_EQ(ServerPeople(), LocalPeople());

    const SyncEngine::Report second = Sync();
    ASSERT_TRUE(second.ok) << second.reason;
    EXPECT_EQ(0u, second.received + second.sent + second.deletedHere + second.deletedThere);
    EXPECT_EQ(1u, second.requests) << "a sync with nothing to do asks once (sync-collection)";
    EXPECT_EQ(wxString("Synced with test: 0 received, 0 sent, 0 deleted here, 0 deleted there, 0 conflicts"),
              second.Line("test"));
}

TEST_P(SyncTest, TheAddressBookIsFoundFromTheServerAloneFollowingRedirects)
{
    const Discovery::Found found = Discovery::Run(*client, base);
    ASSERT_TRUE(found.ok) << found.reason;
    EXPECT_TRUE(
        std::any_of(found.books.begin(), found.books.end(), [&](const Discovery::Book& b) { return b.url == book; }))
        << found.books.front().url;
    // The well-known address redirects; discovery follows it the same way.
    const Dav::Response known = client->Propfind(base + ".well-known/carddav", 0, DavXml::PropfindDiscovery());
    EXPECT_TRUE(known.status == 301 || known.status == 302 || known.status == 207) << known.status;
    const Discovery::Found again = Discovery::Run(*client, base + ".well-known/carddav");
    ASSERT_TRUE(again.ok) << again.reason;
    EXPECT_EQ(found.books.size(), again.books.size());

    Dav::Settings wrong = settings;
    wrong.password = "not-it";
    Dav::Client refused(wrong);
    if (GetParam() == "radicale")
    {
        EXPECT_EQ(wxString("The server 127.0.0.1 refused the user name or password."),
                  Discovery::Run(refused, base).reason);
    }
}

TEST_P(SyncTest, ATokenTheServerForgotMeansOneFullReconciliation)
{
    Import("evolution.vcf");
    Put("p1.vcf", Person(1));
    SyncEngine::Report report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    Put("p2.vcf", Person(2));
    Adapter adapter;
    ASSERT_TRUE(SyncStore::SetToken(adapter, account.id, "http://radicale.org/ns/sync/0000000000"));
    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(1u, report.received);
    EXPECT_EQ(0u, report.sent);
    EXPECT_EQ(3, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
    // And the token it gave then is good again.
    report = Sync();
    EXPECT_EQ(1u, report.requests);
}

TEST_P(SyncTest, AnEditHereSendsBackEveryPropertyItDoesNotShow)
{
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:keep-1\r\nN:Lind;Maja;;;\r\nFN:Maja Lind\r\n"
                             "ORG:Fjord AB\r\nitem1.EMAIL;TYPE=INTERNET:maja@fjord.example\r\n"
                             "item1.X-ABLabel:_$!<Other>!$_\r\nitem2.X-ABDATE;TYPE=pref:2001-05-06\r\n"
                             "item2.X-ABLabel:_$!<Anniversary>!$_\r\n"
                             "X-SOCIALPROFILE;TYPE=twitter:https://social.example/maja\r\nNICKNAME:Mo\r\n"
                             "ADR;TYPE=HOME;X-FORMAT=se:;;Storgatan 1;Lund;;22350;Sweden\r\n"
                             "X-CUSTOM;X-PARAM=\"a,b\":value\\, with comma\r\nEND:VCARD\r\n";
    Put("maja.vcf", card);
    ASSERT_TRUE(Sync().ok);
    // The card as the server keeps it (servers rewrite some of it).
    const std::string stored = Unfold(ServerCards().begin()->second);
    dir.Exec("update contacts set company = 'Fjord Group' where last_name = 'Lind'");
    const SyncEngine::Report sent = Sync();
    ASSERT_TRUE(sent.ok) << sent.reason;
    EXPECT_EQ(1u, sent.sent);
    const std::string now = Unfold(ServerCards().begin()->second);
    EXPECT_NE(std::string::npos, now.find("ORG:Fjord Group")) << now;
    EXPECT_NE(std::string::npos, stored.find("X-CUSTOM;X-PARAM=\"a,b\":value\\, with comma")) << stored;
    size_t line = 0;
    for (size_t end; (end = stored.find('\n', line)) != std::string::npos; line = end + 1)
    {
        const std::string text = stored.substr(line, end - line);
        if (text.compare(0, 4, "ORG:") != 0)
        {
            EXPECT_NE(std::string::npos, now.find(text + "\n")) << "lost: " << text << "\n" << now;
        }
    }
}

TEST_P(SyncTest, EditsMergeFieldByFieldAndAnEditBeatsADelete)
{
    for (int i = 1; i <= 4; ++i)
        Put("p" + std::to_string(i) + ".vcf", Person(i));
    ASSERT_TRUE(Sync().ok);

    // One side each, and both sides in different fields of one card.
    dir.Exec("update contacts set company = 'Here Inc' where last_name = 'Person001'");
    EditOnServer("Person002", "FN:Pat Person002\n", "FN:Pat Person002\nTITLE:Captain\n");
    dir.Exec("update contacts set company = 'Both Ltd' where last_name = 'Person003'");
    EditOnServer("Person003", "FN:Pat Person003\n", "FN:Pat Person003\nTITLE:Pilot\n");
    SyncEngine::Report report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(0u, report.conflicts);
    EXPECT_EQ("Captain", dir.Scalar("select job_title from contacts where last_name = 'Person002'"));
    EXPECT_EQ("Pilot", dir.Scalar("select job_title from contacts where last_name = 'Person003'"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
    EXPECT_NE(std::string::npos, LocalPeople().find("Person003|Pat|Both Ltd|pat003@example.org|Pilot"));

    // The same field on both sides: this computer's value stays on both,
    // the server's is kept in the contact's history.
    dir.Exec("update contacts set company = 'Mine' where last_name = 'Person001'");
    EditOnServer("Person001", "ORG:Here Inc", "ORG:Theirs");
    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(1u, report.conflicts);
    EXPECT_EQ(ServerPeople(), LocalPeople());
    EXPECT_NE(std::string::npos, LocalPeople().find("Person001|Pat|Mine|"));
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from contact_history h join contacts c on c.id = h.contact_id "
                               "where c.last_name = 'Person001' and h.comment like '%Theirs%'"));

    // Edited on one side, deleted on the other: the edit wins both ways.
    dir.Exec("update contacts set company = 'Still Here' where last_name = 'Person002'");
    ASSERT_TRUE(client->Request("DELETE", Dav::Resolve(book, HrefWith("Person002")), {}, "").Ok());
    EditOnServer("Person004", "FN:Pat Person004\n", "FN:Pat Person004\nTITLE:Survivor\n");
    {
        ContactManager contacts;
        ContactArray gone;
        std::unique_ptr<ContactInfoEx> four =
            contacts.ReadSynced(dir.ScalarInt("select id from contacts where last_name = 'Person004'"));
        ASSERT_TRUE(four);
        gone.Add(four.get());
        ASSERT_TRUE(contacts.DeleteContacts(gone));
    }
    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(0u, report.deletedHere + report.deletedThere);
    EXPECT_EQ(4, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
    EXPECT_NE(std::string::npos, LocalPeople().find("Person002|Pat|Still Here|"));
    EXPECT_NE(std::string::npos, LocalPeople().find("Survivor"));

    // A plain delete on each side goes across.
    ASSERT_TRUE(client->Request("DELETE", Dav::Resolve(book, HrefWith("Person003")), {}, "").Ok());
    dir.Exec("delete from contacts where last_name = 'Person001'");
    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(1u, report.deletedHere);
    EXPECT_EQ(1u, report.deletedThere);
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from trash_contacts where last_name = 'Person003'"));

    // A contact restored from the deleted ones is sent again.
    {
        ContactManager contacts;
        ASSERT_TRUE(
            contacts.RestoreContacts({dir.ScalarInt("select id from trash_contacts where last_name = 'Person003'")}));
    }
    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(1u, report.sent);
    EXPECT_EQ(3u, ServerCards().size());
    EXPECT_EQ(ServerPeople(), LocalPeople());
}

TEST_P(SyncTest, TheSamePersonOnBothSidesIsLinkedAndContactsKeptHereStayHere)
{
    Put("p1.vcf", Person(1));
    {
        ContactManager contacts;
        ContactInfoEx same; // the server's Pat Person001, without a UID, with a company
        same.last_name = same.last_name_alpha = "Person001";
        same.first_name = same.first_name_alpha = "Pat";
        same.email = "pat001@example.org";
        same.company = "Local Co";
        contacts.Insert(&same);
        ContactInfoEx mine;
        mine.last_name = mine.last_name_alpha = "Private";
        mine.first_name = mine.first_name_alpha = "Only";
        contacts.Insert(&mine);
    }
    const SyncEngine::Report report = Sync(SyncEngine::FirstSync::KEEP_LOCAL);
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contacts")) << "linked, not doubled";
    EXPECT_EQ(1u, ServerCards().size()) << "the contact kept here stays here";
    EXPECT_NE(std::string::npos, ServerPeople().find("Person001|Pat|Local Co|pat001@example.org|"));
    EXPECT_EQ(wxNOT_FOUND, wxString::FromUTF8(ServerPeople()).Find("Private"));
    // A contact made after the first sync goes to the server.
    {
        ContactManager contacts;
        ContactInfoEx later;
        later.last_name = later.last_name_alpha = "Later";
        contacts.Insert(&later);
    }
    ASSERT_TRUE(Sync().ok);
    EXPECT_EQ(2u, ServerCards().size());
}

TEST_P(SyncTest, ASyncKilledAnywhereIsFinishedByTheNextWithNothingDoubledOrLost)
{
    for (int i = 1; i <= 120; ++i)
        Put("p" + std::to_string(i) + ".vcf", Person(i));
    Import("google-contacts-list.vcf");
    Import("evolution.vcf");
    std::string out;
    // Killed while taking in the cards (after the second batch arrived).
    EXPECT_EQ(128 + SIGKILL, Tool("sync --password-stdin", password, &out, "CORVALA_TEST_KILL_AFTER=REPORT:3")) << out;
    // Killed between a PUT and recording its ETag.
    EXPECT_EQ(128 + SIGKILL, Tool("sync --password-stdin", password, &out, "CORVALA_TEST_KILL_AFTER=PUT:2")) << out;
    ASSERT_EQ(0, Tool("sync --password-stdin", password, &out)) << out;
    EXPECT_EQ(124, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(124u, ServerCards().size());
    EXPECT_EQ(ServerPeople(), LocalPeople());

    // Killed during deletes, and during an edit's PUT.
    dir.Exec("delete from contacts where last_name like 'Person00%'");
    dir.Exec("update contacts set company = 'After' where last_name = 'Person050'");
    EXPECT_EQ(128 + SIGKILL, Tool("sync --password-stdin", password, &out, "CORVALA_TEST_KILL_AFTER=DELETE:4")) << out;
    ASSERT_EQ(0, Tool("sync --password-stdin", password, &out)) << out;
    EXPECT_EQ(115, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
    EXPECT_NE(std::string::npos, ServerPeople().find("Person050|Pat|After|"));
    ASSERT_EQ(0, Tool("sync --password-stdin", password, &out)) << out;
    EXPECT_NE(std::string::npos, out.find(": 0 received, 0 sent, 0 deleted here, 0 deleted there")) << out;
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncTest, testing::Values("radicale", "xandikos"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
} // namespace
