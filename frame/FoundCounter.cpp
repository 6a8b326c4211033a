#include "frame/FoundCounter.h"

#include <wx/event.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <string>
#include <utility>

#include "storage/Database.h"
#include "storage/FindIndex.h"

FoundCounter::FoundCounter(wxEvtHandler& owner, Done done) : owner(owner), done(std::move(done)) {}

FoundCounter::~FoundCounter()
{
    Stop();
}

void FoundCounter::Stop()
{
    for (Count& count : counts)
        *count.stop = true;
    for (Count& count : counts)
        count.thread.join();
    counts.clear();
}

void FoundCounter::Start(int ticket, const wxString& path, const wxString& counted, const wxString& sorted)
{
    // Counts that are over are let go; the others are told to stop.
    for (Count& count : counts)
    {
        *count.stop = true;
        if (*count.over)
            count.thread.join();
    }
    counts.erase(std::remove_if(counts.begin(), counts.end(), [](const Count& c) { return !c.thread.joinable(); }),
                 counts.end());
    // Texts cross to the thread as bytes of their own.
    const std::string file = path.utf8_string();
    const std::string key = Database::Key().utf8_string();
    const std::string clause = counted.utf8_string();
    const std::string page = sorted.utf8_string();
    Count count;
    count.thread = std::thread(
        [this, ticket, file, key, clause, page, stop = count.stop, over = count.over]
        {
            int total = -1;
            std::vector<int> ids;
            try
            {
                wxSQLite3Database db;
                db.Open(wxString::FromUTF8(file), wxString::FromUTF8(key), WXSQLITE_OPEN_READONLY);
                db.SetBusyTimeout(Database::GetBusyTimeout());
                total = FindIndex::CountFound(db, wxString::FromUTF8(clause), wxString::FromUTF8(page), ids,
                                              [&stop] { return stop->load(); });
                db.Close();
            }
            catch (const wxSQLite3Exception&)
            {
                total = -1; // the total stays unknown: the label says so
            }
            if (total >= 0 && !*stop)
                owner.CallAfter([this, ticket, total, ids] { done(ticket, total, ids); });
            *over = true;
        });
    counts.push_back(std::move(count));
}
