#include "dialogs/AccountsDlg.h"

#include <wx/button.h>
#include <wx/choicdlg.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <memory>
#include <thread>

#include "dialogs/DialogCommon.h"
#include "storage/Adapter.h"
#include "sync/DavClient.h"
#include "sync/Keyring.h"

namespace
{
enum
{
    ID_TEST = wxID_HIGHEST + 1,
    ID_ADD,
    ID_EDIT,
    ID_REMOVE
};

wxTextCtrl* AddField(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label, const wxString& name,
                     const wxString& value, long style = 0)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxALL, DLG_BORDER);
    wxTextCtrl* field = new wxTextCtrl(parent, wxID_ANY, value, wxDefaultPosition, parent->FromDIP(wxSize(300, -1)),
                                       style, wxDefaultValidator, name);
    grid->Add(field, 1, wxEXPAND | wxALL, DLG_BORDER);
    return field;
}
} // namespace

AccountEditDlg::AccountEditDlg(wxWindow* parent, const SyncStore::Account& given)
    : wxDialog(parent, wxID_ANY, given.id < 0 ? _("Add account") : _("Edit account")), account(given)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(MakeDialogHeader(this, "Update_s24_01.png",
                              WrapText(this,
                                       _("A CardDAV account keeps this address book the same as on your phone and "
                                         "the web. The server address may be just the host name."),
                                       FromDIP(400))),
             0, wxALL | wxEXPAND, DLG_BORDER);
    wxFlexGridSizer* grid = new wxFlexGridSizer(2);
    grid->AddGrowableCol(1);
    name = AddField(this, grid, _("Name:"), "ID_TEXTCTRL_ACCOUNT_NAME", account.name);
    server = AddField(this, grid, _("Server address:"), "ID_TEXTCTRL_ACCOUNT_SERVER", account.url);
    user = AddField(this, grid, _("User name:"), "ID_TEXTCTRL_ACCOUNT_USER", account.user);
    std::string known;
    if (account.id >= 0)
        Keyring::Lookup(account.name, known);
    secret =
        AddField(this, grid, _("Password:"), "ID_TEXTCTRL_ACCOUNT_PASSWORD", wxString::FromUTF8(known), wxTE_PASSWORD);
    if (account.id >= 0)
    {
        name->Disable();
        server->Disable();
    }
    top->Add(grid, 0, wxEXPAND | wxALL, DLG_BORDER);
    test = MakeButton(this, ID_TEST, _("&Test connection"), "ID_BUTTON_TEST_CONNECTION");
    top->Add(test, 0, wxLEFT | wxRIGHT, DLG_BORDER * 2);
    status = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, FromDIP(wxSize(420, 40)),
                              wxST_NO_AUTORESIZE, "ID_STATICTEXT_ACCOUNT_STATUS");
    top->Add(status, 0, wxEXPAND | wxALL, DLG_BORDER * 2);
    top->Add(MakeOkCancelButtons(this), 0, wxALL | wxALIGN_RIGHT, DLG_BORDER);
    FitDialog(this, top);
    KeepOpenWhile(this, busy);
    Bind(wxEVT_BUTTON, &AccountEditDlg::OnTest, this, ID_TEST);
    Bind(wxEVT_BUTTON, &AccountEditDlg::OnOk, this, wxID_OK);
}

wxString AccountEditDlg::GetStatus() const
{
    return status->GetLabel();
}

bool AccountEditDlg::ReadFields()
{
    account.name = name->GetValue().Trim().Trim(false);
    account.url = server->GetValue().Trim().Trim(false);
    account.user = user->GetValue().Trim().Trim(false);
    password = secret->GetValue().utf8_string();
    wxString missing;
    if (account.name.empty())
        missing = _("Give the account a name.");
    else if (account.url.empty())
        missing = _("Give the server address.");
    else if (account.user.empty())
        missing = _("Give the user name.");
    status->SetLabel(missing);
    return missing.empty();
}

