// Two-way sync against real servers (radicale and xandikos, started on
// 127.0.0.1 by with_servers.sh): both directions, properties the program
// does not map, each kind of edit and conflict, syncs killed half-way, and
// the failures a user meets.
#include <gtest/gtest.h>
#include <wx/ffile.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <thread>

#include "exchange/VCardImport.h"
#include "storage/Adapter.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/SyncStore.h"
#include "storage/TagManager.h"
#include "sync/CardMerge.h"
#include "sync/DavClient.h"
#include "sync/DavXml.h"
#include "sync/Discovery.h"
#include "sync/SyncEngine.h"
#include "tests/support/TestEnv.h"

namespace
{
std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ReadFile(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb"))
    {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// A card's text with LF line ends (XML answers carry no CR) and unfolded.
std::string Unfold(std::string text)
{
    for (size_t at; (at = text.find('\r')) != std::string::npos;)
        text.erase(at, 1);
    for (size_t at; (at = text.find("\n ")) != std::string::npos;)
        text.erase(at, 2);
    return text;
}

std::vector<std::string> CardsOf(const std::string& file)
{
    std::vector<std::string> cards;
    const std::string text = ReadFile(file);
    for (size_t at = text.find("BEGIN:VCARD"); at != std::string::npos; at = text.find("BEGIN:VCARD", at + 1))
    {
        const size_t end = text.find("END:VCARD", at);
        cards.push_back(text.substr(at, end + 9 - at) + "\r\n");
    }
    return cards;
}

std::string Person(int i)
{
    char card[256];
    std::snprintf(card, sizeof card,
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:person-%03d\r\nN:Person%03d;Pat;;;\r\nFN:Pat Person%03d\r\n"
                  "EMAIL;TYPE=INTERNET:pat%03d@example.org\r\nEND:VCARD\r\n",
                  i, i, i, i);
    return card;
}

int runs = 0;

class SyncTest : public CorvalaTest, public testing::WithParamInterface<std::string>
{
protected:
    void SetUp() override
    {
        base = Env(GetParam() == "radicale" ? "CORVALA_TEST_RADICALE" : "CORVALA_TEST_XANDIKOS");
        ASSERT_FALSE(base.empty()) << "run through tests/sync/with_servers.sh";
        password = Env("CORVALA_TEST_PASSWORD");
        settings.user = Env("CORVALA_TEST_USER");
        settings.password = password;
        client = std::make_unique<Dav::Client>(settings);
        book = NewBook();
        account.name = "test";
        account.url = wxString::FromUTF8(base);
        account.user = wxString::FromUTF8(settings.user);
        account.book = wxString::FromUTF8(book);
        Adapter adapter;
        ASSERT_TRUE(SyncStore::SaveAccount(adapter, account));
    }

    std::string NewBook()
    {
        const std::string home = base + (GetParam() == "radicale" ? settings.user + "/" : "user/contacts/");
        const std::string url = home + "book-" + std::to_string(getpid()) + "-" + std::to_string(++runs) + "/";
        const Dav::Response made = client->Request(
            "MKCOL", url, {"Content-Type: application/xml"},
            "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set>"
            "<d:prop><d:resourcetype><d:collection/><c:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>");
        EXPECT_EQ(201, made.status) << made.body;
        return url;
    }

    SyncEngine::Report Sync(SyncEngine::FirstSync first = SyncEngine::FirstSync::UPLOAD)
    {
        ContactManager contacts;
        TagManager tags;
        SyncEngine engine(contacts, tags);
        SyncEngine::Options options;
        options.password = password;
        options.first = first;
        Adapter adapter;
        SyncStore::FindAccount(adapter, "test", account);
        return engine.Run(account, options);
    }

    void Put(const std::string& name, std::string card)
    {
        // Some servers want a UID in every card.
        if (card.find("\nUID:") == std::string::npos)
            card.insert(card.find('\n') + 1, "UID:" + name + "\r\n");
        const Dav::Response put = client->Request("PUT", book + name, {"Content-Type: text/vcard"}, card);
        ASSERT_TRUE(put.Ok()) << put.status << " " << put.body;
    }

    // Every card on the server, by href.
    std::map<std::string, std::string> ServerCards()
    {
        std::map<std::string, std::string> cards;
        const Dav::Response list = client->Propfind(book, 1, DavXml::PropfindEtags());
        std::vector<std::string> hrefs;
        for (const DavXml::Item& item : DavXml::Parse(list.body).items)
        {
            if (!item.collection && item.found)
                hrefs.push_back(item.href);
        }
        if (hrefs.empty())
            return cards;
        const Dav::Response got = client->Report(book, 1, DavXml::Multiget(hrefs));
        for (const DavXml::Item& item : DavXml::Parse(got.body).items)
            cards[item.href] = item.card;
        return cards;
    }

    // The href of the server card whose text holds the given words.
    std::string HrefWith(const std::string& words)
    {
        for (const auto& [href, card] : ServerCards())
        {
            if (Unfold(card).find(words) != std::string::npos)
                return href;
        }
        return "";
    }

    // Another device's edit: the card changed on the server.
    void EditOnServer(const std::string& words, const std::string& from, const std::string& to)
    {
        const std::string href = HrefWith(words);
        ASSERT_FALSE(href.empty()) << words;
        const std::string url = Dav::Resolve(book, href);
        const Dav::Response got = client->Request("GET", url, {}, "");
        std::string card = Unfold(got.body);
        const size_t at = card.find(from);
        ASSERT_NE(std::string::npos, at) << card;
        card.replace(at, from.size(), to);
        for (size_t n = 0; (n = card.find('\n', n)) != std::string::npos; n += 2)
            card.insert(n, "\r");
        const Dav::Response put =
            client->Request("PUT", url, {"Content-Type: text/vcard", "If-Match: " + got.Header("etag")}, card);
        ASSERT_TRUE(put.Ok()) << put.status;
    }

    // One line per person, sorted, on either side: equal means in step.
    std::string ServerPeople()
    {
        std::vector<std::string> rows;
        for (const auto& [href, card] : ServerCards())
        {
            CardMerge::Side side;
            EXPECT_TRUE(CardMerge::FromCard(card, side)) << card;
            const ContactInfoEx& c = side.contact;
            rows.push_back(
                (c.last_name + "|" + c.first_name + "|" + c.company + "|" + c.email + "|" + c.job_title).utf8_string());
        }
        std::sort(rows.begin(), rows.end());
        std::string all;
        for (const std::string& row : rows)
            all += row + "\n";
        return all;
    }

    std::string LocalPeople()
    {
        const wxString rows =
            dir.Scalar("select group_concat(x, char(10)) || char(10) from (select ifnull(last_name,'') || '|' || "
                       "ifnull(first_name,'') || '|' || ifnull(company,'') || '|' || ifnull(email,'') || '|' || "
                       "ifnull(job_title,'') as x from contacts order by x)");
        return rows.utf8_string();
    }

    void Import(const char* file)
    {
        ContactManager contacts;
        TagManager tags;
        VCardImport import(tags, contacts);
        const VCardImport::Result result =
            import.Run(wxString(CORVALA_SOURCE_DIR "/tests/exchange/vcard/") + file, VCardImport::Duplicates::IMPORT);
        ASSERT_TRUE(result.stored) << file << " " << result.error;
    }

    // The database tool, as a script runs it; returns its exit status.
    int Tool(const std::string& args, const std::string& input, std::string* output = nullptr,
             const std::string& env = "")
    {
        const std::string out = dir.Path().utf8_string() + "/tool.out";
        const std::string command = "printf '%s\\n' '" + input + "' | " + env + " " CORVALA_DB_TOOL " --db " +
                                    dir.DbPath().utf8_string() + " " + args + " >" + out + " 2>&1";
        const int status = std::system(command.c_str());
        if (output)
            *output = ReadFile(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string base;
    std::string password;
    Dav::Settings settings;
    std::unique_ptr<Dav::Client> client;
    std::string book;
    SyncStore::Account account;
};

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
    const int local = dir.ScalarInt("select count(*) from contacts");
    const SyncEngine::Report first = Sync();
    ASSERT_TRUE(first.ok) << first.reason;
    EXPECT_EQ(static_cast<size_t>(n), first.received);
    EXPECT_EQ(static_cast<size_t>(local), first.sent);
    EXPECT_EQ(local + n, dir.ScalarInt("select count(*) from contacts"));
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

// A server that takes the connection and closes it without a word, as one
// that dies in the middle of a sync does.
class DyingServer
{
public:
    DyingServer()
    {
        socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(socket, 8);
        socklen_t length = sizeof address;
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        thread = std::thread(
            [this]
            {
                while (!stop)
                {
                    const int peer = ::accept(socket, nullptr, nullptr);
                    if (peer >= 0)
                        ::close(peer);
                }
            });
    }
    ~DyingServer()
    {
        stop = true;
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
        thread.join();
    }
    int port = 0;

private:
    int socket = -1;
    std::atomic<bool> stop{false};
    std::thread thread;
};

class SyncFailureTest : public SyncTest
{
protected:
    SyncEngine::Report SyncWith(const std::string& url, const std::string& pass, const std::string& ca = "")
    {
        ContactManager contacts;
        TagManager tags;
        SyncEngine engine(contacts, tags);
        // An account of its own, so that the test's account stays as it was.
        SyncStore::Account other = account;
        other.id = -1;
        other.name = wxString::Format("other-%d", ++others);
        other.book = wxString::FromUTF8(url);
        Adapter adapter;
        EXPECT_TRUE(SyncStore::SaveAccount(adapter, other));
        SyncEngine::Options options;
        options.password = pass;
        options.caFile = ca;
        options.connectSeconds = 5;
        options.stallSeconds = 5;
        return engine.Run(other, options);
    }
    int others = 0;
};

TEST_P(SyncFailureTest, EachFailureSaysOneClearThingAndTheBookStaysAsItWas)
{
    Import("evolution.vcf");
    Put("p1.vcf", Person(1));
    const std::string before = LocalPeople();

    SyncEngine::Report report = SyncWith(book, "wrong");
    EXPECT_FALSE(report.ok);
    EXPECT_NE(wxNOT_FOUND, report.reason.Find("refused the user name or password")) << report.reason;

    DyingServer dying;
    const std::string closed = "http://127.0.0.1:" + std::to_string(dying.port) + "/book/";
    report = SyncWith(closed, password);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(wxNOT_FOUND, report.reason.Find("The connection to 127.0.0.1 failed")) << report.reason;

    int unused = 0;
    {
        DyingServer gone;
        unused = gone.port;
    }
    report = SyncWith("http://127.0.0.1:" + std::to_string(unused) + "/book/", password);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(wxString("The server 127.0.0.1 refused the connection."), report.reason);

    const std::string tls = Env("CORVALA_TEST_RADICALE_TLS") + settings.user + "/";
    report = SyncWith(tls, password);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(wxNOT_FOUND, report.reason.Find("could not be verified")) << report.reason;
    EXPECT_EQ(before, LocalPeople());
    EXPECT_EQ(0, dir.ScalarInt("select count(*) from sync_links"));
    // Trusted, the same server answers.
    report = SyncWith(tls, password, Env("CORVALA_TEST_RADICALE_CA"));
    EXPECT_EQ(wxNOT_FOUND, report.reason.Find("verified")) << report.reason;

    // A token the server no longer knows: one full reconciliation, no doubles.
    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    Put("p2.vcf", Person(2));
    Adapter adapter;
    ASSERT_TRUE(SyncStore::SetToken(adapter, account.id, "http://radicale.org/ns/sync/0000000000"));
    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(1u, report.received);
    EXPECT_EQ(3, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
}

// A radicale of the test's own, without passwords, that the test can stop.
class OwnServer
{
public:
    OwnServer(const std::string& storage, int port = 0)
    {
        if (port == 0)
        {
            DyingServer probe; // a free port, closed again below
            port = probe.port;
        }
        this->port = port;
        pid = fork();
        if (pid == 0)
        {
            const std::string hosts = "127.0.0.1:" + std::to_string(port);
            freopen("/dev/null", "w", stderr);
            execl("/usr/bin/python3", "python3", "-m", "radicale", "--server-hosts", hosts.c_str(),
                  "--storage-filesystem-folder", storage.c_str(), "--auth-type", "none", "--logging-level", "error",
                  nullptr);
            _exit(127);
        }
        Dav::Client probe{Dav::Settings()};
        for (int i = 0; i < 100 && probe.Request("OPTIONS", Url(), {}, "").failure != Dav::Failure::NONE; ++i)
            usleep(100000);
    }
    ~OwnServer()
    {
        Stop();
    }
    void Stop()
    {
        if (pid > 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    std::string Url() const
    {
        return "http://127.0.0.1:" + std::to_string(port) + "/";
    }
    int port = 0;

private:
    pid_t pid = -1;
};

TEST_P(SyncFailureTest, AServerThatStopsMidSyncLeavesTheBookWholeAndTheNextSyncFinishes)
{
    const std::string storage = dir.Path().utf8_string() + "/own-radicale";
    auto server = std::make_unique<OwnServer>(storage);
    const int port = server->port;
    book = server->Url() + "u/book/";
    settings = Dav::Settings();
    settings.user = "u";
    client = std::make_unique<Dav::Client>(settings);
    ASSERT_EQ(201, client
                       ->Request("MKCOL", book, {"Content-Type: application/xml"},
                                 "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" "
                                 "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop><d:resourcetype>"
                                 "<d:collection/><c:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>")
                       .status);
    for (int i = 1; i <= 120; ++i)
        Put("p" + std::to_string(i) + ".vcf", Person(i));

    SyncStore::Account own = account;
    own.id = -1;
    own.name = "own";
    own.user = "u";
    own.book = wxString::FromUTF8(book);
    Adapter adapter;
    ASSERT_TRUE(SyncStore::SaveAccount(adapter, own));
    auto syncOwn = [&](const std::function<void(const wxString&)>& progress)
    {
        ContactManager contacts;
        TagManager tags;
        SyncEngine engine(contacts, tags);
        SyncEngine::Options options;
        options.progress = progress;
        options.connectSeconds = 5;
        return engine.Run(own, options);
    };
    // The server goes away after the first batch of cards came in.
    SyncEngine::Report report = syncOwn(
        [&](const wxString& line)
        {
            if (line.Contains(": 50 of"))
                server->Stop();
        });
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(wxString("The server 127.0.0.1 refused the connection."), report.reason);
    EXPECT_EQ(50, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(50, dir.ScalarInt("select count(*) from sync_links l join contacts c on c.id = l.contact_id"));

    server = std::make_unique<OwnServer>(storage, port);
    report = syncOwn({});
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(70u, report.received);
    EXPECT_EQ(120, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
}

TEST_P(SyncFailureTest, ACardTheServerRefusesIsNamedAndTheRestGoOn)
{
    // This server takes cards of up to 16 KB.
    const std::string tls =
        Env("CORVALA_TEST_RADICALE_TLS") + settings.user + "/refused-" + std::to_string(getpid()) + "/";
    settings.caFile = Env("CORVALA_TEST_RADICALE_CA");
    client = std::make_unique<Dav::Client>(settings);
    book = tls;
    ASSERT_EQ(201, client
                       ->Request("MKCOL", tls, {"Content-Type: application/xml"},
                                 "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" "
                                 "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop><d:resourcetype>"
                                 "<d:collection/><c:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>")
                       .status);
    {
        ContactManager contacts;
        ContactInfoEx big;
        big.last_name = big.last_name_alpha = "Longwinded";
        big.comment = wxString('x', 40000);
        contacts.Insert(&big);
        ContactInfoEx small;
        small.last_name = small.last_name_alpha = "Brief";
        contacts.Insert(&small);
    }
    SyncEngine::Report report = SyncWith(tls, password, Env("CORVALA_TEST_RADICALE_CA"));
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(1u, report.sent);
    ASSERT_EQ(1u, report.refused.size());
    EXPECT_NE(wxNOT_FOUND, report.refused[0].Find("Longwinded"));
    EXPECT_NE(wxNOT_FOUND, report.Line("test").Find("not taken: Longwinded"));
    EXPECT_EQ(1u, ServerCards().size());
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contacts")) << "nothing is lost here";
}

TEST_P(SyncFailureTest, ThePasswordIsNowhereButInMemory)
{
    Import("evolution.vcf");
    std::string out;
    ASSERT_EQ(0, Tool("account add second " + base + " " + settings.user + " --book " + book, password, &out)) << out;
    ASSERT_EQ(0, Tool("sync second --password-stdin", password, &out)) << out;
    EXPECT_NE(std::string::npos, out.find("Synced with second: 0 received, 1 sent")) << out;
    std::string all = out;
    ASSERT_EQ(0, Tool("account list", "", &out)) << out;
    all += out;
    EXPECT_EQ(1, Tool("sync second --password-stdin", "wrong", &out));
    EXPECT_NE(std::string::npos, out.find("refused the user name or password")) << out;
    all += out;
    for (const char* suffix : {"", "-wal", "-journal"})
        all += ReadFile(dir.DbPath().utf8_string() + suffix);
    EXPECT_EQ(std::string::npos, all.find(password));
    ASSERT_EQ(0, Tool("account remove second", "", &out)) << out;
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(0, dir.ScalarInt("select count(*) from sync_links l join sync_accounts a on a.id = l.account_id "
                               "where a.name = 'second'"));
}

// Only radicale checks passwords and has a TLS twin.
INSTANTIATE_TEST_SUITE_P(Radicale, SyncFailureTest, testing::Values("radicale"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
} // namespace
