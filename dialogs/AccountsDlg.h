// Tools > Accounts: the CardDAV accounts the book syncs with. An account is
// added from a server address (a bare host name will do: its address book
// is found), a user name and a password; the password goes to the desktop
// keyring, or, where none answers, is held until the program closes. The
// network is asked off the window thread.
#pragma once

#include <wx/dialog.h>

#include <string>
#include <vector>

#include "storage/SyncStore.h"
#include "sync/Discovery.h"

class wxButton;
class wxListCtrl;
class wxStaticText;
class wxTextCtrl;

class AccountEditDlg : public wxDialog
{
public:
    // account: an existing one to change (its name and server stay), or a
    // new one (id -1).
    AccountEditDlg(wxWindow* parent, const SyncStore::Account& account);

    const SyncStore::Account& GetAccount() const
    {
        return account;
    }
    const std::string& GetPassword() const
    {
        return password;
    }
    // What the last test or search for the address book said.
    wxString GetStatus() const;

    // Asks the server (off the window thread); then() runs on it with the
    // result. Used by Test connection and by OK.
    void Ask(std::function<void(const Discovery::Found&)> then);

private:
    void OnTest(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    bool ReadFields();
    void SetBusy(bool busy);

    SyncStore::Account account;
    std::string password;
    bool busy = false;
    wxTextCtrl* name;
    wxTextCtrl* server;
    wxTextCtrl* user;
    wxTextCtrl* secret;
    wxStaticText* status;
    wxButton* test;
};

class AccountsDlg : public wxDialog
{
public:
    explicit AccountsDlg(wxWindow* parent);

    const std::vector<SyncStore::Account>& GetAccounts() const
    {
        return accounts;
    }

private:
    void Reload();
    int Selected() const;
    void OnAdd(wxCommandEvent& event);
    void OnEdit(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    // Saves the edited account and keeps its password; false with a message.
    bool Save(AccountEditDlg& dialog);

    std::vector<SyncStore::Account> accounts;
    wxListCtrl* list;
    wxButton* edit;
    wxButton* remove;
};
