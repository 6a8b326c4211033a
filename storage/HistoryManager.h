// The history list of the current contact and every write to the history table.
#pragma once

#include "storage/HistoryAdapter.h"
#include "storage/HistoryInfo.h"
#include "storage/HistoryObserver.h"

class ContactInfoEx;

class HistoryManager
{
public:
    // The statement every new entry is stored with.
    static const char* InsertStatement();
    HistoryManager();
    HistoryManager(const HistoryManager&) = delete;
    HistoryManager& operator=(const HistoryManager&) = delete;
    virtual ~HistoryManager();

    void SetObserver(HistoryObserver* observer);
    void SetCurrentContact(ContactInfoEx* contact)
    {
        currentContact = contact;
    }
    ContactInfoEx* GetCurrentContact() const
    {
        return currentContact;
    }
    void SetCurrentHistory(HistoryInfo* history)
    {
        currentHistory = history;
    }
    HistoryInfo* GetCurrentHistory() const
    {
        return currentHistory;
    }
    HistoryInfoArray& GetHistoryList()
    {
        return historyList;
    }

    void Load();
    void Clear();
    void Insert(HistoryInfo* history);
    // The entry passed in may be destroyed by the observer's reload before
    // these return: do not touch it afterwards.
    int Update(HistoryInfo* history);
    int Delete(HistoryInfo* history);

private:
    // Reads the stored time and comment of an entry; false when it is gone
    // or cannot be read (failed is then set).
    bool ReadStored(int id, wxDateTime& time, wxString& comment, bool& failed);
    // Tells the observer the list is to be reloaded.
    void Changed();
    // Ends a guarded write: commits it when nothing refused or failed it;
    // otherwise rolls it back, reports one message (the refusal, or the
    // failure text with the database's reason for %s) and tells the list.
    bool CommitGuarded(bool failed, const wxString& refused, const wxString& failure);

    HistoryObserver* observer;
    HistoryAdapter adapter;
    ContactInfoEx* currentContact;
    HistoryInfo* currentHistory;
    HistoryInfoArray historyList;
};
