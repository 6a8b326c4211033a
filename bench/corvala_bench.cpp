// The benchmark command: builds (once, then cached) address books of 100,000
// and 1,000,000 contacts and prints, each beside its floor and the ratio:
//
//   - click to painted for next page, letter, keyword and tag, in the list
//     and the card view of the real main window, against a bare toolkit
//     window with the same list, detail page and cards filled from one
//     SQLite connection (window_bench);
//   - storage alone for the same searches, against the design's own
//     statements run back to back on one raw connection, and against one raw
//     connection with the same count and one joined page query;
//   - start-up to the first idle after the main window is painted;
//   - peak resident memory at start-up, after 50 searches, after each recent
//     contacts range and after a 10,000-row import, minus the bare window's;
//   - the longest time the window did not answer events during each action.
//
//   corvala_bench [--sizes 100000,1000000] [--runs N] [--startup-runs N]
//                 [--recent-runs N] [--import-runs N] [--no-window]
//                 [--no-storage] [--source DIR]
//
// Timings are medians. The window rows need a display (scripts/bench.sh
// starts a virtual one).
#include <unistd.h>

#include <wx/datetime.h>
#include <wx/init.h>
#include <wx/utils.h>
#include <wx/wxsqlite3.h>
// After the wrapper, whose names its macros would replace.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/BenchBook.h"
#include "storage/ContactManager.h"
#include "storage/DbValues.h"

#ifndef CORVALA_SOURCE_DIR
#define CORVALA_SOURCE_DIR "."
#endif

