// Merging contacts that are one person into the one the user keeps: one
// transaction, all of it or nothing.
#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/DuplicateFinder.h"
#include "storage/DuplicateMerge.h"
#include "storage/FindIndex.h"
#include "storage/KeptProperties.h"
#include "storage/UnitOfWork.h"

namespace
{
const char* const SQL_KEPT_LINES = "select line from contact_properties where contact_id = %d order by position;";
const char* const SQL_MOVE_HISTORY = "update contact_history set contact_id = %d where contact_id = %d;";
const char* const SQL_UNLINK_TAGS = "delete from contact_tag where contact_id = %d;";
} // namespace

bool ContactManager::MergeContacts(int keepId, const std::vector<int>& otherIds)
{
    std::vector<int> others;
    for (int id : otherIds)
    {
        if (id != keepId && std::find(others.begin(), others.end(), id) == others.end())
            others.push_back(id);
    }
    if (others.empty())
        return true;
    UnitOfWork unit;
    lastBatchError.clear();
    const DuplicateFinder phones;
    const DuplicateMerge::PhoneKey phoneKey = [&phones](const wxString& phone) { return phones.PhoneKey(phone); };
    // Every row is read inside the transaction: what another program
    // stored meanwhile is merged too.
    bool stored = adapter.BeginBatch();
    const bool withKept = stored && KeptProperties::Exists(adapter);
    auto read = [&](int id) -> std::unique_ptr<ContactInfoEx>
    {
        std::unique_ptr<ContactInfoEx> contact = ReadStored(id);
        if (!contact)
        {
            if (!adapter.BatchFailed())
                lastBatchError =
                    _("A contact of the group is no longer in the database; another program may have deleted it.");
            return nullptr;
        }
        if (withKept)
            adapter.Query(wxString::Format(SQL_KEPT_LINES, id),
                          [&contact](wxSQLite3ResultSet& row) { contact->keptProperties.Add(ReadText(row, 0)); });
        return contact;
    };
    std::unique_ptr<ContactInfoEx> kept = stored ? read(keepId) : nullptr;
    stored = kept && !adapter.BatchFailed();
    // For the undo: the kept contact as it was, and whose history moved.
    const ContactInfoEx keptBefore = kept ? *kept : ContactInfoEx();
    std::vector<std::pair<int, int>> moved;
    for (size_t i = 0; stored && i < others.size(); ++i)
    {
        std::unique_ptr<ContactInfoEx> other = read(others[i]);
        stored = other && !adapter.BatchFailed();
        if (!stored)
            break;
        DuplicateMerge::Into(*kept, *other, phoneKey);
        const int otherId = other->id;
        adapter.Query(wxString::Format("select id from contact_history where contact_id = %d;", otherId),
                      [&moved, otherId](wxSQLite3ResultSet& row) { moved.emplace_back(ReadInt(row, 0), otherId); });
        adapter.Execute(wxString::Format(SQL_MOVE_HISTORY, keepId, other->id));
        stored = !adapter.BatchFailed() && DeleteRows(other.get()) && !adapter.BatchFailed();
    }
    if (stored && !withKept && !kept->keptProperties.empty())
    {
        // Values without a field of their own would be lost.
        lastBatchError = _("This address book has no table for the values that find no field.");
        stored = false;
    }
    if (stored)
    {
        adapter.UpdateContact(UpdateStatement(), kept.get());
        adapter.Execute(wxString::Format(SQL_UNLINK_TAGS, keepId));
        InsertTagLinks(kept.get());
        stored = !adapter.BatchFailed() && KeptProperties::Delete(adapter, keepId) &&
                 KeptProperties::Insert(adapter, *kept) && FindIndex::Reindex(adapter, keepId) &&
                 !adapter.BatchFailed();
    }
    if (stored)
        stored = adapter.CommitBatch();
    if (!stored)
    {
        adapter.RollbackBatch();
        const int n = static_cast<int>(others.size()) + 1;
        return FailBatch(
            wxString::Format(wxPLURAL("%d contact was not merged.", "%d contacts were not merged.", n), n));
    }
    ContactInfoEx merged = *kept;
    merged.readAs.reset();
    std::vector<ContactInfoEx> before{keptBefore};
    before.back().readAs = std::make_shared<const ContactInfoEx>(merged);
    RememberUndo(UNDO_MERGE, others, std::move(before));
    undo.moved = std::move(moved);
    ForceSearch();
    return true;
}

std::unique_ptr<ContactInfoEx> ContactManager::ReadContact(int id)
{
    UnitOfWork unit;
    return ReadStored(id);
}
