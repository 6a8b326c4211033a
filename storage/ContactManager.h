// Keeps one page of contacts in memory, writes contacts and tells its
// observers about every search and change.
#pragma once

#include <wx/dynarray.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "storage/ContactAdapter.h"
#include "storage/ContactInfoEx.h"
#include "storage/ContactObserver.h"
#include "storage/ContactSource.h"
#include "storage/ContactStatistics.h"
#include "storage/SearchCondition.h"
#include "storage/Trash.h"

WX_DEFINE_ARRAY_PTR(ContactObserver*, ContactObserverArray);

class ContactManager
{
public:
    // The statement every new record is stored with (the import's floor
    // in the benchmarks runs it too).
    static const char* InsertStatement();
    // The statement a stored record is written back with.
    static const char* UpdateStatement();
    ContactManager();
    ContactManager(const ContactManager&) = delete;
    ContactManager& operator=(const ContactManager&) = delete;
    virtual ~ContactManager();

    // Search and paging.
    void SetCondition(const SearchCondition& source);
    void Search();

    // A find that finds many contacts (or is of words too short for the
    // find index) shows its page first; its total takes a full read of
    // the index. With countFound set, Search leaves that count to it: it
    // gets a ticket and what to count (for FindIndex::CountRows, on a
    // connection of its own, off the window thread) and hands the total
    // back through FoundCounted. When the page could not be filled soon,
    // it shows the first rows found, and sorted is the statement that reads
    // the whole page (FindIndex::SortedPage) for the counter to run
    // instead: its ids come back through FoundCounted too, and replace the
    // page. Meanwhile findCountPending is true and totalCount is the least
    // the total can be (one more than the rows up to this page's end).
    // Without countFound all is done at once.
    std::function<void(int ticket, const wxString& counted, const wxString& sorted)> countFound;
    bool findCountPending = false;
    // The total of the count with that ticket, and the page's ids when it
    // sorted them; false (and nothing changed) when a later search has made
    // it stale.
    bool FoundCounted(int ticket, int total, const std::vector<int>& page = {});
    // The total of the page's search, counted (and its page read) at once
    // when still pending.
    int ExactTotal();
    // Up to how many found contacts are sorted into their page, with the
    // total known at once; when more are found the list's order is walked.
    int findSortCap = 10000;
    // How many rows of the list's order are walked for a page of what a
    // find finds before the rows found are sorted instead.
    int findWalkRows = 10000;
    // Destroys the page records and the records deletes took out of it.
    void Clear();

    // Persistence and notification.
    void AddObserver(ContactObserver* observer);
    void NotifyObservers();
    void InsertTagLinks(ContactInfoEx* contact);
    // Returns the rows inserted; on failure the id stays -1 and no tag is linked.
    int InsertRecord(ContactInfoEx* contact);
    // One record, statement by statement; a failure is reported by the
    // statement that failed.
    void Insert(ContactInfoEx* contact);
    // Returns the rows changed. A row another program removed is reported
    // (outside a batch) and gets no tag links; a failed update keeps the
    // stored links.
    int UpdateRecord(ContactInfoEx* contact);
    void Update(ContactInfoEx* contact);
    static void MergeFields(ContactInfoEx* target, const ContactInfoEx* source);
    void DeleteRecord(ContactInfoEx* contact);
    void Delete(ContactInfoEx* contact);

    // The batches: InsertContacts (new records, the import), UpdateContacts
    // (a template merged into every record; takes ownership of the template
    // and destroys it; a null template does nothing) and DeleteContacts.
    //
    // Each runs in one transaction and returns true when the whole batch was
    // stored. On false nothing of it is in the file, and every record is as
    // it was before: new records keep their id (-1), edited records have
    // their stored values again, deleted records stay in the page list. The
    // user got exactly one message, through the storage error reporter,
    // saying what was not stored and why; GetLastBatchError() gives the
    // database's reason alone (for example "database is locked"). A caller
    // that shows the failure itself (a status label) installs a
    // ScopedErrorReporter around the call: the one message then goes to it
    // and no box appears. When the call returns true, whatever that reporter
    // received is something else (the reload of the page failed, say) and
    // still wants showing. The observers are notified in both cases: twice
    // after a stored delete (a forced search, then one more pass), once
    // otherwise (a stored insert batch by the search that shows it). An empty batch stores nothing and succeeds.
    bool InsertContacts(ContactArray& contacts);
    // The same batch for new records that come one at a time (an import
    // file read as it is stored): each is inserted as the source hands it
    // over, with the same statements, transaction, message pumping, report
    // and notifications as above. A record's id is set while the batch runs;
    // the source may reuse the record afterwards. When the source fails,
    // nothing of the batch is stored, nothing is reported here (the source's
    // owner says what was wrong), GetLastBatchError() is empty, no observer
    // is notified, and the result is false. When storing fails, the rest of
    // the source is still read to count the records that were not stored.
    bool InsertContacts(ContactSource& source);
    bool UpdateContacts(ContactArray& contacts, ContactInfoEx* templ);
    bool DeleteContacts(ContactArray& contacts);
    // Deleted contacts (Trash.h): the list, putting contacts back as they
    // were, and removing them for good, each batch in one transaction with
    // one message on failure (as above). A restore searches again and
    // notifies; EmptyOldTrash removes, without a word, what was deleted
    // more than Trash::KEEP_DAYS days ago and returns how many.
    bool ListDeleted(std::vector<Trash::Entry>& entries);
    bool RestoreContacts(const std::vector<int>& ids);
    bool DiscardContacts(const std::vector<int>& ids);
    int EmptyOldTrash();

