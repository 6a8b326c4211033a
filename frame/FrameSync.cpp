// The frame's sync commands: Tools > Accounts, Sync now (menu and toolbar),
// Cancel sync, the sync at start-up and every few minutes. The sync itself
// runs in a process of its own (SyncRunner); the window only reads its
// progress into the status bar and shows the book again when it is done.
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/textdlg.h>

#include <algorithm>

#include "dialogs/AccountsDlg.h"
#include "dialogs/SettingDlg.h"
#include "frame/Corva.h"
#include "frame/CorvalaFrame.h"
#include "frame/FrameImages.h"
#include "storage/Adapter.h"
#include "storage/SyncStore.h"
#include "sync/Keyring.h"

void CorvalaFrame::BuildSyncCommands(wxMenu* tools)
{
    tools->AppendSeparator();
    tools->Append(idMenuAccounts, _("Accounts..."), _("The CardDAV accounts this address book syncs with"));
    wxMenuItem* syncNow = new wxMenuItem(tools, idMenuSyncNow, _("Sync now\tCtrl+R"), _("Sync with every account now"));
    syncNow->SetBitmap(FrameImages::Load("Sync_s16_01.png", 16));
    tools->Append(syncNow);
    tools->Append(idMenuCancelSync, _("Cancel sync"), _("Stop the sync that is running"));
    syncRunner = std::make_unique<SyncRunner>();
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&)
        {
            AccountsDlg dialog(this);
            dialog.ShowModal();
        },
        idMenuAccounts);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&)
        {
            syncSkipped.clear();
            if (!SyncNow() && !IsSyncing())
                SetStatusText(_("No account to sync with: add one in Tools > Accounts."), 0);
        },
        idMenuSyncNow);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { CancelSync(); }, idMenuCancelSync);
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(IsSyncing()); }, idMenuCancelSync);
    syncTimer.Bind(wxEVT_TIMER,
                   [this](wxTimerEvent&)
                   {
                       SyncNow();
                       ScheduleSync();
                   });
    editSyncTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { SyncNow(); });
    syncSeenWrites = model->contactManager.GetWriteCount();
    // The first sync once the window is up.
    CallAfter(
        [this]
        {
            SyncNow();
            ScheduleSync();
        });
}

void CorvalaFrame::SyncAfterEdit()
{
    const unsigned writes = model->contactManager.GetWriteCount();
    if (writes == syncSeenWrites)
        return;
    syncSeenWrites = writes;
    if (showingSync)
        return;
    // Ten seconds after the last of a few quick edits.
    editSyncTimer.StartOnce(10 * 1000);
}

void CorvalaFrame::ScheduleSync()
{
    const int minutes = SettingDlg::SyncMinutes();
    if (minutes > 0)
        syncTimer.StartOnce(minutes * 60 * 1000);
    else
        syncTimer.Stop();
}

bool CorvalaFrame::IsSyncing() const
{
    return syncRunner && syncRunner->IsRunning();
}

void CorvalaFrame::CancelSync()
{
    syncQueue.clear();
    if (IsSyncing())
    {
        SetStatusText(_("Cancelling the sync..."), 0);
        syncRunner->Cancel();
    }
}

bool CorvalaFrame::SyncNow()
{
    if (IsSyncing() || !syncQueue.empty())
        return false;
    Adapter adapter;
    std::vector<SyncStore::Account> accounts;
    if (!SyncStore::ListAccounts(adapter, accounts) || accounts.empty())
        return false;
    for (const SyncStore::Account& account : accounts)
    {
        if (std::find(syncSkipped.begin(), syncSkipped.end(), account.name) == syncSkipped.end())
            syncQueue.push_back(account.name);
    }
    SyncNext();
    return true;
}

void CorvalaFrame::SyncNext()
{
    while (!syncQueue.empty())
    {
        const wxString name = syncQueue.front();
        syncQueue.erase(syncQueue.begin());
        Adapter adapter;
        SyncStore::Account account;
        if (!SyncStore::FindAccount(adapter, name, account))
            continue;
        std::string password;
        if (!Keyring::Lookup(name, password))
        {
            wxPasswordEntryDialog ask(
                this, wxString::Format(_("The password for %s (kept until Corvala closes):"), name), _("Sync"));
            if (ask.ShowModal() != wxID_OK)
            {
                syncSkipped.push_back(name);
                continue;
            }
            password = ask.GetValue().utf8_string();
            Keyring::RememberForSession(name, password);
        }
        bool keepLocal = false;
        const int here = model->contactManager.CountAll();
        if (!account.firstDone && here > 0)
        {
            wxMessageDialog ask(this,
                                wxString::Format(wxPLURAL("This computer has %d contact. Send it to %s too, or keep "
                                                          "it on this computer only?",
                                                          "This computer has %d contacts. Send them to %s too, or "
                                                          "keep them on this computer only?",
                                                          here),
                                                 here, name),
                                _("First sync"), wxYES_NO | wxICON_QUESTION);
            ask.SetYesNoLabels(_("&Send them"), _("&Keep them here only"));
            keepLocal = ask.ShowModal() != wxID_YES;
        }
        SetStatusText(wxString::Format(_("Syncing with %s..."), name), 0);
        if (syncRunner->Start(
                name, password, keepLocal, [this](const wxString& line) { SetStatusText(line, 0); },
                [this](bool ok, const wxString& line) { OnSyncDone(ok, line); }))
            return;
    }
}

void CorvalaFrame::OnSyncDone(bool, const wxString& line)
{
    SetStatusText(line, 0);
    // What the sync brought in shows in the list, the cards and the detail.
    // Showing what the sync brought is no edit to send back: the check that
    // runs while it is shown only takes note of the count.
    showingSync = true;
    model->tagManager.Changed();
    model->contactManager.ShowSynced();
    showingSync = false;
    syncSeenWrites = model->contactManager.GetWriteCount();
    SyncNext();
}
