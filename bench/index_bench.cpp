// Measures candidate indexes for the search filters on a copy of a cached
// book: for each set of candidates, the design's own statements of each kind
// of search (count, page and the per-record look-ups) on one raw connection,
// and the statistics that the same indexes touch. Prints one column per set
// and the plan SQLite chose for each statement.
//
//   index_bench [--contacts N] [--runs N] [--sets SET;SET...] [--plans]
//
// A set is a comma-separated list of candidate names ("-" for none); the
// default tries none, each candidate alone, and the chosen combination.
#include <unistd.h>

#include <wx/datetime.h>
#include <wx/init.h>
#include <wx/wxsqlite3.h>
// After the wrapper, whose names its macros would replace.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

struct Candidate
{
    const char* name;
    const char* index;
    const char* sql;
};

// The three the program creates carry its names, so that a book built with
// them measures "without" after dropping them.
const Candidate CANDIDATES[] = {
    {"alpha_nocase", "idx_contacts_alpha_nocase_only",
     "CREATE INDEX idx_contacts_alpha_nocase_only ON contacts (last_name_alpha COLLATE NOCASE)"},
    {"alpha_nocase_first", "idx_contacts_last_name_alpha_nocase",
     "CREATE INDEX idx_contacts_last_name_alpha_nocase ON contacts (last_name_alpha COLLATE NOCASE, first_name)"},
    {"first_name", "idx_contacts_first_name", "CREATE INDEX idx_contacts_first_name ON contacts (first_name)"},
    {"alpha_first", "idx_contacts_last_name_alpha_first_name",
     "CREATE INDEX idx_contacts_last_name_alpha_first_name ON contacts (last_name_alpha, first_name)"},
    {"link_contact_tag", "idx_contact_tag_contact_tag",
     "CREATE INDEX idx_contact_tag_contact_tag ON contact_tag (contact_id, tag_id)"},
    {"history_time_cover", "idx_contact_history_time_cover",
     "CREATE INDEX idx_contact_history_time_cover ON contact_history (his_time, contact_id, comment)"},
};

const char* const SQL_TAG_IDS = "select contact_tag.tag_id from contacts, contact_tag \t\t\t\twhere contacts.id = %d "
                                "and contact_tag.contact_id = %d;";
const char* const SQL_HISTORY_COUNT = "select count(contact_id) from contact_history where contact_id = %d;";
const char* const SQL_RECENT =
    "select contacts.last_name, contacts.first_name, \t\t\t\t\t\tcontact_history.comment, contact_history.his_time "
    "\t\t\t\t\t\tfrom contacts, contact_history \t\t\t\t\t\twhere contacts.id = contact_history.contact_id "
    "\t\t\t\t\t\tand  his_time between '$before' and '$after' \t\t\t\t\t\torder by his_time asc;";

class Raw
{
public:
    explicit Raw(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        {
            std::fprintf(stderr, "cannot open %s\n", path.c_str());
            std::exit(1);
        }
    }
    ~Raw()
    {
        sqlite3_close(db);
    }
    void Exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
        {
            std::fprintf(stderr, "%s: %s\n", sql.c_str(), error ? error : "?");
            sqlite3_free(error);
            std::exit(1);
        }
    }
    int Query(const std::string& sql, std::vector<int>* first = nullptr)
    {
        return BenchBook::QueryAll(db, sql, first);
    }
    int Int(const std::string& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        int value = 0;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return value;
    }
    std::string Plan(const std::string& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        std::string plan;
        if (sqlite3_prepare_v2(db, ("explain query plan " + sql).c_str(), -1, &stmt, nullptr) == SQLITE_OK)
        {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                plan +=
                    std::string(plan.empty() ? "" : "; ") + reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
        }
        sqlite3_finalize(stmt);
        return plan;
    }

private:
    sqlite3* db = nullptr;
};