namespace
{
using BenchBook::MonotonicNs;

struct Options
{
    std::vector<int> sizes{100000, 1000000};
    int runs = 7;
    int startupRuns = 5;
    int recentRuns = 5;
    int importRuns = 5;
    bool window = true;
    bool storage = true;
    std::string source = CORVALA_SOURCE_DIR;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double TimeMs(const std::function<void()>& work)
{
    const int64_t start = MonotonicNs();
    work();
    return (MonotonicNs() - start) / 1e6;
}

std::string LoadAverage()
{
    std::FILE* f = std::fopen("/proc/loadavg", "r");
    char text[64] = "?";
    if (f)
    {
        if (!std::fgets(text, sizeof text, f))
            text[0] = 0;
        std::fclose(f);
    }
    std::string s(text);
    // The 1, 5 and 15 minute averages.
    std::istringstream in(s);
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

// ---------------------------------------------------------------- storage

const char* const LETTERS = "MSBKTARLGHCDPWJNEFOV";
const char* const KEYWORDS[] = {"an", "ar", "el", "li", "ma", "ra", "is", "ne", "er", "ia", "on", "ch"};
// The per-record statements of a search, as the manager runs them.
const char* const SQL_TAG_IDS = "select contact_tag.tag_id from contacts, contact_tag \t\t\t\twhere contacts.id = %d "
                                "and contact_tag.contact_id = %d;";
const char* const SQL_HISTORY_COUNT = "select count(contact_id) from contact_history where contact_id = %d;";

class RawDb
{
public:
    explicit RawDb(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        {
            std::fprintf(stderr, "cannot open %s\n", path.c_str());
            std::exit(1);
        }
    }
    ~RawDb()
    {
        sqlite3_close(db);
    }

    // Runs one statement and reads every column of every row as text;
    // returns the rows and, through first, the first column of each.
    int Query(const std::string& sql, std::vector<int>* first = nullptr)
    {
        return BenchBook::QueryAll(db, sql, first);
    }

private:
    sqlite3* db = nullptr;
};

std::string Utf8(const wxString& text)
{
    return text.utf8_string();
}

struct StorageRow
{
    std::string name;
    double ours, design, sqlite;
};

// One kind of search: the condition for run i.
using ConditionFor = std::function<void(SearchCondition& c, int i)>;

StorageRow MeasureSearch(const std::string& name, const std::string& database, const ConditionFor& conditionFor,
                         int runs)
{
    ContactManager manager;
    ContactManager texts;
    RawDb raw(database);
    std::vector<double> ours, design, floor;
    for (int i = 0; i <= runs; ++i)
    {
        SearchCondition c;
        conditionFor(c, i);
        texts.SetCondition(c);
        const std::string count = Utf8(texts.BuildCountStatement());
        std::string page = Utf8(texts.BuildPageStatement());
        // The file's pages this search reads are brought into the system's
        // cache first, untimed: whichever ran first would pay for them.
        raw.Query(count);
        raw.Query(page);

        manager.SetCondition(c);
        manager.condition.changed = true;
        const double t = TimeMs([&] { manager.Search(); });
        const double a = TimeMs(
            [&]
            {
                raw.Query(count);
                std::vector<int> ids;
                raw.Query(page, &ids);
                for (int id : ids)
                {
                    raw.Query(Utf8(wxString::Format(SQL_TAG_IDS, id, id)));
                    raw.Query(Utf8(wxString::Format(SQL_HISTORY_COUNT, id)));
                }
            });
        page.pop_back();
        const std::string joined = "select p.*, (select group_concat(tag_id) from contact_tag t where t.contact_id = "
                                   "p.id), (select count(contact_id) from contact_history h where h.contact_id = "
                                   "p.id) from (" +
                                   page + ") p;";
        const double b = TimeMs(
            [&]
            {
                raw.Query(count);
                raw.Query(joined);
            });
        if (i == 0)
            continue; // warm-up
        ours.push_back(t);
        design.push_back(a);
        floor.push_back(b);
    }
    manager.Clear();
    return {name, Median(ours), Median(design), Median(floor)};
}

std::vector<StorageRow> MeasureStorage(const std::string& book, int runs)
{
    const std::string database = BenchBook::DatabasePath(book);
    std::vector<StorageRow> rows;
    rows.push_back(MeasureSearch(
        "next page", database, [](SearchCondition& c, int i) { c.pageIndex = 2 + i; }, runs));
    rows.push_back(MeasureSearch(
        "letter", database, [](SearchCondition& c, int i) { c.alphabet = wxString(LETTERS[i % 20]); }, runs));
    rows.push_back(MeasureSearch(
        "keyword", database, [](SearchCondition& c, int i) { c.keyword = KEYWORDS[i % 12]; }, runs));
    rows.push_back(MeasureSearch(
        "tag", database, [](SearchCondition& c, int i) { c.tagId = 1 + i % BenchBook::TAG_COUNT; }, runs));

    // Statistics: the manager against the same statements on one connection.
    ContactManager manager;
    RawDb raw(database);
    std::vector<double> ours, floor;
    for (int i = 0; i <= runs; ++i)
    {
        const double t = TimeMs([&] { manager.GetStatistics(); });
        const double f = TimeMs(
            [&]
            {
                raw.Query("SELECT COUNT(id) FROM contacts;");
                raw.Query("SELECT COUNT(id) FROM contacts where sex = 1;");
                raw.Query("SELECT COUNT(id) FROM contacts where sex = 0;");
                const wxDateTime now = NowToSecond();
                raw.Query(Utf8("select count(id)  from contacts where birthday between '" +
                               FormatDbTime(now - wxDateSpan::Years(30)) + "' and '" + FormatDbTime(now) + "';"));
            });
        if (i > 0)
        {
            ours.push_back(t);
            floor.push_back(f);
        }
    }
    rows.push_back({"statistics totals", Median(ours), Median(floor), -1});
    ours.clear();
    floor.clear();
    for (int i = 0; i <= runs; ++i)
    {
        const double t = TimeMs(
            [&]
            {
                for (int tag = 1; tag <= BenchBook::TAG_COUNT; ++tag)
                    manager.CountTagContacts(tag);
            });
        const double f = TimeMs(
            [&]
            {
                for (int tag = 1; tag <= BenchBook::TAG_COUNT; ++tag)
                    raw.Query("SELECT COUNT(tag_id) FROM contact_tag where tag_id = " + std::to_string(tag) + ";");
            });
        if (i > 0)
        {
            ours.push_back(t);
            floor.push_back(f);
        }
    }
    rows.push_back(
        {"tag statistics (" + std::to_string(BenchBook::TAG_COUNT) + " tags)", Median(ours), Median(floor), -1});
    for (int days : {7, 30, 180})
    {
        ours.clear();
        floor.clear();
        size_t count = 0;
        for (int i = 0; i < 3; ++i)
        {
            const double t = TimeMs(
                [&]
                {
                    RecentContactArray list;
                    manager.GetRecentContacts(days, list);
                    count = list.GetCount();
                    for (RecentContact* recent : list)
                        delete recent;
                });
            const double f = TimeMs(
                [&]
                {
                    const wxDateTime now = NowToSecond();
                    raw.Query(
                        Utf8("select contacts.last_name, contacts.first_name, \t\t\t\t\t\tcontact_history.comment, "
                             "contact_history.his_time \t\t\t\t\t\tfrom contacts, contact_history "
                             "\t\t\t\t\t\twhere contacts.id = contact_history.contact_id \t\t\t\t\t\tand  his_time "
                             "between '" +
                             FormatDbTime(now - wxDateSpan::Days(days)) + "' and '" + FormatDbTime(now) +
                             "' \t\t\t\t\t\torder by his_time asc;"));
                });
            ours.push_back(t);
            floor.push_back(f);
        }
        rows.push_back({"recent contacts, " + std::to_string(days) + " days (" + std::to_string(count) + " rows)",
                        Median(ours), Median(floor), -1});
    }
    return rows;
}

// ----------------------------------------------------------------- window

using Results = std::map<std::string, std::vector<std::string>>;

// Put before every window_bench command line.
std::string childEnvironment;

std::string SelfDir()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    path[n] = 0;
    std::string dir(path);
    return dir.substr(0, dir.rfind('/'));
}

// Runs window_bench and collects its "key values..." lines; a key seen
// again appends its values.
bool RunChild(const std::string& args, std::map<std::string, std::vector<std::vector<std::string>>>& out)
{
    const std::string command =
        childEnvironment + SelfDir() + "/window_bench " + args + " --t0 " + std::to_string(MonotonicNs());
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe))
    {
        std::istringstream in(line);
        std::string key;
        in >> key;
        std::vector<std::string> values;
        std::string value;
        while (in >> value)
            values.push_back(value);
        if (key == "click" || key == "recent")
        {
            // click VIEW KIND ... / recent DAYS ...: the first words are the key.
            const size_t words = key == "click" ? 2 : 1;
            for (size_t i = 0; i < words && !values.empty(); ++i)
            {
                key += " " + values.front();
                values.erase(values.begin());
            }
        }
        if (key == "error")
            std::fprintf(stderr, "window_bench: %s", line);
        out[key].push_back(values);
    }
    const int status = pclose(pipe);
    if (status != 0)
        std::fprintf(stderr, "window_bench %s ended with status %d\n", args.c_str(), status);
    return status == 0;
}