    // Sync (ContactSync.cpp). Each write is one transaction together with
    // the sync rows that the given function writes on the same adapter:
    // nothing of either stays when one fails. Nothing is notified; the
    // caller searches again when the sync is over.
    using SyncWrite = std::function<bool(Adapter& adapter)>;
    // A stored contact with its tags and kept lines, read as it is now; null
    // when it is gone or the read failed (then LastSyncFailed()).
    std::unique_ptr<ContactInfoEx> ReadSynced(int id);
    // Stores a new contact (id -1; the id is set) or writes a stored one
    // exactly as given. A stored one that another program changed since it
    // was read (its readAs) is not written: false with *changedMeanwhile set.
    bool StoreSynced(ContactInfoEx& contact, const SyncWrite& write, bool* changedMeanwhile = nullptr);
    // Moves a contact to the deleted contacts, with the sync rows.
    bool DeleteSynced(int id, const SyncWrite& write);
    // The sync rows alone, in one transaction.
    bool WriteSynced(const SyncWrite& write);
    // Runs work with the writes above inside one transaction of its own (the
    // cards of one answer); false, with nothing of it stored, when work or
    // a write in it failed.
    bool SyncBatch(const std::function<bool()>& work);
    // Adds an entry to a contact's history in a sync write.
    bool AddSyncHistory(Adapter& adapter, int contactId, const wxString& comment);
    // Every contact's id, ascending.
    bool AllContactIds(std::vector<int>& ids);
    // Searches again and notifies, after another process changed the book.
    void ShowSynced();
    bool LastSyncFailed() const
    {
        return syncFailed;
    }

    // The last delete, import, change of many contacts or merge of the
    // session, and its undo: deleted contacts come back, imported ones go to
    // the deleted contacts, changed fields get their earlier values (unless
    // another program changed them since), merged contacts come back with
    // their history and the kept one is as it was. One transaction; one step.
    enum UndoKind
    {
        UNDO_NOTHING,
        UNDO_DELETE,
        UNDO_IMPORT,
        UNDO_EDIT,
        UNDO_MERGE
    };
    UndoKind GetUndoKind() const
    {
        return undo.kind;
    }
    bool Undo();

    // Merges the other contacts into the kept one (DuplicateMerge.h says
    // where each value goes), moves their tags, history and kept lines to
    // it and deletes them; one transaction, with the report, restore and
    // notifications of the batches above. Reads the rows as stored now:
    // ids are enough.
    bool MergeContacts(int keepId, const std::vector<int>& otherIds);
    // One contact as stored now, with its tags; null when it is gone or
    // cannot be read (reported). The page is not touched.
    std::unique_ptr<ContactInfoEx> ReadContact(int id);
    // Counts the stored writes (inserts, updates, deletes, batches), so that
    // an observer can tell a change of the book from another search.
    unsigned GetWriteCount() const
    {
        return writes;
    }
    // The reason the last batch was not stored; empty after a stored batch.
    const wxString& GetLastBatchError() const
    {
        return lastBatchError;
    }

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

    // Reading the whole book (export, the duplicate check of an import).
    // Every contact the filter finds, all pages at once in the order of the
    // pages, each handed over as it is read and not kept, with its tag ids
    // when asked. Neither the page nor the observers are touched. Returns
    // the contacts read, -1 when a statement failed (reported once).
    int ForEachMatching(const SearchCondition& filter, bool withTags,
                        const std::function<void(ContactInfoEx& contact)>& onContact);
    // The number of stored contacts; -1 when it cannot be counted.
    int CountAll();
    // The translated label of a column of the contacts table, by its index
    // in the row read (0 id, 1 to 4 the names, 5 sex, 6 birthday, 7 to 38
    // the text fields in the order of CONTACT_TEXT_FIELDS, then the times and
    // user ids).
    static wxString ColumnLabel(int column);