void AccountEditDlg::SetBusy(bool now)
{
    busy = now;
    test->Enable(!now);
    FindWindow(wxID_OK)->Enable(!now);
    FindWindow(wxID_CANCEL)->Enable(!now);
    if (now)
        status->SetLabel(_("Asking the server..."));
}

void AccountEditDlg::Ask(std::function<void(const Discovery::Found&)> then)
{
    SetBusy(true);
    Dav::Settings settings;
    settings.user = account.user.utf8_string();
    settings.password = password;
    // The book, when known, is asked alone; else it is searched for.
    const std::string url = (account.book.empty() ? account.url : account.book).utf8_string();
    auto answer = std::make_shared<Discovery::Found>();
    std::thread(
        [this, settings, url, answer, then]
        {
            Dav::Client client(settings);
            *answer = Discovery::Run(client, url);
            CallAfter(
                [this, answer, then]
                {
                    SetBusy(false);
                    status->SetLabel(answer->ok ? wxString::Format(wxPLURAL("Connected: %d address book found.",
                                                                            "Connected: %d address books found.",
                                                                            static_cast<int>(answer->books.size())),
                                                                   static_cast<int>(answer->books.size()))
                                                : answer->reason);
                    then(*answer);
                });
        })
        .detach();
}

void AccountEditDlg::OnTest(wxCommandEvent&)
{
    if (ReadFields())
        Ask([](const Discovery::Found&) {});
}

void AccountEditDlg::OnOk(wxCommandEvent&)
{
    if (!ReadFields())
        return;
    Ask(
        [this](const Discovery::Found& found)
        {
            if (!found.ok)
                return;
            if (account.book.empty())
            {
                size_t chosen = 0;
                if (found.books.size() > 1)
                {
                    wxArrayString names;
                    for (const Discovery::Book& book : found.books)
                        names.Add(book.name + "  (" + wxString::FromUTF8(book.url) + ")");
                    wxSingleChoiceDialog choose(this,
                                                _("The account has several address books. Which one is kept "
                                                  "the same as this one?"),
                                                _("Address book"), names);
                    if (choose.ShowModal() != wxID_OK)
                        return;
                    chosen = static_cast<size_t>(choose.GetSelection());
                }
                account.book = wxString::FromUTF8(found.books[chosen].url);
            }
            EndModal(wxID_OK);
        });
}

AccountsDlg::AccountsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Accounts"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(MakeDialogHeader(this, "Update_s24_01.png",
                              WrapText(this,
                                       _("The address books on servers that this one is kept the same as. Tools > "
                                         "Sync now syncs them; so does the program at start and every few minutes."),
                                       FromDIP(480))),
             0, wxALL | wxEXPAND, DLG_BORDER);
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(560, 180)), wxLC_REPORT | wxLC_SINGLE_SEL,
                          wxDefaultValidator, "ID_LISTCTRL_ACCOUNTS");
    list->AppendColumn(_("Name"), wxLIST_FORMAT_LEFT, FromDIP(120));
    list->AppendColumn(_("User name"), wxLIST_FORMAT_LEFT, FromDIP(120));
    list->AppendColumn(_("Address book"), wxLIST_FORMAT_LEFT, FromDIP(300));
    top->Add(list, 1, wxALL | wxEXPAND, DLG_BORDER);
    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(MakeButton(this, ID_ADD, _("&Add..."), "ID_BUTTON_ADD_ACCOUNT"), 0, wxALL, DLG_BORDER);
    edit = MakeButton(this, ID_EDIT, _("&Edit..."), "ID_BUTTON_EDIT_ACCOUNT");
    remove = MakeButton(this, ID_REMOVE, _("&Remove"), "ID_BUTTON_REMOVE_ACCOUNT");
    buttons->Add(edit, 0, wxALL, DLG_BORDER);
    buttons->Add(remove, 0, wxALL, DLG_BORDER);
    top->Add(buttons, 0, wxLEFT | wxRIGHT, DLG_BORDER);
    AddCloseFoot(this, top);
    FitDialog(this, top);
    Bind(wxEVT_BUTTON, &AccountsDlg::OnAdd, this, ID_ADD);
    Bind(wxEVT_BUTTON, &AccountsDlg::OnEdit, this, ID_EDIT);
    Bind(wxEVT_BUTTON, &AccountsDlg::OnRemove, this, ID_REMOVE);
    list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { Reload(); });
    list->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { Reload(); });
    Reload();
}

