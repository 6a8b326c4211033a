// The failures a user of the sync meets: a wrong password, a server that
// cannot be reached, dies or stops half-way, a certificate nobody signed, a
// token the server forgot, a card it refuses; and the password kept out of
// every file.
#include <fcntl.h>
#include <sys/file.h>

#include "tests/storage/FaultyDisk.h"
#include "tests/sync/SyncFixture.h"

using namespace SyncTesting;

namespace
{
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
    book = server->Url() + "u/book/";
    settings = Dav::Settings();
    settings.user = "u";
    client = std::make_unique<Dav::Client>(settings);
    ASSERT_EQ(201, MakeBook(book));
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

    // Back, on a port of its own (the old one may still be waiting to close);
    // the links keep paths, so only the account's address changes.
    server = std::make_unique<OwnServer>(storage);
    book = server->Url() + "u/book/";
    own.book = wxString::FromUTF8(book);
    ASSERT_TRUE(SyncStore::SaveAccount(adapter, own));
    report = syncOwn({});
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(70u, report.received);
    EXPECT_EQ(120, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
}

TEST_P(SyncFailureTest, ADiskThatRunsFullMidSyncLeavesTheBookWholeAndSendsNothingTwice)
{
    for (int i = 1; i <= 120; ++i)
        Put("p" + std::to_string(i) + ".vcf", Person(i));
    {
        ContactManager contacts;
        for (const char* name : {"Here1", "Here2"})
        {
            ContactInfoEx contact;
            contact.last_name = contact.last_name_alpha = name;
            contacts.Insert(&contact);
        }
    }
    SyncEngine::Report report;
    {
        FaultyDisk disk;
        disk.FillAfter(200000);
        report = Sync();
    }
    EXPECT_FALSE(report.ok);
    EXPECT_NE(wxNOT_FOUND, report.reason.Find("full")) << report.reason;
    // Whole batches only, each contact with its link; nothing went out.
    const int stored = dir.ScalarInt("select count(*) from contacts") - 2;
    EXPECT_EQ(0, stored % 50) << stored;
    EXPECT_EQ(stored, dir.ScalarInt("select count(*) from sync_links l join contacts c on c.id = l.contact_id"));
    EXPECT_EQ(120u, ServerCards().size());

    report = Sync();
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(static_cast<size_t>(120 - stored), report.received);
    EXPECT_EQ(2u, report.sent);
    EXPECT_EQ(122, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(ServerPeople(), LocalPeople());
}

TEST_P(SyncFailureTest, ACardTheServerRefusesIsNamedAndTheRestGoOn)
{
    // This server takes cards of up to 16 KB.
    const std::string tls = Env("CORVALA_TEST_RADICALE_TLS") + settings.user + "/refused-" + std::to_string(getpid()) +
                            "-" + std::to_string(++runs) + "/";
    settings.caFile = Env("CORVALA_TEST_RADICALE_CA");
    client = std::make_unique<Dav::Client>(settings);
    book = tls;
    ASSERT_EQ(201, MakeBook(tls));
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
    {
        // While another sync holds the book, a second one does not start.
        const int held = open((dir.DbPath().utf8_string() + ".sync-lock").c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_EQ(0, flock(held, LOCK_EX));
        EXPECT_EQ(1, Tool("sync second --password-stdin", password, &out));
        EXPECT_NE(std::string::npos, out.find("another sync of this address book is running")) << out;
        close(held);
    }
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
