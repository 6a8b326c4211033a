#include "storage/SyncStore.h"

#include <wx/wxsqlite3.h>

#include "storage/Adapter.h"
#include "storage/DbValues.h"

// Card texts are kept as blobs: the bytes go back exactly as they came,
// whatever the server's text is.
const char* const SyncStore::CREATE_TABLES[3] = {
    "CREATE TABLE IF NOT EXISTS sync_accounts (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE,"
    " url TEXT NOT NULL, user_name TEXT NOT NULL, book_url TEXT, sync_token TEXT, first_done INTEGER DEFAULT 0,"
    " keep_local_up_to INTEGER DEFAULT -1)",
    "CREATE TABLE IF NOT EXISTS sync_links (account_id INTEGER NOT NULL, href TEXT NOT NULL, contact_id INTEGER,"
    " uid TEXT, etag TEXT, state INTEGER DEFAULT 0, card BLOB, local BLOB, pending BLOB,"
    " PRIMARY KEY (account_id, href))",
    "CREATE INDEX IF NOT EXISTS sync_links_contact ON sync_links (account_id, contact_id)"};

namespace
{
std::string ReadBytes(wxSQLite3ResultSet& row, int column)
{
    if (row.IsNull(column))
        return std::string();
    int length = 0;
    const unsigned char* data = row.GetBlob(column, length);
    return data ? std::string(reinterpret_cast<const char*>(data), length) : std::string();
}

void BindBytes(wxSQLite3Statement& stmt, int index, const std::string& bytes)
{
    static const unsigned char none = 0;
    stmt.Bind(index, bytes.empty() ? &none : reinterpret_cast<const unsigned char*>(bytes.data()),
              static_cast<int>(bytes.size()));
}

const char* const LINK_HEAD = "select href, contact_id, uid, etag, state";
const char* const LINK_TEXTS = ", card, local, pending";

void ReadLinkRow(wxSQLite3ResultSet& row, SyncStore::Link& link, bool texts)
{
    link.href = ReadText(row, 0);
    link.contactId = row.IsNull(1) ? -1 : ReadInt(row, 1);
    link.uid = ReadText(row, 2);
    link.etag = ReadText(row, 3);
    link.state = ReadInt(row, 4);
    if (texts)
    {
        link.card = ReadBytes(row, 5);
        link.local = ReadBytes(row, 6);
        link.pending = ReadBytes(row, 7);
    }
}

bool ReadOne(Adapter& adapter, const wxString& where, SyncStore::Link& link)
{
    bool found = false;
    const int rows = adapter.Query(wxString(LINK_HEAD) + LINK_TEXTS + " from sync_links where " + where + ";",
                                   [&](wxSQLite3ResultSet& row)
                                   {
                                       ReadLinkRow(row, link, true);
                                       found = true;
                                   });
    return rows >= 0 && found;
}
} // namespace

bool SyncStore::Exists(Adapter& adapter)
{
    return adapter.HasTable("sync_links") && adapter.HasTable("sync_accounts");
}

bool SyncStore::Ensure(Adapter& adapter)
{
    if (Exists(adapter))
        return true;
    for (const char* sql : CREATE_TABLES)
    {
        adapter.Execute(sql);
        if (adapter.LastFailed())
            return false;
    }
    return true;
}

bool SyncStore::ListAccounts(Adapter& adapter, std::vector<Account>& accounts)
{
    accounts.clear();
    if (!Exists(adapter))
        return !adapter.LastFailed();
    return adapter.Query("select id, name, url, user_name, book_url, sync_token, first_done, keep_local_up_to"
                         " from sync_accounts order by name;",
                         [&accounts](wxSQLite3ResultSet& row)
                         {
                             Account account;
                             account.id = ReadInt(row, 0);
                             account.name = ReadText(row, 1);
                             account.url = ReadText(row, 2);
                             account.user = ReadText(row, 3);
                             account.book = ReadText(row, 4);
                             account.token = ReadText(row, 5);
                             account.firstDone = ReadInt(row, 6) != 0;
                             account.keepLocalUpTo = row.IsNull(7) ? -1 : ReadInt(row, 7);
                             accounts.push_back(account);
                         }) >= 0;
}

bool SyncStore::FindAccount(Adapter& adapter, const wxString& name, Account& account)
{
    std::vector<Account> accounts;
    if (!ListAccounts(adapter, accounts))
        return false;
    for (const Account& a : accounts)
    {
        if (a.name == name)
        {
            account = a;
            return true;
        }
    }
    return false;
}

