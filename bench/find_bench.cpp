// Measures the find box's storage side on the cached books: each keystroke of
// a few typed texts (the count and the first page, as the list shows them),
// the size of the find index beside the contacts table, and the time and
// memory the start-up takes to fill the index of a book made without it.
//
//   find_bench [--runs N] [--no-fill] [SIZE...]     (default 100000)
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/BenchBook.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/DatabaseIndexes.h"
#include "storage/FindIndex.h"

#ifndef CORVALA_SOURCE_DIR
#define CORVALA_SOURCE_DIR "."
#endif

namespace
{
// What people type: a family name, a company, part of a phone number, part
// of an e-mail address and two words of different fields.
const char* const TYPED[] = {"baker", "tidewater", "555 0123", "harbor.ex", "anna lund"};
// Short texts that few contacts hold: found by no index, so by a read of
// every row.
const char* const RARE[] = {"q", "qz", "\xE5\xB1\xB1"};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Each keystroke's search, as the find box runs it, median of runs: the
// page (and the total when it comes with it), then the total (and the
// page, when its first rows came first) when the window makes it
// afterwards on a connection of its own.
void MeasureKeystrokes(int runs, const wxString& path)
{
    ContactManager manager;
    int ticket = 0;
    wxString where, sorted;
    manager.countFound = [&](int t, const wxString& w, const wxString& s)
    {
        ticket = t;
        where = w;
        sorted = s;
    };
    wxSQLite3Database counter;
    counter.Open(path, Database::Key(), WXSQLITE_OPEN_READONLY);
    std::printf("  %-12s %9s %9s %11s\n", "typed", "found", "page ms", "counted ms");
    std::vector<std::string> texts(std::begin(TYPED), std::end(TYPED));
    texts.insert(texts.end(), std::begin(RARE), std::end(RARE));
    for (const std::string& typed : texts)
    {
        const bool rare = std::find(std::begin(RARE), std::end(RARE), typed) != std::end(RARE);
        for (size_t length = rare ? typed.size() : 1; length <= typed.size(); ++length)
        {
            const wxString prefix = wxString::FromUTF8(typed.substr(0, length));
            std::vector<double> pages, totals;
            for (int run = 0; run < runs; ++run)
            {
                SearchCondition other;
                other.find = "\x01";
                manager.SetCondition(other);
                SearchCondition condition;
                condition.find = prefix;
                const int64_t start = BenchBook::MonotonicNs();
                manager.SetCondition(condition);
                manager.Search();
                pages.push_back((BenchBook::MonotonicNs() - start) / 1e6);
                if (manager.findCountPending)
                {
                    std::vector<int> ids;
                    manager.FoundCounted(ticket, FindIndex::CountFound(counter, where, sorted, ids), ids);
                }
                totals.push_back((BenchBook::MonotonicNs() - start) / 1e6);
            }
            std::printf("  %-12s %9d %9.1f %11.1f\n", ("\"" + typed.substr(0, length) + "\"").c_str(),
                        manager.totalCount, Median(pages), Median(totals));
        }
    }
    counter.Close();
}

// Bytes on disk of the contacts table and of the find index's tables.
void PrintSizes(const wxString& path)
{
    wxSQLite3Database db;
    db.Open(path, wxEmptyString, WXSQLITE_OPEN_READONLY);
    const double contacts = db.ExecuteScalar("select sum(pgsize) from dbstat where name = 'contacts';");
    const double find = db.ExecuteScalar("select sum(pgsize) from dbstat where name like 'contact_find%';");
    const double file = wxFileName::GetSize(path).ToDouble();
    std::printf("  contacts table %.1f MB, find index %.1f MB (%.2fx the table), file %.1f MB\n", contacts / 1e6,
                find / 1e6, contacts > 0 ? find / contacts : 0.0, file / 1e6);
    db.Close();
}

// A copy of the book without the index, filled the way a start does.
void MeasureFill(const std::string& book)
{
    const wxString dir = wxString::FromUTF8(BenchBook::ScratchDir() + "/find-fill");
    wxFileName::Mkdir(dir + "/data", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    const wxString copy = dir + "/data/Corvala.s3db";
    wxCopyFile(wxString::FromUTF8(BenchBook::DatabasePath(book)), copy, true);
    {
        wxSQLite3Database db;
        db.Open(copy);
        db.ExecuteUpdate("drop table contact_find;");
        db.Close();
    }
    const wxString oldCwd = wxGetCwd();
    wxSetWorkingDirectory(dir);
    BenchBook::ResetPeakRss();
    const long before = BenchBook::CurrentRssKb();
    const int64_t start = BenchBook::MonotonicNs();
    AddMissingIndexes();
    const double ms = (BenchBook::MonotonicNs() - start) / 1e6;
    std::printf("  filling the index at start-up: %.0f ms, %.1f MB memory added at the peak\n", ms,
                (BenchBook::PeakRssKb() - before) / 1024.0);
    wxSetWorkingDirectory(oldCwd);
    wxRemoveFile(copy);
}
} // namespace

int main(int argc, char** argv)
{
    wxInitializer init;
    int runs = 5;
    bool fill = true;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--no-fill")
            fill = false;
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty())
        sizes.push_back(100000);
    if (!std::getenv("TZ"))
        setenv("TZ", ":/etc/localtime", 1);
    wxSQLite3Database::InitializeSQLite();
    for (int contacts : sizes)
    {
        const std::string book = BenchBook::Ensure(contacts, CORVALA_SOURCE_DIR);
        std::printf("%d contacts\n", contacts);
        PrintSizes(wxString::FromUTF8(BenchBook::DatabasePath(book)));
        const wxString oldCwd = wxGetCwd();
        wxSetWorkingDirectory(wxString::FromUTF8(book));
        MeasureKeystrokes(runs, wxString::FromUTF8(BenchBook::DatabasePath(book)));
        wxSetWorkingDirectory(oldCwd);
        if (fill)
            MeasureFill(book);
    }
    return 0;
}
