// The contact manager's writes for a sync: each one transaction with the
// sync's own rows (SyncStore.h), so that a sync stopped at any moment leaves
// the contact and its link saying the same.
#include <wx/wxsqlite3.h>

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/EditMerge.h"
#include "storage/FindIndex.h"
#include "storage/HistoryAdapter.h"
#include "storage/HistoryInfo.h"
#include "storage/HistoryManager.h"
#include "storage/KeptProperties.h"
#include "storage/UnitOfWork.h"

std::unique_ptr<ContactInfoEx> ContactManager::ReadSynced(int id)
{
    UnitOfWork unit;
    syncFailed = false;
    std::unique_ptr<ContactInfoEx> stored = ReadStored(id);
    if (!stored)
    {
        syncFailed = adapter.LastFailed();
        return nullptr;
    }
    if (!KeptProperties::Read(adapter, id, stored->keptProperties))
    {
        syncFailed = true;
        return nullptr;
    }
    return stored;
}

bool ContactManager::StoreSynced(ContactInfoEx& contact, const SyncWrite& write, bool* changedMeanwhile)
{
    UnitOfWork unit;
    if (changedMeanwhile)
        *changedMeanwhile = false;
    // Inside SyncBatch the batch's transaction holds this write too.
    const bool own = !adapter.InBatch();
    if (own && !adapter.BeginBatch())
    {
        lastBatchError = adapter.BatchError();
        return false;
    }
    bool stored = true;
    if (contact.id < 0)
        stored = InsertRecord(&contact) > 0 && !adapter.BatchFailed();
    else
    {
        // Read in the write's transaction: an edit another program made
        // since the sync read the contact is never overwritten.
        std::unique_ptr<ContactInfoEx> now = ReadStored(contact.id);
        if (!now || (contact.readAs && EditMerge::ChangedSinceRead(contact, *now)))
        {
            if (changedMeanwhile && !adapter.BatchFailed())
                *changedMeanwhile = true;
            // Nothing was written yet: a batch around it goes on.
            if (own || adapter.BatchFailed())
                adapter.RollbackBatch();
            return false;
        }
        contact.latest_update_time = NowToSecond();
        stored = adapter.UpdateContact(UpdateStatement(), &contact) > 0 && !adapter.BatchFailed();
        if (stored)
        {
            ReplaceTagLinks(&contact);
            stored = !adapter.BatchFailed() && KeptProperties::Delete(adapter, contact.id) &&
                     KeptProperties::Insert(adapter, contact) && FindIndex::Reindex(adapter, contact.id);
        }
    }
    stored = stored && !adapter.BatchFailed() && (!write || write(adapter)) && !adapter.BatchFailed();
    return Finish(own, stored);
}

bool ContactManager::DeleteSynced(int id, const SyncWrite& write)
{
    UnitOfWork unit;
    const bool own = !adapter.InBatch();
    if (own && !adapter.BeginBatch())
    {
        lastBatchError = adapter.BatchError();
        return false;
    }
    ContactInfoEx gone;
    gone.id = id;
    const bool stored =
        DeleteRows(&gone) && !adapter.BatchFailed() && (!write || write(adapter)) && !adapter.BatchFailed();
    return Finish(own, stored);
}

bool ContactManager::WriteSynced(const SyncWrite& write)
{
    UnitOfWork unit;
    const bool own = !adapter.InBatch();
    if (own && !adapter.BeginBatch())
    {
        lastBatchError = adapter.BatchError();
        return false;
    }
    const bool stored = write(adapter) && !adapter.BatchFailed();
    return Finish(own, stored);
}

bool ContactManager::Finish(bool own, bool stored)
{
    // A write inside SyncBatch that failed fails the whole batch.
    if (!stored)
    {
        lastBatchError = adapter.BatchError();
        adapter.RollbackBatch();
        return false;
    }
    if (own && !adapter.CommitBatch())
    {
        lastBatchError = adapter.BatchError();
        return false;
    }
    return true;
}

bool ContactManager::SyncBatch(const std::function<bool()>& work)
{
    UnitOfWork unit;
    lastBatchError.clear();
    if (!adapter.BeginBatch())
    {
        lastBatchError = adapter.BatchError();
        return false;
    }
    bool stored = false;
    try
    {
        stored = work() && adapter.InBatch() && !adapter.BatchFailed();
    }
    catch (...)
    {
        adapter.RollbackBatch();
        throw;
    }
    if (stored)
        stored = adapter.CommitBatch();
    if (!stored)
    {
        lastBatchError = adapter.BatchError();
        adapter.RollbackBatch();
    }
    return stored;
}

bool ContactManager::AddSyncHistory(Adapter& target, int contactId, const wxString& comment)
{
    HistoryAdapter history;
    HistoryInfo entry;
    entry.contact_id = contactId;
    entry.comment = comment;
    entry.his_type = 0;
    if (history.InsertHistory(HistoryManager::InsertStatement(), &entry) <= 0 || history.LastFailed())
        return false;
    return !FindIndex::Exists(target) || FindIndex::Reindex(target, contactId);
}

bool ContactManager::AllContactIds(std::vector<int>& ids)
{
    UnitOfWork unit;
    ids.clear();
    return adapter.Query("select id from contacts order by id;",
                         [&ids](wxSQLite3ResultSet& row) { ids.push_back(ReadInt(row, 0)); }) >= 0;
}

void ContactManager::ShowSynced()
{
    UnitOfWork unit;
    ForceSearch();
}
