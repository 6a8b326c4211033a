// The sync against a real radicale on 127.0.0.1 (started here, with its
// storage filled with N cards directly on disk): the first sync of the
// cards into an empty book, a sync with nothing to do, and 100 edits sent,
// each beside the floor of the same HTTP transfer done with libcurl alone
// (the same requests, the answers thrown away), and the memory the first
// sync adds at its peak.
//
//   sync_bench [CARDS]   (default 10000)
//
// With a display (xvfb-run) it also times the window's own first sync of the
// cards and the window's longest wait for an answer during it.
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/stdpaths.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/BenchBook.h"
#include "storage/Adapter.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/SyncStore.h"
#include "storage/TagManager.h"
#include "sync/DavClient.h"
#include "sync/DavXml.h"
#include "sync/SyncEngine.h"
#include "tools/DatabaseBuilder.h"

namespace
{
const char* const USER = "bench";
const char* const PASSWORD = "bench-pass";

std::string Card(int i)
{
    char card[1024];
    std::snprintf(card, sizeof card,
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-%05d\r\nN:Family%05d;Given%d;;;\r\nFN:Given%d Family%05d\r\n"
                  "ORG:Company %d;Sales\r\nTITLE:Manager\r\nTEL;TYPE=WORK,VOICE:+1 555 %04d\r\n"
                  "TEL;TYPE=CELL:+1 555 %04d\r\nEMAIL;TYPE=INTERNET:given%d@example.org\r\n"
                  "ADR;TYPE=WORK:;;%d Market St;Springfield;;12345;USA\r\nBDAY:1980-%02d-%02d\r\n"
                  "CATEGORIES:Bench,Group%d\r\nitem1.X-ABLabel:assistant\r\nX-BENCH-NOTE:kept as it came\r\n"
                  "NOTE:Card number %d\r\nEND:VCARD\r\n",
                  i, i, i, i, i, i % 500, i % 10000, (i * 7) % 10000, i, i, 1 + i % 12, 1 + i % 28, i % 20, i);
    return card;
}

int FreePort()
{
    FILE* p = popen("/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind((\"127.0.0.1\", 0)); "
                    "print(s.getsockname()[1])'",
                    "r");
    int port = 0;
    if (p && std::fscanf(p, "%d", &port) != 1)
        port = 0;
    if (p)
        pclose(p);
    return port;
}

double Ms(int64_t since)
{
    return (BenchBook::MonotonicNs() - since) / 1e6;
}

// The requests of a first sync, the answers read and dropped.
double FloorDownload(const std::string& book, size_t& bytes)
{
    Dav::Settings settings;
    settings.user = USER;
    settings.password = PASSWORD;
    Dav::Client client(settings);
    const int64_t start = BenchBook::MonotonicNs();
    const Dav::Response listed = client.Report(book, 0, DavXml::SyncCollection(""));
    bytes = listed.body.size();
    std::vector<std::string> hrefs;
    for (const DavXml::Item& item : DavXml::Parse(listed.body).items)
    {
        if (!item.collection && item.found)
            hrefs.push_back(item.href);
    }
    for (size_t i = 0; i < hrefs.size(); i += 50)
    {
        const std::vector<std::string> part(hrefs.begin() + i, hrefs.begin() + std::min(hrefs.size(), i + 50));
        bytes += client.Report(book, 1, DavXml::Multiget(part)).body.size();
    }
    return Ms(start);
}

double FloorPuts(const std::string& book, int n)
{
    Dav::Settings settings;
    settings.user = USER;
    settings.password = PASSWORD;
    Dav::Client client(settings);
    const int64_t start = BenchBook::MonotonicNs();
    for (int i = 0; i < n; ++i)
        client.Request("PUT", book + "bench-" + std::to_string(i) + ".vcf", {"Content-Type: text/vcard"}, Card(i));
    return Ms(start);
}
} // namespace