bool SyncStore::SaveAccount(Adapter& adapter, Account& account)
{
    if (!Ensure(adapter))
        return false;
    const auto bind = [&account](wxSQLite3Statement& stmt)
    {
        stmt.Bind(1, account.name);
        stmt.Bind(2, account.url);
        stmt.Bind(3, account.user);
        stmt.Bind(4, account.book);
        stmt.Bind(5, account.token);
        stmt.Bind(6, account.firstDone ? 1 : 0);
        stmt.Bind(7, account.keepLocalUpTo);
        if (account.id >= 0)
            stmt.Bind(8, account.id);
    };
    if (account.id < 0)
    {
        adapter.ExecuteBound("insert into sync_accounts (name, url, user_name, book_url, sync_token, first_done,"
                             " keep_local_up_to) values (?, ?, ?, ?, ?, ?, ?);",
                             bind);
        if (adapter.LastFailed())
            return false;
        account.id = static_cast<int>(adapter.LastInsertId());
        return true;
    }
    adapter.ExecuteBound("update sync_accounts set name = ?, url = ?, user_name = ?, book_url = ?, sync_token = ?,"
                         " first_done = ?, keep_local_up_to = ? where id = ?;",
                         bind);
    return !adapter.LastFailed();
}

bool SyncStore::RemoveAccount(Adapter& adapter, int accountId)
{
    if (!Exists(adapter))
        return !adapter.LastFailed();
    adapter.Execute(wxString::Format("delete from sync_links where account_id = %d;", accountId));
    if (adapter.LastFailed())
        return false;
    adapter.Execute(wxString::Format("delete from sync_accounts where id = %d;", accountId));
    return !adapter.LastFailed();
}

bool SyncStore::SetToken(Adapter& adapter, int accountId, const wxString& token)
{
    adapter.ExecuteBound("update sync_accounts set sync_token = ? where id = ?;",
                         [&](wxSQLite3Statement& stmt)
                         {
                             stmt.Bind(1, token);
                             stmt.Bind(2, accountId);
                         });
    return !adapter.LastFailed();
}

bool SyncStore::ForEachLink(Adapter& adapter, int accountId, const std::function<void(const Link&)>& onLink)
{
    if (!Exists(adapter))
        return !adapter.LastFailed();
    return adapter.Query(wxString(LINK_HEAD) + wxString::Format(" from sync_links where account_id = %d;", accountId),
                         [&onLink](wxSQLite3ResultSet& row)
                         {
                             Link link;
                             ReadLinkRow(row, link, false);
                             onLink(link);
                         }) >= 0;
}

bool SyncStore::ReadLink(Adapter& adapter, int accountId, const wxString& href, Link& link)
{
    return ReadOne(adapter, wxString::Format("account_id = %d and href = '%s'", accountId, EscapeSqlText(href)), link);
}

bool SyncStore::ReadLinkOf(Adapter& adapter, int accountId, int contactId, Link& link)
{
    return ReadOne(adapter, wxString::Format("account_id = %d and contact_id = %d", accountId, contactId), link);
}

bool SyncStore::SaveLink(Adapter& adapter, int accountId, const Link& link)
{
    adapter.ExecuteBound("insert or replace into sync_links (account_id, href, contact_id, uid, etag, state, card,"
                         " local, pending) values (?, ?, ?, ?, ?, ?, ?, ?, ?);",
                         [&](wxSQLite3Statement& stmt)
                         {
                             stmt.Bind(1, accountId);
                             stmt.Bind(2, link.href);
                             if (link.contactId >= 0)
                                 stmt.Bind(3, link.contactId);
                             else
                                 stmt.BindNull(3);
                             stmt.Bind(4, link.uid);
                             stmt.Bind(5, link.etag);
                             stmt.Bind(6, link.state);
                             BindBytes(stmt, 7, link.card);
                             BindBytes(stmt, 8, link.local);
                             BindBytes(stmt, 9, link.pending);
                         });
    return !adapter.LastFailed();
}

bool SyncStore::RemoveLink(Adapter& adapter, int accountId, const wxString& href)
{
    adapter.ExecuteBound("delete from sync_links where account_id = ? and href = ?;",
                         [&](wxSQLite3Statement& stmt)
                         {
                             stmt.Bind(1, accountId);
                             stmt.Bind(2, href);
                         });
    return !adapter.LastFailed();
}

bool SyncStore::LinkedContacts(Adapter& adapter, int accountId, std::vector<int>& ids)
{
    ids.clear();
    if (!Exists(adapter))
        return !adapter.LastFailed();
    return adapter.Query(wxString::Format("select contact_id from sync_links where account_id = %d and contact_id is"
                                          " not null order by contact_id;",
                                          accountId),
                         [&ids](wxSQLite3ResultSet& row) { ids.push_back(ReadInt(row, 0)); }) >= 0;
}
