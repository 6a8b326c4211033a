#include "storage/HistoryManager.h"

#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include "storage/ContactInfoEx.h"
#include "storage/DbValues.h"
#include "storage/FindIndex.h"
#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

namespace
{
const char* const SQL_LOAD_HISTORY = "select id, his_time, contact_id, his_type, comment \t\t\tfrom contact_history "
                                     "\t\t\twhere contact_id=%d order by his_time asc;";
const char* const SQL_INSERT_HISTORY =
    "Insert into contact_history (his_time, contact_id, comment, his_type) values(?, ?, ?, ?);";
const char* const SQL_UPDATE_HISTORY = "update contact_history set his_time=?, comment=? where id = ?;";
const char* const SQL_DELETE_HISTORY = "delete from contact_history where id = '%d';";
// Added beside the statements above: the entry as stored now, read in the
// write's own transaction.
const char* const SQL_STORED_HISTORY = "select his_time, comment from contact_history where id = %d;";

bool SameTime(const wxDateTime& a, const wxDateTime& b)
{
    return a.IsValid() == b.IsValid() && (!a.IsValid() || a == b);
}
} // namespace

const char* HistoryManager::InsertStatement()
{
    return SQL_INSERT_HISTORY;
}

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
                      history->loaded = true;
                      history->readTime = history->his_time;
                      history->readComment = history->comment;
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
    if (adapter.InsertHistory(SQL_INSERT_HISTORY, history) > 0)
        FindIndex::Reindex(adapter, history->contact_id);
    if (observer)
        observer->OnHistoryChanged();
}

bool HistoryManager::ReadStored(int id, wxDateTime& time, wxString& comment, bool& failed)
{
    bool found = false;
    const int rows = adapter.Query(wxString::Format(SQL_STORED_HISTORY, id),
                                   [&](wxSQLite3ResultSet& row)
                                   {
                                       time = ReadDateTime(row, 0);
                                       comment = ReadText(row, 1);
                                       found = true;
                                   });
    failed = rows < 0 || adapter.BatchFailed();
    return found && !failed;
}

void HistoryManager::Changed()
{
    if (observer)
        observer->OnHistoryChanged();
}

int HistoryManager::Update(HistoryInfo* history)
{
    UnitOfWork unit;
    if (!history->loaded)
    {
        const int updated = adapter.UpdateHistory(SQL_UPDATE_HISTORY, history);
        if (updated > 0)
            FindIndex::Reindex(adapter, history->contact_id);
        Changed();
        return updated;
    }
    // From reading the stored entry to writing it, one transaction: the
    // fields this edit changed take its values, the others keep what
    // another program may have stored meanwhile.
    wxString refused;
    int updated = 0;
    HistoryInfo merged(*history);
    wxDateTime storedTime;
    wxString storedComment;
    bool failed = false;
    if (!adapter.BeginBatch())
        failed = true;
    else if (!ReadStored(history->id, storedTime, storedComment, failed))
    {
        if (!failed)
            refused = _("This history entry was deleted by another program while it was edited here; the edit "
                        "was not stored.");
    }
    else
    {
        const bool timeEdited = !SameTime(history->his_time, history->readTime);
        const bool commentEdited = history->comment != history->readComment;
        const bool timeElsewhere = !SameTime(storedTime, history->readTime);
        const bool commentElsewhere = storedComment != history->readComment;
        if ((timeEdited && timeElsewhere && !SameTime(storedTime, history->his_time)) ||
            (commentEdited && commentElsewhere && storedComment != history->comment))
            refused = _("This history entry was changed by another program while it was edited here; the edit "
                        "was not stored, so that the other change is not lost. The list now shows what is "
                        "stored.");
        else
        {
            merged.his_time = timeEdited ? history->his_time : storedTime;
            merged.comment = commentEdited ? history->comment : storedComment;
            updated = adapter.UpdateHistory(SQL_UPDATE_HISTORY, &merged);
            if (updated > 0)
                FindIndex::Reindex(adapter, history->contact_id);
        }
    }
    if (!CommitGuarded(failed, refused, _("The history entry was not stored: %s")))
        return 0;
    // The entry now holds what is stored, for its next write.
    history->his_time = history->readTime = merged.his_time;
    history->comment = history->readComment = merged.comment;
    Changed();
    return updated;
}

int HistoryManager::Delete(HistoryInfo* history)
{
    UnitOfWork unit;
    if (!history->loaded)
    {
        const int deleted = adapter.Execute(wxString::Format(SQL_DELETE_HISTORY, history->id));
        if (deleted > 0)
            FindIndex::Reindex(adapter, history->contact_id);
        Changed();
        return deleted;
    }
    wxString refused;
    int deleted = 0;
    wxDateTime storedTime;
    wxString storedComment;
    bool failed = !adapter.BeginBatch();
    if (!failed && ReadStored(history->id, storedTime, storedComment, failed))
    {
        if (!SameTime(storedTime, history->readTime) || storedComment != history->readComment)
            refused = _("This history entry was changed by another program since it was shown here, and was not "
                        "deleted. The list now shows what is stored: delete it again if it should still go.");
        else
        {
            deleted = adapter.Execute(wxString::Format(SQL_DELETE_HISTORY, history->id));
            if (deleted > 0)
                FindIndex::Reindex(adapter, history->contact_id);
        }
    }
    // An entry another program already removed is gone either way.
    if (!CommitGuarded(failed, refused, _("The history entry was not deleted: %s")))
        return 0;
    Changed();
    return deleted;
}

bool HistoryManager::CommitGuarded(bool failed, const wxString& refused, const wxString& failure)
{
    if (refused.empty() && !failed && !adapter.BatchFailed() && adapter.CommitBatch())
        return true;
    const wxString reason = adapter.BatchError();
    adapter.RollbackBatch();
    ReportError(!refused.empty() ? refused : wxString::Format(failure, reason));
    Changed();
    return false;
}