int main(int argc, char** argv)
{
    // As the database tool does (corvala_db.cpp): the zone read once.
    setenv("TZ", ":/etc/localtime", 0);
    wxInitializer init;
    const int cards = argc > 1 ? std::atoi(argv[1]) : 10000;
    char templ[] = "/tmp/corvala-sync-bench-XXXXXX";
    const std::string dir = mkdtemp(templ);
    const std::string folder = dir + "/radicale/collection-root/" + USER + "/book";
    wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    {
        FILE* props = std::fopen((folder + "/.Radicale.props").c_str(), "w");
        std::fputs("{\"tag\": \"VADDRESSBOOK\"}", props);
        std::fclose(props);
        FILE* users = std::fopen((dir + "/users").c_str(), "w");
        std::fprintf(users, "%s:%s\n", USER, PASSWORD);
        std::fclose(users);
        for (int i = 0; i < cards; ++i)
        {
            FILE* f = std::fopen((folder + "/bench-" + std::to_string(i) + ".vcf").c_str(), "w");
            std::fputs(Card(i).c_str(), f);
            std::fclose(f);
        }
    }
    const int port = FreePort();
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
    const std::string book = base + USER + "/book/";
    const pid_t server = fork();
    if (server == 0)
    {
        const std::string hosts = "127.0.0.1:" + std::to_string(port);
        const std::string storage = dir + "/radicale";
        const std::string users = dir + "/users";
        freopen("/dev/null", "w", stderr);
        execl("/usr/bin/python3", "python3", "-m", "radicale", "--server-hosts", hosts.c_str(),
              "--storage-filesystem-folder", storage.c_str(), "--auth-type", "htpasswd", "--auth-htpasswd-filename",
              users.c_str(), "--auth-htpasswd-encryption", "plain", "--logging-level", "error", nullptr);
        _exit(127);
    }
    Dav::Settings settings;
    settings.user = USER;
    settings.password = PASSWORD;
    for (int i = 0; i < 100; ++i)
    {
        Dav::Client probe(settings);
        if (probe.Request("OPTIONS", base, {}, "").failure == Dav::Failure::NONE)
            break;
        usleep(100000);
    }
    std::printf("sync_bench: %d cards on radicale at %s\n", cards, book.c_str());
    // The server reads and caches its cards once, before anything is timed.
    size_t bytes = 0;
    std::printf("  warming the server up: %.0f ms\n", FloorDownload(book, bytes));

    wxFileName::Mkdir(dir + "/book/data", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    wxSetWorkingDirectory(dir + "/book");
    wxString error;
    DatabaseBuilder::Create(Database::Path(), false, &error);
    SyncStore::Account account;
    account.name = "bench";
    account.url = wxString::FromUTF8(base);
    account.user = USER;
    account.book = wxString::FromUTF8(book);
    {
        Adapter adapter;
        SyncStore::SaveAccount(adapter, account);
    }
    SyncEngine::Options options;
    options.password = PASSWORD;
    auto run = [&](const char* what, const std::function<double()>& floor)
    {
        ContactManager contacts;
        TagManager tags;
        SyncEngine engine(contacts, tags);
        BenchBook::ResetPeakRss();
        const long before = BenchBook::CurrentRssKb();
        const int64_t start = BenchBook::MonotonicNs();
        const SyncEngine::Report report = engine.Run(account, options);
        const double ms = Ms(start);
        const double floorMs = floor();
        std::printf("  %-28s %8.0f ms  (floor %6.0f ms, %4.1fx)  %5zu requests  peak +%5.1f MB  %s\n", what, ms,
                    floorMs, floorMs > 0 ? ms / floorMs : 0.0, report.requests,
                    (BenchBook::PeakRssKb() - before) / 1024.0, report.Line("bench").utf8_string().c_str());
    };
    const double floorDown = FloorDownload(book, bytes);
    std::printf("  floor: the same requests with libcurl alone: %.0f ms, %.1f MB received\n", floorDown,
                bytes / 1048576.0);
    run("first sync", [&] { return floorDown; });
    run("sync with nothing to do",
        [&]
        {
            Dav::Client asker(settings);
            const int64_t start = BenchBook::MonotonicNs();
            asker.Report(book, 0, DavXml::SyncCollection(account.token.utf8_string()));
            return Ms(start);
        });
    {
        Adapter adapter;
        adapter.Execute("update contacts set company = company || ' 2' where id in (select id from contacts "
                        "order by id limit 100);");
    }
    // The floor: the same 100 cards put again, after the sync sent them.
    run("100 edits sent", [&] { return FloorPuts(book, 100); });
    // With a display: the same first sync started by the window at start-up,
    // with the window's longest wait for an answer meanwhile.
    if (std::getenv("DISPLAY"))
    {
        const std::string windowBook = dir + "/window";
        wxFileName::Mkdir(windowBook + "/data", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        wxSetWorkingDirectory(windowBook);
        DatabaseBuilder::Create(Database::Path(), false, &error);
        SyncStore::Account again = account;
        again.id = -1;
        again.token.clear();
        again.firstDone = false;
        {
            Adapter adapter;
            SyncStore::SaveAccount(adapter, again);
        }
        const std::string bench = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath().utf8_string();
        const std::string command = bench + "/window_bench corvala '" + windowBook + "' --sync " + PASSWORD;
        FILE* window = popen(command.c_str(), "r");
        char line[1024];
        while (window && std::fgets(line, sizeof line, window))
        {
            if (std::strncmp(line, "sync ", 5) == 0)
                std::printf("  the window's first sync: %s", line + 5);
        }
        if (window)
            pclose(window);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    wxSetWorkingDirectory("/");
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
