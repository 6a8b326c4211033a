// Times the search for duplicates on the cached books: one read of every
// contact, the keys and the groups, as the Tools menu's dialog runs it.
//
//   duplicate_bench [--runs N] [SIZE...]     (default 100000)
#include <wx/filefn.h>
#include <wx/init.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/BenchBook.h"
#include "storage/DatabaseIndexes.h"
#include "storage/DuplicateFinder.h"

#ifndef CORVALA_SOURCE_DIR
#define CORVALA_SOURCE_DIR "."
#endif

int main(int argc, char** argv)
{
    wxInitializer init;
    int runs = 3;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
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
        const wxString oldCwd = wxGetCwd();
        wxSetWorkingDirectory(wxString::FromUTF8(book));
        // What a start of the program adds to a book made before the search.
        AddMissingIndexes();
        std::vector<double> times;
        size_t groups = 0, grouped = 0;
        int progressCalls = 0;
        for (int run = 0; run < runs; ++run)
        {
            DuplicateFinder finder("US");
            std::vector<std::vector<int>> found;
            const int64_t start = BenchBook::MonotonicNs();
            const bool ok = finder.Find(found, [&progressCalls](int, int) { return ++progressCalls, true; });
            times.push_back((BenchBook::MonotonicNs() - start) / 1e6);
            if (!ok)
            {
                std::printf("  the search failed\n");
                return 1;
            }
            groups = found.size();
            grouped = 0;
            for (const auto& group : found)
                grouped += group.size();
        }
        std::sort(times.begin(), times.end());
        std::printf("%d contacts: %zu groups (%zu contacts), median %.0f ms, best %.0f ms, worst %.0f ms "
                    "(%d runs, %d progress calls)\n",
                    contacts, groups, grouped, times[times.size() / 2], times.front(), times.back(), runs,
                    progressCalls);
        wxSetWorkingDirectory(oldCwd);
    }
    return 0;
}