struct WindowResults
{
    std::map<std::string, std::vector<std::vector<std::string>>> corvala, bare;
};

// Median over runs of value index i of key; -1 when missing.
double Value(const std::map<std::string, std::vector<std::vector<std::string>>>& from, const std::string& key,
             size_t i = 0)
{
    auto found = from.find(key);
    if (found == from.end())
        return -1;
    std::vector<double> values;
    for (const auto& run : found->second)
        if (i < run.size())
            values.push_back(std::atof(run[i].c_str()));
    return Median(values);
}

WindowResults MeasureWindow(const std::string& book, int contacts, const Options& options)
{
    WindowResults results;
    const std::string quoted = "'" + book + "'";
    for (int run = 0; run < options.startupRuns; ++run)
    {
        std::fprintf(stderr, "  start-up %d/%d\r", run + 1, options.startupRuns);
        RunChild("corvala " + quoted + " --startup", results.corvala);
        RunChild("bare " + quoted + " --startup", results.bare);
    }
    const std::string workbook = BenchBook::ScratchDir() + "/import-10000.xls";
    if (BenchBook::WriteWorkbook(workbook, 10000) == 0)
        std::fprintf(stderr, "cannot write %s\n", workbook.c_str());
    const std::string common = " --runs " + std::to_string(options.runs) + " --recent-runs " +
                               std::to_string(options.recentRuns) + " --contacts " + std::to_string(contacts);
    std::fprintf(stderr, "  the bare window...      \r");
    RunChild("bare " + quoted + common, results.bare);
    std::fprintf(stderr, "  the main window...      \r");
    RunChild("corvala " + quoted + common + " --workbook '" + workbook + "' --import-runs " +
                 std::to_string(options.importRuns),
             results.corvala);
    BenchBook::RemoveExtraContacts(book, contacts);
    std::fprintf(stderr, "                          \r");
    return results;
}

// ------------------------------------------------------------------ table

std::string Verdict(bool ok)
{
    return ok ? "ok" : "MISSED";
}

