// The contact manager's deleted contacts and its undo of the last change.
#include <wx/intl.h>

#include <map>

#include "storage/ContactManager.h"
#include "storage/FindIndex.h"
#include "storage/KeptProperties.h"
#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

bool ContactManager::ListDeleted(std::vector<Trash::Entry>& entries)
{
    UnitOfWork unit;
    return Trash::List(adapter, entries);
}

bool ContactManager::RestoreContacts(const std::vector<int>& ids)
{
    UnitOfWork unit;
    lastBatchError.clear();
    bool stored = ids.empty() || adapter.BeginBatch();
    for (size_t i = 0; stored && i < ids.size(); ++i)
    {
        PumpOneMessage();
        stored = Trash::Restore(adapter, ids[i]) > 0 && !adapter.BatchFailed();
        if (!stored && !adapter.BatchFailed())
            lastBatchError = _("It is no longer among the deleted contacts; another program may have restored or "
                               "removed it.");
    }
    if (stored && adapter.InBatch())
        stored = adapter.CommitBatch();
    if (!stored)
    {
        adapter.RollbackBatch();
        const int n = static_cast<int>(ids.size());
        return FailBatch(
            wxString::Format(wxPLURAL("%d contact was not restored.", "%d contacts were not restored.", n), n));
    }
    // The last delete's undo would put back what is back already.
    if (undo.kind == UNDO_DELETE)
        undo = UndoStep();
    ForceSearch();
    NotifyObservers();
    return true;
}

bool ContactManager::DiscardContacts(const std::vector<int>& ids)
{
    UnitOfWork unit;
    lastBatchError.clear();
    bool stored = ids.empty() || adapter.BeginBatch();
    for (size_t i = 0; stored && i < ids.size(); ++i)
        stored = Trash::Discard(adapter, ids[i]) && !adapter.BatchFailed();
    if (stored && adapter.InBatch())
        stored = adapter.CommitBatch();
    if (!stored)
    {
        adapter.RollbackBatch();
        const int n = static_cast<int>(ids.size());
        return FailBatch(wxString::Format(wxPLURAL("%d deleted contact was not removed for good.",
                                                   "%d deleted contacts were not removed for good.", n),
                                          n));
    }
    if (undo.kind == UNDO_DELETE)
        undo = UndoStep();
    return true;
}

int ContactManager::EmptyOldTrash()
{
    // At start-up, on a book another program may hold: what cannot be
    // removed now is removed at a later start.
    ScopedErrorReporter quiet([](const wxString&) {});
    std::vector<int> ids;
    {
        UnitOfWork unit;
        if (!Trash::DeletedBefore(adapter, wxDateTime::Now() - wxDateSpan::Days(Trash::KEEP_DAYS), ids))
            return 0;
    }
    return !ids.empty() && DiscardContacts(ids) ? static_cast<int>(ids.size()) : 0;
}

void ContactManager::RememberUndo(UndoKind kind, std::vector<int> ids, std::vector<ContactInfoEx> records)
{
    undo.kind = kind;
    undo.ids = std::move(ids);
    undo.records = std::move(records);
}

bool ContactManager::Undo()
{
    UndoStep step = std::move(undo);
    undo = UndoStep();
    switch (step.kind)
    {
    case UNDO_DELETE:
        return RestoreContacts(step.ids);
    case UNDO_IMPORT:
    {
        // The imported contacts go to the deleted ones, with any edit made
        // to them since: nothing is lost for good.
        std::vector<ContactInfoEx> records(step.ids.size());
        ContactArray array;
        for (size_t i = 0; i < step.ids.size(); ++i)
        {
            records[i].id = step.ids[i];
            array.Add(&records[i]);
        }
        const bool done = DeleteContacts(array);
        undo = UndoStep();
        return done;
    }
    case UNDO_EDIT:
    {
        // Each record holds the values before the edit and, as read, what
        // the edit wrote: the fields the edit changed go back, unless
        // another program changed them since.
        UnitOfWork unit;
        lastBatchError.clear();
        storedAgain.clear();
        ContactInfoEx* const previousCurrent = currentContact;
        bool stored = step.records.empty() || adapter.BeginBatch();
        for (size_t i = 0; stored && i < step.records.size(); ++i)
        {
            PumpOneMessage();
            stored = UpdateRecord(&step.records[i]) > 0 && !adapter.BatchFailed();
        }
        if (stored && adapter.InBatch())
            stored = adapter.CommitBatch();
        storedAgain.clear(); // they point into the step
        currentContact = previousCurrent;
        if (!stored)
        {
            adapter.RollbackBatch();
            const int n = static_cast<int>(step.records.size());
            return FailBatch(wxString::Format(
                wxPLURAL("The change to %d contact was not undone.", "The changes to %d contacts were not undone.", n),
                n));
        }
        ForceSearch();
        NotifyObservers();
        return true;
    }
    case UNDO_MERGE:
        return UndoMerge(step);
    case UNDO_NOTHING:
        break;
    }
    return false;
}

bool ContactManager::UndoMerge(UndoStep& step)
{
    // The merged contacts come back from the deleted ones, their history
    // entries go back to them, and the kept contact gets its fields, tags
    // and kept lines as they were (unless another program changed the
    // same fields since).
    UnitOfWork unit;
    lastBatchError.clear();
    storedAgain.clear();
    ContactInfoEx* const previousCurrent = currentContact;
    ContactInfoEx& kept = step.records.front();
    bool stored = adapter.BeginBatch();
    std::map<int, int> restoredAs;
    for (size_t i = 0; stored && i < step.ids.size(); ++i)
    {
        const int now = Trash::Restore(adapter, step.ids[i]);
        stored = now > 0 && !adapter.BatchFailed();
        if (!stored && !adapter.BatchFailed())
            lastBatchError = _("It is no longer among the deleted contacts; another program may have restored or "
                               "removed it.");
        restoredAs[step.ids[i]] = now;
    }
    for (size_t i = 0; stored && i < step.moved.size(); ++i)
    {
        adapter.Execute(
            wxString::Format("update contact_history set contact_id = %d where id = %d and contact_id = %d;",
                             restoredAs[step.moved[i].second], step.moved[i].first, kept.id));
        stored = !adapter.BatchFailed();
    }
    // The update leaves the record as stored, which has no kept lines.
    ContactInfoEx lines;
    lines.id = kept.id;
    lines.keptProperties = kept.keptProperties;
    stored = stored && UpdateRecord(&kept) > 0 && !adapter.BatchFailed() && KeptProperties::Delete(adapter, kept.id) &&
             KeptProperties::Insert(adapter, lines) && !adapter.BatchFailed();
    for (auto it = restoredAs.begin(); stored && it != restoredAs.end(); ++it)
        stored = FindIndex::Reindex(adapter, it->second) && !adapter.BatchFailed();
    stored = stored && FindIndex::Reindex(adapter, kept.id) && !adapter.BatchFailed() && adapter.CommitBatch();
    storedAgain.clear(); // they point into the step
    currentContact = previousCurrent;
    if (!stored)
    {
        adapter.RollbackBatch();
        const int n = static_cast<int>(step.ids.size()) + 1;
        return FailBatch(wxString::Format(
            wxPLURAL("The merge of %d contact was not undone.", "The merge of %d contacts was not undone.", n), n));
    }
    ForceSearch();
    NotifyObservers();
    return true;
}
