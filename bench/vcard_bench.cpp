// Times the vCard export and import of a large book without windows: a
// book of 10,000 contacts (names, phones, addresses, a comment, tags) is
// exported as 3.0 and 4.0 and the file is imported into an empty book as
// one batch. Each step runs in a child process of its own, so that its
// peak memory is its own.
//
//   build/bench/vcard_bench [CONTACTS]
//   build/bench/vcard_bench --small-cards [CARDS]
//
// With --small-cards, a file of that many small cards (1,000,000 unless
// given: a name and a phone each) is written directly and imported into an
// empty book, to show what the import's memory does with the number of
// cards.
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/stopwatch.h>
#include <wx/wxsqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "exchange/VCardExport.h"
#include "exchange/VCardImport.h"
#include "exchange/VCardReader.h"
#include "storage/ContactManager.h"
#include "storage/SearchCondition.h"
#include "storage/TagManager.h"
#include "tools/DatabaseBuilder.h"

namespace
{
bool MakeBook(const wxString& folder, int contacts)
{
    wxString error;
    if (!DatabaseBuilder::Create(folder + "/data/Corvala.s3db", false, &error))
    {
        std::fprintf(stderr, "cannot create the database: %s\n", static_cast<const char*>(error.utf8_str()));
        return false;
    }
    wxSQLite3Database db;
    db.Open(folder + "/data/Corvala.s3db");
    db.Begin();
    for (int t = 0; t < 12; ++t)
        db.ExecuteUpdate(wxString::Format("insert into mst_tags (name, display_order) values ('Tag %d', %d);", t, t));
    wxSQLite3Statement st = db.PrepareStatement(
        "insert into contacts (last_name, last_name_alpha, first_name, first_name_alpha, sex, birthday, company, "
        "department, job_title, business_phone, business_mobile, home_phone, home_mobile, business_street, "
        "business_street_2, business_street_3, home_street, email, email_2, webpage, business_im, comment, "
        "latest_update_time, latest_update_user_id, entry_time, entry_user_id) values (?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '2020-01-01 00:00:00', 0, '2020-01-01 00:00:00', 0);");
    for (int i = 0; i < contacts; ++i)
    {
        const wxString n = wxString::Format("%05d", i);
        int p = 1;
        st.Bind(p++, wxString::FromUTF8("M\xC3\xBCller") + n);
        st.Bind(p++, "Mueller" + n);
        st.Bind(p++, "Given" + n);
        st.Bind(p++, "Given" + n);
        st.Bind(p++, i % 2);
        st.Bind(p++, wxString::Format("19%02d-%02d-%02d 00:00:00", 40 + i % 60, 1 + i % 12, 1 + i % 28));
        st.Bind(p++, "Company " + n);
        st.Bind(p++, "Sales; East, North");
        st.Bind(p++, "Manager");
        st.Bind(p++, "+1 555 01" + n);
        st.Bind(p++, "+1 555 02" + n);
        st.Bind(p++, "+1 555 03" + n);
        st.Bind(p++, "+1 555 04" + n);
        st.Bind(p++, n + " Market Street");
        st.Bind(p++, "94103 San Francisco, CA");
        st.Bind(p++, "USA");
        st.Bind(p++, wxString::FromUTF8("Hauptstra\xC3\x9F"
                                        "e ") +
                         n);
        st.Bind(p++, "person" + n + "@example.com");
        st.Bind(p++, "other" + n + "@example.org");
        st.Bind(p++, "https://www.example.com/" + n);
        st.Bind(p++, "xmpp:person" + n + "@example.com");
        st.Bind(p++, "Met at the fair; prefers e-mail, not calls.\nA second line that is long enough to be folded "
                     "by the writer at seventy-five octets.");
        st.ExecuteUpdate();
        st.Reset();
        for (int t = 0; t < i % 4; ++t)
            db.ExecuteUpdate(wxString::Format("insert into contact_tag (contact_id, tag_id) values (%d, %d);", i + 1,
                                              1 + (i + t) % 12));
    }
    db.Commit();
    return true;
}

// Runs the step in a child process; prints its time and peak memory.
bool InChild(const char* name, const std::function<bool(double& ms, wxString& detail)>& step)
{
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0)
    {
        double ms = 0;
        wxString detail;
        const bool ok = step(ms, detail);
        std::printf("%-22s %8.1f ms  %s", name, ms, static_cast<const char*>(detail.utf8_str()));
        std::fflush(stdout);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    struct rusage usage;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return false;
    // CPU time as well: on a shared machine the wall clock also counts the
    // other programs' turns.
    const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    std::printf("  child cpu %7.1f ms  peak %6.1f MB\n", cpu, usage.ru_maxrss / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Imports a file of many small cards into an empty book.
// Imports a file into the empty book of a folder as one batch, in a child
// process; true when every one of the expected cards was stored.
bool TimedImport(const char* name, const wxString& bookFolder, const wxString& file, VCardImport::Duplicates duplicates,
                 size_t expected)
{
    return InChild(name,
                   [&](double& ms, wxString& detail)
                   {
                       wxSetWorkingDirectory(bookFolder);
                       TagManager tags;
                       ContactManager manager;
                       VCardImport import(tags, manager);
                       wxStopWatch watch;
                       VCardImport::Result r = import.Run(file, duplicates);
                       ms = watch.TimeInMicro().ToDouble() / 1000.0;
                       detail = wxString::Format("%zu stored", r.imported);
                       return r.stored && r.imported == expected;
                   });
}

int SmallCards(long cards)
{
    char templ[] = "/tmp/corvala-vcard-bench-XXXXXX";
    if (!mkdtemp(templ))
        return 2;
    const wxString folder = wxString::FromUTF8(templ);
    const wxString file = folder + "/small.vcf";
    wxString error;
    if (!DatabaseBuilder::Create(folder + "/empty/data/Corvala.s3db", false, &error))
        return 2;
    FILE* out = std::fopen(file.fn_str(), "wb");
    if (!out)
        return 2;
    for (long i = 0; i < cards; ++i)
        std::fprintf(out, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Family%07ld;Given;;;\r\nTEL:+1 555 %07ld\r\nEND:VCARD\r\n",
                     i, i);
    std::fclose(out);
    std::printf("%ld small cards, %.1f MB file\n", cards, wxFileName::GetSize(file).ToDouble() / 1e6);
    const bool ok = TimedImport("import (one batch)", folder + "/empty", file, VCardImport::Duplicates::IMPORT,
                                static_cast<size_t>(cards));
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    return ok ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    wxInitializer init;
    if (!init.IsOk())
        return 2;
    if (argc > 1 && std::strcmp(argv[1], "--small-cards") == 0)
        return SmallCards(argc > 2 ? std::atol(argv[2]) : 1000000);
    const int contacts = argc > 1 ? std::atoi(argv[1]) : 10000;

    char templ[] = "/tmp/corvala-vcard-bench-XXXXXX";
    if (!mkdtemp(templ))
        return 2;
    const wxString folder = wxString::FromUTF8(templ);
    wxString error;
    if (!MakeBook(folder + "/book", contacts) ||
        !DatabaseBuilder::Create(folder + "/empty30/data/Corvala.s3db", false, &error) ||
        !DatabaseBuilder::Create(folder + "/empty40/data/Corvala.s3db", false, &error))
        return 2;
    std::printf("%d contacts\n", contacts);

    bool ok = true;
    for (VCardVersion version : {VCardVersion::V30, VCardVersion::V40})
    {
        const bool v3 = version == VCardVersion::V30;
        const wxString file = folder + (v3 ? "/book30.vcf" : "/book40.vcf");
        ok = InChild(v3 ? "export 3.0" : "export 4.0",
                     [&](double& ms, wxString& detail)
                     {
                         wxSetWorkingDirectory(folder + "/book");
                         TagManager tags;
                         tags.Load();
                         ContactManager contactManager;
                         wxStopWatch watch;
                         VCardExport::Result r =
                             VCardExport::WriteSearch(file, SearchCondition(), contactManager, tags, version);
                         ms = watch.TimeInMicro().ToDouble() / 1000.0;
                         detail = wxString::Format("%zu cards, %.1f MB file", r.written,
                                                   wxFileName::GetSize(file).ToDouble() / 1e6);
                         return r.ok && r.written == static_cast<size_t>(contacts);
                     }) &&
             ok;
        ok = InChild(v3 ? "read 3.0 (no storing)" : "read 4.0 (no storing)",
                     [&](double& ms, wxString& detail)
                     {
                         VCardReader reader;
                         reader.Open(file);
                         VCardReader::Card card;
                         size_t read = 0;
                         wxStopWatch watch;
                         while (reader.Next(card))
                             read += card.result == VCardReader::CARD_OK;
                         ms = watch.TimeInMicro().ToDouble() / 1000.0;
                         detail = wxString::Format("%zu cards", read);
                         return read == static_cast<size_t>(contacts);
                     }) &&
             ok;
        ok = TimedImport(v3 ? "import 3.0 (one batch)" : "import 4.0 (one batch)",
                         folder + (v3 ? "/empty30" : "/empty40"), file, VCardImport::Duplicates::SKIP,
                         static_cast<size_t>(contacts)) &&
             ok;
    }
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    return ok ? 0 : 1;
}