void AccountsDlg::Reload()
{
    const int selected = Selected();
    Adapter adapter;
    SyncStore::ListAccounts(adapter, accounts);
    if (list->GetItemCount() != static_cast<int>(accounts.size()))
    {
        list->DeleteAllItems();
        for (size_t i = 0; i < accounts.size(); ++i)
            list->InsertItem(static_cast<long>(i), wxEmptyString);
    }
    for (size_t i = 0; i < accounts.size(); ++i)
    {
        list->SetItem(static_cast<long>(i), 0, accounts[i].name);
        list->SetItem(static_cast<long>(i), 1, accounts[i].user);
        list->SetItem(static_cast<long>(i), 2, accounts[i].book);
    }
    const bool chosen = selected >= 0 && selected < static_cast<int>(accounts.size());
    edit->Enable(chosen);
    remove->Enable(chosen);
}

int AccountsDlg::Selected() const
{
    return static_cast<int>(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

bool AccountsDlg::Save(AccountEditDlg& dialog)
{
    SyncStore::Account account = dialog.GetAccount();
    Adapter adapter;
    SyncStore::Account same;
    if (account.id < 0 && SyncStore::FindAccount(adapter, account.name, same))
    {
        wxMessageBox(wxString::Format(_("There is already an account named %s."), account.name), _("Accounts"),
                     wxOK | wxICON_WARNING, this);
        return false;
    }
    if (!SyncStore::SaveAccount(adapter, account))
    {
        wxMessageBox(_("The account could not be saved in the address book."), _("Accounts"), wxOK | wxICON_ERROR,
                     this);
        return false;
    }
    wxString why;
    if (!Keyring::Store(account.name, dialog.GetPassword(), &why))
    {
        Keyring::RememberForSession(account.name, dialog.GetPassword());
        wxMessageBox(wxString::Format(_("No keyring took the password (%s). It is kept until Corvala closes, and "
                                        "asked for again after that."),
                                      why),
                     _("Accounts"), wxOK | wxICON_INFORMATION, this);
    }
    return true;
}

void AccountsDlg::OnAdd(wxCommandEvent&)
{
    AccountEditDlg dialog(this, SyncStore::Account());
    if (dialog.ShowModal() == wxID_OK)
        Save(dialog);
    Reload();
}

void AccountsDlg::OnEdit(wxCommandEvent&)
{
    const int row = Selected();
    if (row < 0)
        return;
    AccountEditDlg dialog(this, accounts[static_cast<size_t>(row)]);
    if (dialog.ShowModal() == wxID_OK)
        Save(dialog);
    Reload();
}

void AccountsDlg::OnRemove(wxCommandEvent&)
{
    const int row = Selected();
    if (row < 0)
        return;
    const SyncStore::Account& account = accounts[static_cast<size_t>(row)];
    if (wxMessageBox(wxString::Format(_("Remove the account %s? Its contacts stay in this address book, no longer "
                                        "synced."),
                                      account.name),
                     _("Accounts"), wxYES_NO | wxICON_QUESTION, this) != wxYES)
        return;
    Adapter adapter;
    if (!SyncStore::RemoveAccount(adapter, account.id))
        wxMessageBox(_("The account could not be removed."), _("Accounts"), wxOK | wxICON_ERROR, this);
    else
        Keyring::Forget(account.name);
    Reload();
}