void PrintSize(int contacts, const std::string& book, const std::string& loadBefore,
               const std::vector<StorageRow>& storage, const WindowResults* window, const Options& options)
{
    const bool big = contacts >= 1000000;
    std::printf("\n== %d contacts  (book %s)\n", contacts, book.c_str());
    std::printf("   load average (1/5/15 min) before: %s, after: %s; %ld cores\n", loadBefore.c_str(),
                LoadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN));

    if (window)
    {
        const auto& c = window->corvala;
        const auto& b = window->bare;
        const double clickTarget = big ? 60 : 30;
        std::printf("\n   click to painted, median of %d      Corvala     floor   ratio  target        "
                    "longest unanswered: Corvala / floor\n",
                    options.runs);
        for (const char* view : {"list", "cards"})
        {
            for (const char* kind : {"next", "letter", "keyword", "tag"})
            {
                const std::string key = std::string("click ") + view + " " + kind;
                const double ours = Value(c, key, 0), floor = Value(b, key, 0);
                const double block = Value(c, key, 1), floorBlock = Value(b, key, 1);
                const int timeouts = static_cast<int>(Value(c, key, 2));
                char label[64];
                std::snprintf(label, sizeof label, "%s view, %s", view, kind);
                std::printf("   %-34s %8.1f ms %6.1f ms %6.1fx  <= %.0f ms %-6s %8.1f / %.1f ms%s%s\n", label, ours,
                            floor, floor > 0 ? ours / floor : 0, clickTarget,
                            Verdict(ours >= 0 && ours <= clickTarget).c_str(), block, floorBlock,
                            big && block > 100 ? "  MISSED (<= 100 ms)" : "",
                            timeouts > 0 ? "  (some clicks never painted)" : "");
            }
        }
    }

    if (!storage.empty())
    {
        std::printf("\n   storage alone, median of %d          Corvala  design floor  ratio  SQLite floor  ratio%s\n",
                    options.runs, big ? "" : "  target");
        for (size_t i = 0; i < storage.size(); ++i)
        {
            const StorageRow& row = storage[i];
            if (i == 4)
                std::printf("   other storage work                  Corvala    same statements, one connection\n");
            if (row.sqlite >= 0)
            {
                std::printf("   %-34s %8.2f ms %9.2f ms %6.2fx %10.2f ms %6.2fx", row.name.c_str(), row.ours,
                            row.design, row.ours / row.design, row.sqlite, row.ours / row.sqlite);
                if (!big)
                    std::printf("  <= 1.5x %s", Verdict(row.ours <= 1.5 * row.design).c_str());
                std::printf("\n");
            }
            else
                std::printf("   %-34s %8.2f ms %9.2f ms %6.2fx\n", row.name.c_str(), row.ours, row.design,
                            row.ours / row.design);
        }
    }

    if (window)
    {
        const auto& c = window->corvala;
        const auto& b = window->bare;
        std::printf("\n   start-up, median of %d               Corvala     floor   ratio  target\n",
                    options.startupRuns);
        const double painted = Value(c, "startup_painted_ms"), floorPainted = Value(b, "startup_painted_ms");
        std::printf("   %-34s %8.0f ms %6.0f ms %6.1fx  %s\n", "to first idle after painted", painted, floorPainted,
                    painted / floorPainted, big ? (painted <= 500 ? "<= 500 ms ok" : "<= 500 ms MISSED") : "");
        const double settled = Value(c, "startup_settled_ms");
        std::printf("   %-34s %8.0f ms\n", "until the statistics are filled", settled);
        const double block = Value(c, "startup_block_ms");
        std::printf("   %-34s %8.1f ms %s\n", "longest unanswered after painted", block,
                    big ? (block <= 100 ? "           <= 100 ms ok" : "           <= 100 ms MISSED") : "");

        std::printf("\n   peak resident memory                Corvala   bare window   own   target\n");
        auto memoryRow = [&](const char* label, const char* key, const char* bareKey)
        {
            const double ours = Value(c, key) / 1024.0, floor = Value(b, bareKey) / 1024.0;
            std::printf("   %-34s %7.1f MB %9.1f MB %6.1f MB  %s\n", label, ours, floor, ours - floor,
                        big ? (ours - floor <= 30 ? "<= 30 MB ok" : "<= 30 MB MISSED") : "");
        };
        memoryRow("at start-up", "rss_startup_kb", "rss_startup_kb");
        memoryRow("after 50 searches", "rss_searches50_kb", "rss_searches50_kb");
        memoryRow("after recent contacts, 7 days", "rss_recent7_kb", "rss_recent7_kb");
        memoryRow("after recent contacts, 30 days", "rss_recent30_kb", "rss_recent30_kb");
        memoryRow("after recent contacts, 180 days", "rss_recent180_kb", "rss_recent180_kb");
        // The bare window imports nothing: its last figure stands.
        memoryRow("after a 10,000-row import", "rss_import_kb", "rss_recent180_kb");

        std::printf("\n   recent contacts, median of %d         Corvala     floor   rows   longest unanswered\n",
                    options.recentRuns);
        for (int days : {7, 30, 180})
        {
            const std::string key = "recent " + std::to_string(days);
            const double ours = Value(c, key, 0), floor = Value(b, key, 0);
            const double block = Value(c, key, 1);
            char label[64];
            std::snprintf(label, sizeof label, "%d days, to painted", days);
            std::printf("   %-34s %8.1f ms %6.1f ms %7.0f %8.1f ms %s\n", label, ours, floor, Value(c, key, 2), block,
                        big ? (block <= 100 ? "<= 100 ms ok" : "<= 100 ms MISSED") : "");
        }

        const double importMs = Value(c, "import", 0), importBlock = Value(c, "import", 1);
        const double importKb = Value(c, "import", 2);
        std::printf("\n   10,000-row import (dialog), median of %d\n", options.importRuns);
        std::printf("   %-34s %8.0f ms   target <= 1000 ms %s\n", "click to completed", importMs,
                    Verdict(importMs >= 0 && importMs <= 1000).c_str());
        std::printf("   %-34s %8.1f MB   target <= 20 MB %s\n", "memory added (peak during import)", importKb / 1024.0,
                    Verdict(importKb >= 0 && importKb <= 20 * 1024).c_str());
        std::printf("   %-34s %8.1f ms   (the dialog keeps painting)\n", "longest unanswered", importBlock);
    }
    std::fflush(stdout);
}