std::string Utf8(const wxString& text)
{
    return text.utf8_string();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

double TimeMs(const std::function<void()>& work)
{
    const int64_t start = MonotonicNs();
    work();
    return (MonotonicNs() - start) / 1e6;
}

const char* const LETTERS = "MSBKTARLGHCDPWJNEFOV";
const char* const KEYWORDS[] = {"an", "ar", "el", "li", "ma", "ra", "is", "ne", "er", "ia", "on", "ch"};

struct Workload
{
    std::string name;
    std::function<void(SearchCondition&, int)> condition;
};

std::vector<Workload> Workloads()
{
    return {
        {"first page", [](SearchCondition&, int) {}},
        {"next page", [](SearchCondition& c, int i) { c.pageIndex = 2 + i; }},
        {"letter", [](SearchCondition& c, int i) { c.alphabet = wxString(LETTERS[i % 20]); }},
        {"keyword", [](SearchCondition& c, int i) { c.keyword = KEYWORDS[i % 12]; }},
        {"rare keyword", [](SearchCondition& c, int i) { c.keyword = wxString::Format("zq%d", i); }},
        {"tag", [](SearchCondition& c, int i) { c.tagId = 1 + i % BenchBook::TAG_COUNT; }},
        {"letter + keyword",
         [](SearchCondition& c, int i)
         {
             c.alphabet = wxString(LETTERS[i % 20]);
             c.keyword = KEYWORDS[i % 12];
         }},
        {"tag + letter",
         [](SearchCondition& c, int i)
         {
             c.tagId = 1 + i % BenchBook::TAG_COUNT;
             c.alphabet = wxString(LETTERS[i % 20]);
         }},
    };
}

// Count, page and per-record times of one search kind, medians.
struct SearchTimes
{
    double count, page, perRecord;
};

SearchTimes MeasureSearch(Raw& raw, const Workload& work, int runs)
{
    std::vector<double> counts, pages, records;
    ContactManager texts;
    for (int i = 0; i <= runs; ++i)
    {
        SearchCondition c;
        work.condition(c, i);
        texts.SetCondition(c);
        std::vector<int> ids;
        const double count = TimeMs([&] { raw.Query(Utf8(texts.BuildCountStatement())); });
        const double page = TimeMs([&] { raw.Query(Utf8(texts.BuildPageStatement()), &ids); });
        const double perRecord = TimeMs(
            [&]
            {
                for (int id : ids)
                {
                    raw.Query(Utf8(wxString::Format(SQL_TAG_IDS, id, id)));
                    raw.Query(Utf8(wxString::Format(SQL_HISTORY_COUNT, id)));
                }
            });
        if (i == 0)
            continue;
        counts.push_back(count);
        pages.push_back(page);
        records.push_back(perRecord);
    }
    return {Median(counts), Median(pages), Median(records)};
}

std::string RecentSql(int days)
{
    const wxDateTime now = NowToSecond();
    wxString sql(SQL_RECENT);
    sql.Replace("$before", FormatDbTime(now - wxDateSpan::Days(days)), false);
    sql.Replace("$after", FormatDbTime(now), false);
    return Utf8(sql);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}
} // namespace

