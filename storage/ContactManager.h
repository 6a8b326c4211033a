// Keeps one page of contacts in memory, writes contacts and tells its
// observers about every search and change.
#pragma once

#include <wx/dynarray.h>

#include <functional>

#include "storage/ContactAdapter.h"
#include "storage/ContactInfoEx.h"
#include "storage/ContactObserver.h"
#include "storage/ContactStatistics.h"
#include "storage/SearchCondition.h"

WX_DEFINE_ARRAY_PTR(ContactObserver*, ContactObserverArray);

class ContactManager
{
public:
    ContactManager();
    ContactManager(const ContactManager&) = delete;
    ContactManager& operator=(const ContactManager&) = delete;
    virtual ~ContactManager();

    // Search and paging.
    void SetCondition(const SearchCondition& source);
    void Search();
    // Destroys the page records and the records deletes took out of it.
    void Clear();

    // Persistence and notification.
    void AddObserver(ContactObserver* observer);
    void NotifyObservers();
    void InsertTagLinks(ContactInfoEx* contact);
    // Returns the rows inserted; on failure the id stays -1 and no tag is linked.
    int InsertRecord(ContactInfoEx* contact);
    void Insert(ContactInfoEx* contact);
    void InsertContacts(ContactArray& contacts);
    int UpdateRecord(ContactInfoEx* contact);
    void Update(ContactInfoEx* contact);
    static void MergeFields(ContactInfoEx* target, const ContactInfoEx* source);
    // Takes ownership of the template and destroys it.
    void UpdateContacts(ContactArray& contacts, ContactInfoEx* templ);
    void DeleteRecord(ContactInfoEx* contact);
    void Delete(ContactInfoEx* contact);
    void DeleteContacts(ContactArray& contacts);

    // Statistics.
    int CountTagContacts(int tagId);
    ContactStatistics& GetStatistics();
    void GetRecentContacts(int days, RecentContactArray& list);
    // The same rows in the same order, each handed over as it is read and
    // not kept: a large book has more recent rows than are worth holding as
    // records. Returns the rows read, -1 when the statement failed.
    int ForEachRecentContact(int days, const std::function<void(const RecentContact&)>& onRow);
    // month: 0 for January to 11 for December.
    ContactInfoArray& GetBirthdayContacts(int month);

    // Statement texts, built exactly as they are run.
    wxString BuildFilter() const;
    wxString BuildCountStatement() const;
    wxString BuildPageStatement() const;

    ContactObserverArray observers;
    ContactInfoArray contactList;  // the current page, owned
    ContactInfoArray birthdayList; // points into contactList
    ContactAdapter adapter;
    ContactInfoEx* currentContact;
    ContactStatistics statistics;
    SearchCondition condition;
    int totalCount;

private:
    void ForceSearch();

    // Records a delete took out of the page list. Callers may still hold
    // them, so they live until the next Clear.
    ContactInfoArray removedList;
};