    // Statement texts, built exactly as they are run, for the manager's
    // condition or for another one.
    wxString BuildFilter() const;
    wxString BuildCountStatement() const;
    wxString BuildPageStatement() const;
    static wxString BuildFilter(const SearchCondition& filter);
    static wxString BuildPageStatement(const SearchCondition& filter);

    ContactObserverArray observers;
    ContactInfoArray contactList;  // the current page, owned
    ContactInfoArray birthdayList; // points into contactList
    ContactAdapter adapter;
    bool syncFailed = false;
    // The contact's tag links made anew from its tag ids.
    void ReplaceTagLinks(ContactInfoEx* contact);
    // Commits a sync write's own transaction, or rolls back on failure.
    bool Finish(bool own, bool stored);
    ContactInfoEx* currentContact;
    ContactStatistics statistics;
    SearchCondition condition;
    int totalCount;

private:
    // The filter of the find box's text.
    static wxString FindFilter(const SearchCondition& condition);
    // The statement that reads the page of what the find box's text finds
    // soonest; counts the total into totalCount when that costs little,
    // and leaves foundCounted set otherwise (CountAfterPage).
    wxString FindPage();
    // The total of a find whose page holds rows (in the page list).
    void CountAfterPage(int rows);
    wxString foundCounted;
    // The where clause of a page left for the counter to sort.
    wxString foundSorted;
    int findTicket = 0;
    // Reads the records of a page statement into the page list.
    void ReadPage(const wxString& pageSql);
    // The page statement of the records with these ids, in the list's order.
    static wxString PageOfIds(const std::vector<int>& ids);
    // The page of the rows found, when a large share of the book (dense)
    // or a small one was found.
    wxString FoundPageStatement(const wxString& rows, bool dense) const;
    // The page statement and the total from one read of the index sorted
    // by its alpha column (the where clause is on the index alone).
    wxString SortedFoundPage(const wxString& where);
    static wxString PageStatement(const wxString& filter, const SearchCondition& condition);
    // The select of every contact column that the page statements begin with.
    static const wxString& SelectHead();
    void ForceSearch();
    // Both kinds of insert batch; restore puts the records handed over back
    // as they were before the one failure message goes out.
    bool InsertBatch(ContactSource& source, const std::function<void()>& restore);
    // The three delete statements of one record; false when one failed.
    bool DeleteRows(const ContactInfoEx* contact);
    // Takes the record with the contact's id out of the page list.
    void TakeOutOfPage(const ContactInfoEx* contact);
    // Ends a batch that was not stored: reports it once and notifies.
    bool FailBatch(const wxString& what);

    // Another program's changes: the row as stored now (with its tags), or
    // null when it is gone or cannot be read.
    std::unique_ptr<ContactInfoEx> ReadStored(int id);
    // Whether the row changed since the record was read; if so the delete
    // is refused and the record is to show the stored row.
    bool ChangedElsewhere(ContactInfoEx* contact);
    // Says why a record was not written: kept for the batch's one message,
    // or reported at once outside a batch.
    void Refuse(const wxString& reason);
    static wxString ConflictReason(const ContactInfoEx& contact, const std::vector<int>& conflicts);
    static void ShowWritten(ContactInfoEx* contact, ContactInfoEx& written, const ContactInfoEx& stored);
    static void ShowStored(ContactInfoEx* contact, const ContactInfoEx& stored);
    // Records found changed elsewhere show their stored rows once the
    // batch is undone.
    void ShowStoredAgain();
    std::vector<std::pair<ContactInfoEx*, ContactInfoEx>> storedAgain;

    struct UndoStep
    {
        UndoKind kind = UNDO_NOTHING;
        std::vector<int> ids;
        std::vector<ContactInfoEx> records;     // UNDO_EDIT, UNDO_MERGE: before, read as after
        std::vector<std::pair<int, int>> moved; // UNDO_MERGE: history entry, its contact before
    };
    void RememberUndo(UndoKind kind, std::vector<int> ids, std::vector<ContactInfoEx> records = {});
    bool UndoMerge(UndoStep& step);
    UndoStep undo;
    // Whether the book has the find index, asked once per insert batch
    // (-1: not yet).
    int findIndexed = -1;

    wxString lastBatchError;
    unsigned writes = 0;

    // Records a delete took out of the page list. Callers may still hold
    // them, so they live until the next Clear.
    ContactInfoArray removedList;
};