int main(int argc, char** argv)
{
    wxInitializer init;
    int contacts = 1000000;
    int runs = 5;
    bool plans = false;
    std::vector<std::string> sets = {"-"};
    for (const Candidate& c : CANDIDATES)
        sets.push_back(c.name);
    sets.push_back("alpha_nocase_first,first_name,alpha_first");
    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        if (a == "--contacts" && i + 1 < argc)
            contacts = std::atoi(argv[++i]);
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(3, std::atoi(argv[++i]));
        else if (a == "--sets" && i + 1 < argc)
            sets = Split(argv[++i], ';');
        else if (a == "--plans")
            plans = true;
        else
        {
            std::fprintf(stderr, "usage: index_bench [--contacts N] [--runs N] [--sets SET;SET...] [--plans]\n");
            return 2;
        }
    }

    const std::string book = BenchBook::Ensure(contacts, CORVALA_SOURCE_DIR);
    const std::string copy = BenchBook::ScratchDir() + "/index-bench.s3db";
    {
        std::ifstream in(BenchBook::DatabasePath(book), std::ios::binary);
        std::ofstream out(copy, std::ios::binary | std::ios::trunc);
        out << in.rdbuf();
    }
    Raw raw(copy);
    // What the book has beyond the candidates stays as built.
    for (const Candidate& c : CANDIDATES)
        raw.Exec(std::string("DROP INDEX IF EXISTS ") + c.index);

    const std::vector<Workload> workloads = Workloads();
    std::vector<std::string> rowNames;
    std::map<std::string, std::map<std::string, std::string>> cells; // row -> set -> text
    std::map<std::string, std::vector<std::string>> planText;        // set -> plans
    for (const std::string& set : sets)
    {
        std::vector<const Candidate*> chosen;
        for (const std::string& name : Split(set, ','))
            for (const Candidate& c : CANDIDATES)
                if (name == c.name)
                    chosen.push_back(&c);
        double created = 0;
        const int pagesBefore = raw.Int("pragma page_count;") - raw.Int("pragma freelist_count;");
        for (const Candidate* c : chosen)
            created += TimeMs([&] { raw.Exec(c->sql); });
        const double addedMb = (raw.Int("pragma page_count;") - raw.Int("pragma freelist_count;") - pagesBefore) *
                               raw.Int("pragma page_size;") / 1e6;
        std::fprintf(stderr, "  %s (indexes made in %.1f s)\n", set.c_str(), created / 1000);

        auto put = [&](const std::string& row, const std::string& text)
        {
            if (std::find(rowNames.begin(), rowNames.end(), row) == rowNames.end())
                rowNames.push_back(row);
            cells[row][set] = text;
        };
        char text[64];
        std::snprintf(text, sizeof text, "%6.1f MB, made in %.1f s", addedMb, created / 1000);
        put("file grows by", text);
        for (const Workload& work : workloads)
        {
            const SearchTimes t = MeasureSearch(raw, work, runs);
            std::snprintf(text, sizeof text, "%6.1f (%5.1f+%5.1f+%4.1f)", t.count + t.page + t.perRecord, t.count,
                          t.page, t.perRecord);
            put(work.name, text);
            if (plans)
            {
                ContactManager texts;
                SearchCondition c;
                work.condition(c, 1);
                texts.SetCondition(c);
                planText[set].push_back(work.name + " count: " + raw.Plan(Utf8(texts.BuildCountStatement())));
                planText[set].push_back(work.name + " page: " + raw.Plan(Utf8(texts.BuildPageStatement())));
            }
        }
        std::vector<double> tagStats, totals, recent7, recent180;
        for (int i = 0; i < runs; ++i)
        {
            tagStats.push_back(TimeMs(
                [&]
                {
                    for (int tag = 1; tag <= BenchBook::TAG_COUNT; ++tag)
                        raw.Query("SELECT COUNT(tag_id) FROM contact_tag where tag_id = " + std::to_string(tag) + ";");
                }));
            recent7.push_back(TimeMs([&] { raw.Query(RecentSql(7)); }));
            if (i < 3)
                recent180.push_back(TimeMs([&] { raw.Query(RecentSql(180)); }));
        }
        std::snprintf(text, sizeof text, "%6.1f", Median(tagStats));
        put("tag statistics", text);
        std::snprintf(text, sizeof text, "%6.1f", Median(recent7));
        put("recent 7 days", text);
        std::snprintf(text, sizeof text, "%6.1f", Median(recent180));
        put("recent 180 days", text);
        if (plans)
            planText[set].push_back("recent: " + raw.Plan(RecentSql(7)));

        for (const Candidate* c : chosen)
            raw.Exec(std::string("DROP INDEX ") + c->index);
    }

    std::printf("Index candidates on %d contacts, median of %d, ms: total (count + page + per-record look-ups)\n",
                contacts, runs);
    for (size_t i = 0; i < sets.size(); ++i)
        std::printf("  [%zu] %s\n", i, sets[i] == "-" ? "as built, without the candidates" : sets[i].c_str());
    std::printf("%-18s", "");
    for (size_t i = 0; i < sets.size(); ++i)
        std::printf(" %-29s", ("[" + std::to_string(i) + "]").c_str());
    std::printf("\n");
    for (const std::string& row : rowNames)
    {
        std::printf("%-18s", row.c_str());
        for (const std::string& set : sets)
            std::printf(" %-29s", cells[row][set].c_str());
        std::printf("\n");
    }
    if (plans)
    {
        for (const std::string& set : sets)
        {
            std::printf("\nplans with %s\n", set.c_str());
            for (const std::string& line : planText[set])
                std::printf("  %s\n", line.c_str());
        }
    }
    unlink(copy.c_str());
    return 0;
}
