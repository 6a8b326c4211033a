// Storing many new records at once (an import): one transaction, all of
// them or none.
#include <wx/intl.h>

#include <functional>
#include <vector>

#include "storage/ContactManager.h"
#include "storage/ContactSource.h"
#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

namespace
{
class ArraySource : public ContactSource
{
public:
    explicit ArraySource(ContactArray& contacts) : contacts(contacts) {}

    ContactInfoEx* Next() override
    {
        return next < contacts.GetCount() ? static_cast<ContactInfoEx*>(contacts[next++]) : nullptr;
    }

private:
    ContactArray& contacts;
    size_t next = 0;
};
} // namespace

bool ContactManager::InsertContacts(ContactArray& contacts)
{
    std::vector<int> ids;
    ids.reserve(contacts.GetCount());
    for (void* item : contacts)
        ids.push_back(static_cast<ContactInfoEx*>(item)->id);
    ArraySource source(contacts);
    return InsertBatch(source,
                       [&]
                       {
                           for (size_t i = 0; i < contacts.GetCount(); ++i)
                               static_cast<ContactInfoEx*>(contacts[i])->id = ids[i];
                       });
}

bool ContactManager::InsertContacts(ContactSource& source)
{
    return InsertBatch(source, {});
}

bool ContactManager::InsertBatch(ContactSource& source, const std::function<void()>& restore)
{
    UnitOfWork unit;
    lastBatchError.clear();
    // The transaction starts with the first record: an empty batch stores
    // nothing and needs no lock.
    bool stored = true;
    int n = 0;
    std::vector<int> ids;
    findIndexed = -1;
    while (ContactInfoEx* contact = source.Next())
    {
        ++n;
        PumpOneMessage();
        const int id = contact->id;
        stored = (adapter.InBatch() || adapter.BeginBatch()) && source.Prepare(*contact) && InsertRecord(contact) > 0 &&
                 !adapter.BatchFailed();
        if (!stored)
        {
            contact->id = id;
            break;
        }
        ids.push_back(contact->id);
    }
    if (stored && source.Failed())
    {
        adapter.RollbackBatch();
        if (restore)
            restore();
        return false;
    }
    if (stored && adapter.InBatch())
        stored = adapter.CommitBatch();
    if (!stored)
    {
        adapter.RollbackBatch();
        if (restore)
            restore();
        // Only now is the rest read: the message says how many were not stored.
        while (source.Next())
            ++n;
        return FailBatch(
            wxString::Format(wxPLURAL("%d new contact was not stored.", "%d new contacts were not stored.", n), n));
    }
    if (!ids.empty())
        RememberUndo(UNDO_IMPORT, std::move(ids));
    // The search announces the new page: one notification for the batch.
    ForceSearch();
    return true;
}