Options Parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--sizes")
        {
            options.sizes.clear();
            std::istringstream in(next());
            std::string size;
            while (std::getline(in, size, ','))
                options.sizes.push_back(std::atoi(size.c_str()));
        }
        else if (a == "--runs")
            options.runs = std::max(5, std::atoi(next().c_str()));
        else if (a == "--startup-runs")
            options.startupRuns = std::max(1, std::atoi(next().c_str()));
        else if (a == "--recent-runs")
            options.recentRuns = std::max(1, std::atoi(next().c_str()));
        else if (a == "--import-runs")
            options.importRuns = std::max(1, std::atoi(next().c_str()));
        else if (a == "--no-window")
            options.window = false;
        else if (a == "--no-storage")
            options.storage = false;
        else if (a == "--source")
            options.source = next();
        else
        {
            std::fprintf(stderr, "usage: corvala_bench [--sizes 100000,1000000] [--runs N] [--startup-runs N] "
                                 "[--recent-runs N] [--import-runs N] [--no-window] [--no-storage] [--source DIR]\n");
            std::exit(2);
        }
    }
    return options;
}
} // namespace

int main(int argc, char** argv)
{
    wxInitializer init;
    if (!init.IsOk())
        return 2;
    const Options options = Parse(argc, argv);
    if (options.window && !std::getenv("DISPLAY"))
    {
        std::fprintf(stderr, "corvala_bench: the window rows need a display (run scripts/bench.sh, which starts a "
                             "virtual one, or pass --no-window)\n");
        return 2;
    }
    // The program names the system's time zone at start
    // (Platform::RememberTimeZone); storage alone runs under the same setting,
    // and the windows get the environment as it was, to do that themselves.
    if (!std::getenv("TZ") && access("/etc/localtime", R_OK) == 0)
    {
        setenv("TZ", ":/etc/localtime", 1);
        childEnvironment = "env -u TZ ";
    }
    tzset();
    wxSQLite3Database::InitializeSQLite();
    std::printf("Corvala benchmarks, %s\n", wxDateTime::Now().Format("%Y-%m-%d %H:%M").utf8_string().c_str());
    for (int contacts : options.sizes)
    {
        const std::string book = BenchBook::Ensure(contacts, options.source);
        const std::string loadBefore = LoadAverage();
        std::vector<StorageRow> storage;
        if (options.storage)
        {
            std::fprintf(stderr, "  storage...\r");
            const wxString oldCwd = wxGetCwd();
            wxSetWorkingDirectory(book);
            storage = MeasureStorage(book, options.runs);
            wxSetWorkingDirectory(oldCwd);
        }
        WindowResults window;
        if (options.window)
            window = MeasureWindow(book, contacts, options);
        PrintSize(contacts, book, loadBefore, storage, options.window ? &window : nullptr, options);
    }
    return 0;
}
