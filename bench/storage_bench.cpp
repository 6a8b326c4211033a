// Times the storage layer's operations on address books of 1,000 and
// 100,000 contacts against the same work done by one raw SQLite connection
// with the fewest statements (the floor). Prints each pair and their ratio.
//
//   storage_bench [--only-small]
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/stopwatch.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "tools/DatabaseBuilder.h"

namespace
{
const char* const LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

void BuildDatabase(const wxString& path, int contacts)
{
    DatabaseBuilder::Create(path, false, nullptr);
    wxSQLite3Database db;
    db.Open(path);
    std::mt19937 rng(7);
    db.Begin();
    for (int t = 1; t <= 12; ++t)
        db.ExecuteUpdate(wxString::Format("insert into mst_tags (name, display_order) values ('Tag %d', %d);", t, t));
    wxSQLite3Statement contact = db.PrepareStatement(
        "insert into contacts (last_name, last_name_alpha, first_name, first_name_alpha, sex, birthday, company, "
        "business_phone, email, latest_update_time, latest_update_user_id, entry_time, entry_user_id) "
        "values (?, ?, ?, ?, ?, ?, 'Company', '+1 555 0100', 'someone@example.com', '2020-01-01 00:00:00', 0, "
        "'2020-01-01 00:00:00', 0);");
    wxSQLite3Statement link = db.PrepareStatement("insert into contact_tag (contact_id, tag_id) values (?, ?);");
    wxSQLite3Statement history = db.PrepareStatement(
        "insert into contact_history (his_time, contact_id, his_type, comment) values (?, ?, 0, 'Call');");
    const wxDateTime now = NowToSecond();
    for (int i = 1; i <= contacts; ++i)
    {
        const wxString last = wxString(LETTERS[rng() % 26]) + wxString::Format("name%d", i);
        contact.Bind(1, last);
        contact.Bind(2, last);
        contact.Bind(3, wxString::Format("%s%d", (rng() % 3) ? "Anna" : "Ben", i));
        contact.Bind(4, "first");
        contact.Bind(5, static_cast<int>(rng() % 2));
        BindDateTime(contact, 6, now - wxDateSpan::Days(static_cast<int>(rng() % 30000)));
        contact.ExecuteUpdate();
        contact.Reset();
        for (unsigned t = 0, n = rng() % 4; t < n; ++t)
        {
            link.Bind(1, i);
            link.Bind(2, static_cast<int>(1 + (i + t * 5) % 12));
            link.ExecuteUpdate();
            link.Reset();
        }
        for (unsigned h = 0, n = rng() % 11; h < n; ++h)
        {
            history.Bind(1, FormatDbTime(now - wxDateSpan::Days(static_cast<int>(rng() % 400))));
            history.Bind(2, i);
            history.ExecuteUpdate();
            history.Reset();
        }
    }
    db.Commit();
}

// Median of a few runs, in milliseconds.
double Time(const std::function<void()>& work, int runs = 5)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
    {
        wxStopWatch watch;
        work();
        times.push_back(watch.TimeInMicro().ToDouble() / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Row(const char* what, double ours, double floor)
{
    std::printf("  %-34s %10.2f ms %10.2f ms %8.1fx\n", what, ours, floor, floor > 0 ? ours / floor : 0.0);
}

// The floor for one page: the count and one joined page query.
void RawSearch(wxSQLite3Database& db, const wxString& where, int offset)
{
    wxSQLite3ResultSet count = db.ExecuteQuery("select count(*) from contacts c " + where + ";");
    count.NextRow();
    count.Finalize();
    wxSQLite3ResultSet page =
        db.ExecuteQuery("select c.*, (select group_concat(tag_id) from contact_tag t where t.contact_id = c.id), "
                        "(select count(*) from contact_history h where h.contact_id = c.id) from contacts c " +
                        where + wxString::Format(" order by last_name_alpha desc limit %d, 50;", offset));
    while (page.NextRow())
        for (int col = 0; col < page.GetColumnCount(); ++col)
            page.GetAsString(col);
    page.Finalize();
}

void Measure(int contacts)
{
    wxString dir = wxFileName::CreateTempFileName("corvala-bench");
    wxRemoveFile(dir);
    wxMkdir(dir);
    wxSetWorkingDirectory(dir);
    const wxString path = dir + "/data/Corvala.s3db";
    wxStopWatch build;
    BuildDatabase(path, contacts);
    std::printf("\n%d contacts (built in %.1f s)\n", contacts, build.Time() / 1000.0);
    std::printf("  %-34s %13s %13s %9s\n", "operation", "Corvala", "raw floor", "ratio");

    ContactManager manager;
    wxSQLite3Database raw;
    raw.Open(path);

    auto search = [&manager](int tag, const wxString& alphabet, const wxString& keyword, int page)
    {
        SearchCondition c;
        c.tagId = tag;
        c.alphabet = alphabet;
        c.keyword = keyword;
        c.pageIndex = page;
        manager.SetCondition(c);
        manager.condition.changed = true;
        manager.Search();
    };
    const int middle = (contacts / 50) / 2 + 1;
    Row("search, first page", Time([&] { search(-1, "", "", 1); }), Time([&] { RawSearch(raw, "", 0); }));
    Row("search, middle page", Time([&] { search(-1, "", "", middle); }),
        Time([&] { RawSearch(raw, "", (middle - 1) * 50); }));
    Row("search, letter + keyword", Time([&] { search(-1, "M", "Ann", 1); }),
        Time([&] { RawSearch(raw, "where last_name_alpha like 'M%' and first_name like '%Ann%'", 0); }));
    Row("search, tag", Time([&] { search(3, "", "", 1); }),
        Time([&] { RawSearch(raw, ", contact_tag t where t.contact_id = c.id and t.tag_id = 3", 0); }));
    Row("statistics", Time([&] { manager.GetStatistics(); }),
        Time(
            [&]
            {
                wxSQLite3ResultSet rs = raw.ExecuteQuery(
                    "select count(*), sum(sex = 1), sum(sex = 0), sum(birthday between '1996-01-01 00:00:00' and "
                    "'2026-01-01 00:00:00') from contacts;");
                rs.NextRow();
                rs.Finalize();
            }));

    std::vector<ContactInfoEx> fresh(1000);
    for (size_t i = 0; i < fresh.size(); ++i)
    {
        fresh[i].last_name = fresh[i].last_name_alpha = wxString::Format("Imported%zu", i);
        fresh[i].tagIds.Add(1 + static_cast<int>(i % 3));
    }
    ContactArray batch;
    for (ContactInfoEx& c : fresh)
        batch.Add(&c);
    const double insertOurs = Time([&] { manager.InsertContacts(batch); }, 1);
    const double insertFloor = Time(
        [&]
        {
            raw.Begin();
            wxSQLite3Statement st = raw.PrepareStatement(
                "insert into contacts (last_name, last_name_alpha, first_name, sex) values (?, ?, '', 1);");
            wxSQLite3Statement ln = raw.PrepareStatement("insert into contact_tag values (?, ?);");
            for (const ContactInfoEx& c : fresh)
            {
                st.Bind(1, c.last_name);
                st.Bind(2, c.last_name_alpha);
                st.ExecuteUpdate();
                st.Reset();
                ln.Bind(1, static_cast<int>(raw.GetLastRowId().GetLo()));
                ln.Bind(2, c.tagIds[0]);
                ln.ExecuteUpdate();
                ln.Reset();
            }
            raw.Commit();
        },
        1);
    Row("insert 1,000 contacts", insertOurs, insertFloor);

    search(-1, "", "", 1);
    ContactArray doomed;
    for (ContactInfoEx* c : manager.contactList)
        doomed.Add(c);
    const double deleteOurs = Time([&] { manager.DeleteContacts(doomed); }, 1);
    search(-1, "", "", 1);
    wxString ids;
    for (ContactInfoEx* c : manager.contactList)
        ids += wxString::Format("%s%d", ids.empty() ? "" : ",", c->id);
    const double deleteFloor = Time(
        [&]
        {
            raw.Begin();
            raw.ExecuteUpdate("delete from contacts where id in (" + ids + ");");
            raw.ExecuteUpdate("delete from contact_tag where contact_id in (" + ids + ");");
            raw.ExecuteUpdate("delete from contact_history where contact_id in (" + ids + ");");
            raw.Commit();
        },
        1);
    Row("delete 50 contacts", deleteOurs, deleteFloor);

    raw.Close();
    manager.Clear();
    wxSetWorkingDirectory("/");
    wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
}
} // namespace

int main(int argc, char** argv)
{
    wxInitializer init;
    wxSQLite3Database::InitializeSQLite();
    Measure(1000);
    if (!(argc > 1 && std::strcmp(argv[1], "--only-small") == 0))
        Measure(100000);
    return 0;
}
