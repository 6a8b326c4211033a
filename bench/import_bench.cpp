// Times the spreadsheet import without windows: reading a workbook of 1,000
// and 10,000 contact rows, and importing it as the dialog does (each row
// stored through the contact manager's batch insert as it is read) into a
// fresh database, beside the floor: the same rows streamed by expat into
// one prepared insert in one transaction.
//
//   build/bench/import_bench [ROWS...]
#include <unistd.h>

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/stopwatch.h>
#include <wx/wxsqlite3.h>

#include <expat.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
// The floor: the same rows streamed by expat straight into one prepared
// insert (every column the program's insert writes) in one transaction,
// with none of the program's layers.
struct Floor
{
    sqlite3_stmt* insert = nullptr;
    bool inRow = false, inData = false, header = true;
    std::vector<std::string> cells;
    std::string text, now;
    int stored = 0;

    static void Start(void* self, const char* name, const char**)
    {
        Floor& f = *static_cast<Floor*>(self);
        if (std::strcmp(name, "Row") == 0 || std::strcmp(name, "ss:Row") == 0)
        {
            f.inRow = true;
            f.cells.clear();
        }
        else if (f.inRow && (std::strcmp(name, "Data") == 0 || std::strcmp(name, "ss:Data") == 0))
        {
            f.inData = true;
            f.text.clear();
        }
    }
    static void Text(void* self, const char* text, int length)
    {
        Floor& f = *static_cast<Floor*>(self);
        if (f.inData)
            f.text.append(text, static_cast<size_t>(length));
    }
    static void End(void* self, const char* name)
    {
        Floor& f = *static_cast<Floor*>(self);
        if (f.inData && (std::strcmp(name, "Data") == 0 || std::strcmp(name, "ss:Data") == 0))
        {
            f.inData = false;
            f.cells.push_back(f.text);
        }
        else if (f.inRow && (std::strcmp(name, "Row") == 0 || std::strcmp(name, "ss:Row") == 0))
        {
            f.inRow = false;
            if (f.header)
                f.header = false;
            else
                f.Store();
        }
    }
    void Store()
    {
        cells.resize(7);
        // Parameters as the program's insert numbers them: names 1 to 4,
        // sex 5, birthday 6, texts 7 to 38, times and users 39 to 42.
        for (int i = 1; i <= 42; ++i)
            sqlite3_bind_text(insert, i, "", 0, SQLITE_STATIC);
        auto text = [this](int index, const std::string& value)
        { sqlite3_bind_text(insert, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT); };
        text(1, cells[0]);
        text(2, cells[0]);
        text(3, cells[1]);
        text(4, cells[1]);
        sqlite3_bind_int(insert, 5, 2);
        sqlite3_bind_null(insert, 6);
        text(12, cells[2]); // business_phone
        text(14, cells[3]); // business_mobile
        text(24, cells[4]); // home_phone
        text(26, cells[5]); // home_mobile
        text(34, cells[6]); // email
        text(39, now);
        sqlite3_bind_int(insert, 40, 0);
        text(41, now);
        sqlite3_bind_int(insert, 42, 0);
        if (sqlite3_step(insert) == SQLITE_DONE)
            ++stored;
        sqlite3_reset(insert);
        if (find)
        {
            // The row's texts in lower case, one per line, as the find
            // index holds them.
            std::string body;
            for (const std::string& cell : cells)
            {
                if (cell.empty())
                    continue;
                body += (body.empty() ? "" : "\n") + cell;
            }
            std::transform(body.begin(), body.end(), body.begin(), [](unsigned char c) { return std::tolower(c); });
            sqlite3_bind_int64(find, 1, sqlite3_last_insert_rowid(sqlite3_db_handle(insert)));
            sqlite3_bind_text(find, 2, body.data(), static_cast<int>(body.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(find, 3, cells[0].data(), static_cast<int>(cells[0].size()), SQLITE_TRANSIENT);
            sqlite3_step(find);
            sqlite3_reset(find);
        }
    }
    // The find index's insert, when the floor writes it too.
    sqlite3_stmt* find = nullptr;
};

double FloorMs(const std::string& content, const std::string& database, const std::string& insertSql, int& stored,
               bool withFind = false)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(database.c_str(), &db) != SQLITE_OK)
        return -1;
    const auto start = std::chrono::steady_clock::now();
    Floor floor;
    floor.now = wxDateTime::Now().Format("%Y-%m-%d %H:%M:%S").utf8_string();
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, insertSql.c_str(), -1, &floor.insert, nullptr);
    if (withFind)
        sqlite3_prepare_v2(db, "insert into contact_find (rowid, body, alpha) values (?, ?, ?);", -1, &floor.find,
                           nullptr);
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &floor);
    XML_SetElementHandler(parser, Floor::Start, Floor::End);
    XML_SetCharacterDataHandler(parser, Floor::Text);
    XML_Parse(parser, content.data(), static_cast<int>(content.size()), 1);
    XML_ParserFree(parser);
    sqlite3_finalize(floor.insert);
    sqlite3_finalize(floor.find);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    sqlite3_close(db);
    stored = floor.stored;
    return ms;
}

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

    // Storing: one batch into a fresh database, as the dialog does; the
    // same into a book without the find index (what the index costs); and
    // the floor, without and with the find index's insert. Five rounds of
    // the four, median of each.
    const wxString dbFolder = folder + wxString::Format("/db-%d", rows);
    const wxString floorFolder = folder + wxString::Format("/floor-%d", rows);
    wxString error;
    auto fresh = [&error](const wxString& path, bool withFind)
    {
        wxRemoveFile(path);
        if (!DatabaseBuilder::Create(path, false, &error))
        {
            std::fprintf(stderr, "cannot create the database: %s\n", static_cast<const char*>(error.utf8_str()));
            return false;
        }
        if (!withFind)
        {
            wxSQLite3Database db;
            db.Open(path);
            db.ExecuteUpdate("drop table contact_find;");
            db.Close();
        }
        return true;
    };
    auto import = [&](bool withFind, int& total)
    {
        if (!fresh(dbFolder + "/data/Corvala.s3db", withFind))
            return -1.0;
        const wxString oldCwd = wxGetCwd();
        wxSetWorkingDirectory(dbFolder);
        ContactManager manager;
        wxStopWatch watch;
        SpreadsheetReader reader;
        if (reader.Open(file) == SpreadsheetReader::LOAD_OK)
            manager.InsertContacts(reader);
        total = manager.totalCount;
        const double ms = watch.TimeInMicro().ToDouble() / 1000.0;
        wxSetWorkingDirectory(oldCwd);
        return ms;
    };
    auto floorRun = [&](bool withFind, int& stored)
    {
        const wxString path = floorFolder + "/data/Corvala.s3db";
        if (!fresh(path, true))
            return -1.0;
        return FloorMs(content, path.utf8_string(), ContactManager::InsertStatement(), stored, withFind);
    };
    std::vector<double> inserts, unindexeds, floors, indexedFloors;
    int total = 0, unindexedTotal = 0, floorStored = 0, indexedStored = 0;
    for (int round = 0; round < 5; ++round)
    {
        inserts.push_back(import(true, total));
        unindexeds.push_back(import(false, unindexedTotal));
        floors.push_back(floorRun(false, floorStored));
        indexedFloors.push_back(floorRun(true, indexedStored));
    }
    const double insert = Median(inserts), unindexed = Median(unindexeds), floor = Median(floors),
                 indexedFloor = Median(indexedFloors);

    std::printf("%6d rows  %7.2f MB  read %8.1f ms  import (read and store) %9.1f ms (%.2f ms/row)  stored %d of "
                "%zu\n",
                rows, content.size() / 1e6, Median(read), insert, insert / std::max(1, rows), total, imported);
    std::printf("%6s       floor: expat into one prepared insert %9.1f ms  %.1fx  stored %d\n", "", floor,
                floor > 0 ? insert / floor : 0, floorStored);
    std::printf("%6s       into a book without the find index %9.1f ms  %.1fx the floor  stored %d\n", "", unindexed,
                floor > 0 ? unindexed / floor : 0, unindexedTotal);
    std::printf("%6s       floor with the find index: and each row's texts into it %9.1f ms  import %.1fx  stored "
                "%d\n",
                "", indexedFloor, indexedFloor > 0 ? insert / indexedFloor : 0, indexedStored);
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
