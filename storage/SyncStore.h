// What the sync with a CardDAV address book keeps in the book: the accounts
// (never their passwords), and per account the link of each synced contact
// to its card on the server: the card's address (href), its ETag, its UID,
// the card as last synced (the base of a three-way merge) and the card the
// contact made then (to tell a local edit). A link also records a request
// about to be sent (its state and the card being sent), so that a sync
// killed at any moment is finished by the next one. Its statements live
// here; the sync engine (sync/) decides what they do.
#pragma once

#include <functional>
#include <vector>

#include <wx/string.h>

class Adapter;

namespace SyncStore
{
// The tables, for new books and, at start-up, for books made before them.
extern const char* const CREATE_TABLES[3];

struct Account
{
    int id = -1;
    wxString name;  // what the user calls it; unique
    wxString url;   // the server address as the user gave it
    wxString user;  // the user name
    wxString book;  // the address book's URL (absolute), empty until found
    wxString token; // the last sync-collection token, as the server gave it
    bool firstDone = false;
    // Contacts with an id up to this one that are not linked stay on this
    // computer only (the user's choice at the first sync); -1: none do.
    int keepLocalUpTo = -1;
};

enum LinkState
{
    LINK_CLEAN = 0,
    LINK_CREATING = 1, // a PUT with If-None-Match: * is (or was) on its way
    LINK_UPDATING = 2, // a PUT with If-Match is (or was) on its way
    LINK_DELETING = 3  // a DELETE is (or was) on its way
};

struct Link
{
    wxString href;      // the card's path on the server, as the server writes it
    int contactId = -1; // the local contact; it may have been deleted since
    wxString uid;
    wxString etag; // empty: not known (a PUT whose answer was lost)
    int state = LINK_CLEAN;
    std::string card;    // the card as last synced (server text)
    std::string local;   // the card the contact made at the last sync
    std::string pending; // the card being sent (LINK_CREATING, LINK_UPDATING)
};

// Creates the tables when they are missing. False when that failed.
bool Ensure(Adapter& adapter);
bool Exists(Adapter& adapter);

bool ListAccounts(Adapter& adapter, std::vector<Account>& accounts);
// The account of that name, or false (also when the read failed).
bool FindAccount(Adapter& adapter, const wxString& name, Account& account);
// Adds a new account (its id is set) or writes an existing one back.
bool SaveAccount(Adapter& adapter, Account& account);
// Removes the account and its links; the contacts stay, unlinked.
bool RemoveAccount(Adapter& adapter, int accountId);
bool SetToken(Adapter& adapter, int accountId, const wxString& token);

// Every link of the account, without its card texts (cheap on large books).
bool ForEachLink(Adapter& adapter, int accountId, const std::function<void(const Link&)>& onLink);
// One link with its texts, by href or by contact; false when there is none.
bool ReadLink(Adapter& adapter, int accountId, const wxString& href, Link& link);
bool ReadLinkOf(Adapter& adapter, int accountId, int contactId, Link& link);
bool SaveLink(Adapter& adapter, int accountId, const Link& link);
bool RemoveLink(Adapter& adapter, int accountId, const wxString& href);
// Every linked contact id of any account (a contact synced once is not new).
bool LinkedContacts(Adapter& adapter, int accountId, std::vector<int>& ids);
} // namespace SyncStore
