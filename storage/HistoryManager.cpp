#include "storage/HistoryManager.h"

#include <wx/wxsqlite3.h>

#include "storage/ContactInfoEx.h"
#include "storage/DbValues.h"
#include "storage/UnitOfWork.h"

namespace
{
const char* const SQL_LOAD_HISTORY = "select id, his_time, contact_id, his_type, comment \t\t\tfrom contact_history "
                                     "\t\t\twhere contact_id=%d order by his_time asc;";
const char* const SQL_INSERT_HISTORY =
    "Insert into contact_history (his_time, contact_id, comment, his_type) values(?, ?, ?, ?);";
const char* const SQL_UPDATE_HISTORY = "update contact_history set his_time=?, comment=? where id = ?;";
const char* const SQL_DELETE_HISTORY = "delete from contact_history where id = '%d';";
} // namespace

HistoryInfo::HistoryInfo() : id(0), his_time(NowToSecond()), contact_id(0), his_type(0) {}

HistoryManager::HistoryManager() : observer(nullptr), currentContact(nullptr), currentHistory(nullptr) {}

HistoryManager::~HistoryManager()
{
    Clear();
}

void HistoryManager::SetObserver(HistoryObserver* o)
{
    observer = o;
}

void HistoryManager::Load()
{
    UnitOfWork unit;
    if (!currentContact)
        return;
    if (!historyList.IsEmpty())
        Clear();
    adapter.Query(wxString::Format(SQL_LOAD_HISTORY, currentContact->id),
                  [this](wxSQLite3ResultSet& row)
                  {
                      HistoryInfo* history = new HistoryInfo();
                      history->id = ReadInt(row, 0);
                      history->his_time = ReadDateTime(row, 1);
                      history->contact_id = ReadInt(row, 2);
                      history->his_type = ReadInt(row, 3);
                      history->comment = ReadText(row, 4);
                      historyList.Add(history);
                  });
}

void HistoryManager::Clear()
{
    // The current entry lives in the list: it goes with it.
    currentHistory = nullptr;
    while (!historyList.IsEmpty())
    {
        const size_t last = historyList.GetCount() - 1;
        delete historyList[last];
        historyList.RemoveAt(last);
    }
}

void HistoryManager::Insert(HistoryInfo* history)
{
    UnitOfWork unit;
    adapter.InsertHistory(SQL_INSERT_HISTORY, history);
    if (observer)
        observer->OnHistoryChanged();
}

int HistoryManager::Update(HistoryInfo* history)
{
    UnitOfWork unit;
    const int updated = adapter.UpdateHistory(SQL_UPDATE_HISTORY, history);
    if (observer)
        observer->OnHistoryChanged();
    return updated;
}

int HistoryManager::Delete(HistoryInfo* history)
{
    UnitOfWork unit;
    const int deleted = adapter.Execute(wxString::Format(SQL_DELETE_HISTORY, history->id));
    if (observer)
        observer->OnHistoryChanged();
    return deleted;
}
