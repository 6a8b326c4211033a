// Times the spreadsheet import without windows: reading a workbook of 1,000
// and 10,000 contact rows, and importing it as the dialog does (each row
// stored through the contact manager's batch insert as it is read) into a
// fresh database.
//
//   build/bench/import_bench [ROWS...]
#include <unistd.h>

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/stopwatch.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "bench/support/BenchBook.h"
#include "exchange/SpreadsheetReader.h"
#include "storage/ContactManager.h"
#include "tools/DatabaseBuilder.h"

namespace
{
double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool RunOne(const wxString& folder, int rows)
{
    const wxString file = folder + wxString::Format("/contacts-%d.xls", rows);
    const std::string content = BenchBook::Workbook(rows);
    std::ofstream(file.utf8_string(), std::ios::binary) << content;

    // Reading: best of several runs is noise-prone on a shared machine, so
    // the median of five.
    std::vector<double> read;
    size_t imported = 0;
    for (int run = 0; run < 5; ++run)
    {
        SpreadsheetReader reader;
        size_t texts = 0;
        reader.onCellText = [&](const wxString&) { ++texts; };
        wxStopWatch watch;
        if (reader.Open(file) != SpreadsheetReader::LOAD_OK)
        {
            std::fprintf(stderr, "the generated workbook does not load\n");
            return false;
        }
        size_t rowsRead = 0;
        while (reader.Next())
            ++rowsRead;
        read.push_back(watch.TimeInMicro().ToDouble() / 1000.0);
        imported = reader.Failed() ? 0 : rowsRead;
    }

    // Storing: one batch into a fresh database, as the dialog does.
    const wxString dbFolder = folder + wxString::Format("/db-%d", rows);
    wxString error;
    if (!DatabaseBuilder::Create(dbFolder + "/data/Corvala.s3db", false, &error))
    {
        std::fprintf(stderr, "cannot create the database: %s\n", static_cast<const char*>(error.utf8_str()));
        return false;
    }
    const wxString oldCwd = wxGetCwd();
    wxSetWorkingDirectory(dbFolder);
    double insert = 0;
    int total = 0;
    {
        ContactManager manager;
        wxStopWatch watch;
        SpreadsheetReader reader;
        if (reader.Open(file) == SpreadsheetReader::LOAD_OK)
            manager.InsertContacts(reader);
        insert = watch.TimeInMicro().ToDouble() / 1000.0;
        total = manager.totalCount;
    }
    wxSetWorkingDirectory(oldCwd);

    std::printf("%6d rows  %7.2f MB  read %8.1f ms  import (read and store) %9.1f ms (%.2f ms/row)  stored %d of "
                "%zu\n",
                rows, content.size() / 1e6, Median(read), insert, insert / std::max(1, rows), total, imported);
    return total == static_cast<int>(imported) && imported == static_cast<size_t>(rows);
}
} // namespace

int main(int argc, char** argv)
{
    wxInitializer init;
    if (!init.IsOk())
        return 2;
    // The program names the system's time zone at start; so does this, or
    // every stored date would look at the zone file again.
    if (!std::getenv("TZ") && access("/etc/localtime", R_OK) == 0)
        setenv("TZ", ":/etc/localtime", 1);
    tzset();
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 10000};

    char templ[] = "/tmp/corvala-bench-XXXXXX";
    if (!mkdtemp(templ))
        return 2;
    const wxString folder = wxString::FromUTF8(templ);
    bool ok = true;
    for (int rows : sizes)
        ok = RunOne(folder, rows) && ok;
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    return ok ? 0 : 1;
}
