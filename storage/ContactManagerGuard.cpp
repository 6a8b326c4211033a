// The guards against another program's changes: an update merges onto the
// stored row, a delete of a row changed since it was read is refused.
#include <wx/intl.h>

#include "storage/ContactManager.h"
#include "storage/EditMerge.h"
#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

wxString ContactManager::ConflictReason(const ContactInfoEx& contact, const std::vector<int>& conflicts)
{
    wxString fields;
    for (int column : conflicts)
    {
        if (!fields.empty())
            fields += ", ";
        fields += column == EditMerge::TAGS ? wxString(_("Tag")) : ColumnLabel(column);
    }
    return wxString::Format(_("The contact \"%s\" was changed by another program while it was edited here, in "
                              "the same fields (%s). This edit was not stored, so that the other change is not "
                              "lost; the contact now shows what is stored."),
                            contact.GetDisplayName(), fields);
}

void ContactManager::ShowStored(ContactInfoEx* contact, const ContactInfoEx& stored)
{
    const int historyCount = contact->historyCount;
    *contact = stored;
    contact->historyCount = historyCount;
}

void ContactManager::ShowWritten(ContactInfoEx* contact, ContactInfoEx& written, const ContactInfoEx& stored)
{
    // The next edit of the record is compared with what it wrote.
    written.asRead = stored.asRead;
    written.KeepAsRead();
    ShowStored(contact, written);
}

void ContactManager::ShowStoredAgain()
{
    for (auto& item : storedAgain)
        ShowStored(item.first, item.second);
    storedAgain.clear();
}

void ContactManager::Refuse(const wxString& reason)
{
    if (adapter.InBatch())
        lastBatchError = reason;
    else
        ReportError(reason);
}

void ContactManager::Update(ContactInfoEx* contact)
{
    UnitOfWork unit;
    lastBatchError.clear();
    storedAgain.clear();
    // One transaction from reading the stored row to the last tag link, so
    // that no other program writes in between.
    bool stored = adapter.BeginBatch() && UpdateRecord(contact) > 0 && !adapter.BatchFailed();
    if (stored)
        stored = adapter.CommitBatch();
    if (!stored)
    {
        adapter.RollbackBatch();
        // The record shows what is stored, not the edit that was not.
        if (contact->readAs)
        {
            ContactInfoEx asRead(*contact->readAs);
            asRead.readAs = contact->readAs;
            ShowStored(contact, asRead);
        }
        ShowStoredAgain();
        FailBatch(wxString::Format(_("The change to the contact \"%s\" was not stored."), contact->GetDisplayName()));
        return;
    }
    ++writes;
    NotifyObservers();
}

bool ContactManager::ChangedElsewhere(ContactInfoEx* contact)
{
    std::unique_ptr<ContactInfoEx> stored = ReadStored(contact->id);
    // A row that is gone, or that cannot be read, is left to the delete
    // statements themselves.
    if (!stored || !EditMerge::ChangedSinceRead(*contact, *stored))
        return false;
    Refuse(wxString::Format(_("The contact \"%s\" was changed by another program since it was shown here, and was "
                              "not deleted. It now shows what is stored: delete it again if it should still go."),
                            contact->GetDisplayName()));
    storedAgain.emplace_back(contact, *stored);
    return true;
}

void ContactManager::MergeFields(ContactInfoEx* target, const ContactInfoEx* source)
{
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
    {
        if (!(source->*field).empty())
            target->*field = source->*field;
    }
    if (!source->tagIds.IsEmpty())
        target->tagIds = source->tagIds;
}
