// The main window: docking panes with the search center (contact list and
// business cards), relation map, detail and history pages and statistics.
// The panes own their controls; the frame keeps the window tree, the menus,
// the toolbar, the status bar and the window's state, and wires the panes'
// events to one another.
#pragma once

#include <memory>
#include <vector>

#include <wx/arrstr.h>
#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/windowid.h>

#include "frame/ContactListPane.h"
#include "frame/FrameIds.h"
#include "frame/SearchCenterPane.h"
#include "frame/SyncRunner.h"
#include "storage/ContactInfoEx.h"
#include "storage/ContactObserver.h"
#include "storage/HistoryObserver.h"
#include "storage/SearchCondition.h"
#include "storage/TagObserver.h"

class CardCanvas;
class ContactListPane;
class ContactEvent;
class Corva;
class DetailPane;
class FindBox;
class HistoryPane;
class RelationCanvas;
class StatisticsPane;
class wxAuiNotebook;
class wxAuiToolBar;
class wxImageList;

class CorvalaFrame : public wxFrame, public ContactObserver, public TagObserver, public HistoryObserver
{
public:
    // The ids are those of every window the frame and its panes build.
    using Ids = FrameIds;

    CorvalaFrame(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~CorvalaFrame() override;

    void OnContactChanged() override;
    void OnTagChanged() override;
    void OnHistoryChanged() override;

    // Reads the highlighted rows and shows them: on the detail page, in the
    // contact commands' state and on the cards.
    void ShowSelection();
    void ShowStatisticsPane(bool show);

    // Opens the vCard import dialog with these files (dropped ones).
    void ImportVCardFiles(const wxArrayString& paths);
    // Files dropped on the window: imported at once, or once a long read
    // that lets messages through has finished (it still uses the database).
    void ImportDroppedVCards(const wxArrayString& paths);

    // Sync (FrameSync.cpp): every account in turn, in a process of its own;
    // the status bar says how it goes and ends with its report. False when
    // a sync is running already or there is no account.
    bool SyncNow();
    bool IsSyncing() const;
    void CancelSync();

    Corva* GetModel() const
    {
        return model;
    }
    wxMenu* GetContactMenu()
    {
        return &contactMenu;
    }
    SearchCenterPane* GetSearchCenter() const
    {
        return searchCenter;
    }
    ContactListPane* GetContactList() const
    {
        return contactList;
    }
    DetailPane* GetDetailPane() const
    {
        return detailPane;
    }
    HistoryPane* GetHistoryPane() const
    {
        return historyPane;
    }
    StatisticsPane* GetStatisticsPane() const
    {
        return statisticsPane;
    }
    CardCanvas* GetCardCanvas() const
    {
        return cardView;
    }
    const ContactArray& GetSelection() const
    {
        return contactList->GetSelection();
    }
    const SearchCondition& GetSearchCondition() const
    {
        return searchCenter->GetCondition();
    }
    wxAuiManager& GetPaneManager()
    {
        return paneManager;
    }
    wxMenuItem* GetPersonalInfoItem() const
    {
        return personalInfoItem;
    }
    wxMenuItem* GetStatisticsItem() const
    {
        return statisticsItem;
    }
    int GetViewIndex() const
    {
        return viewIndex;
    }
    const Ids& GetIds() const
    {
        return ids;
    }

private:
    // Construction, one piece per pane.
    void BuildCentrePane();
    void BuildDetailPane();
    void BuildStatisticsPane();
    void BuildToolbar();
    void BuildMenuBar();
    wxMenu* BuildEditMenu();
    void ConnectEditCommands();
    void BuildStatusBar();
    void BuildContactMenu();
    void ConnectEvents();
    void ConnectContactCommands();

    void RestoreWindowState();
    void SaveWindowState();

    // The current contact, its detail page and its history, all at once.
    void MakeCurrent(ContactInfoEx* contact);
    void EnableContactCommands(bool enable);

    void BuildSyncCommands(wxMenu* tools);
    void SyncNext();
    void OnSyncDone(bool ok, const wxString& line);
    void ScheduleSync();
    // A write of the user's: a sync follows once the edits have paused.
    void SyncAfterEdit();

    void OnDroppedVCardsIdle(wxIdleEvent& event);
    void OnPaneClose(wxAuiManagerEvent& event);

    Ids ids;
    // The vCard commands of the Tools menu; their ids follow all others.
    wxWindowIDRef idMenuImportVCard{wxWindow::NewControlId()};
    wxWindowIDRef idMenuExportVCard{wxWindow::NewControlId()};
    wxWindowIDRef idMenuExportCsv{wxWindow::NewControlId()};
    wxWindowIDRef idMenuDuplicates{wxWindow::NewControlId()};
    // The find box and its command (Ctrl+F puts the cursor in it).
    wxWindowIDRef idFindBox{wxWindow::NewControlId()};
    wxWindowIDRef idMenuFind{wxWindow::NewControlId()};
    // Edit > Undo and Contact > Deleted contacts.
    wxWindowIDRef idMenuUndo{wxWindow::NewControlId()};
    wxWindowIDRef idMenuDeleted{wxWindow::NewControlId()};
    // Tools > Accounts, Sync now (also on the toolbar) and Cancel sync.
    wxWindowIDRef idMenuAccounts{wxWindow::NewControlId()};
    wxWindowIDRef idMenuSyncNow{wxWindow::NewControlId()};
    wxWindowIDRef idMenuCancelSync{wxWindow::NewControlId()};
    std::unique_ptr<SyncRunner> syncRunner;
    std::vector<wxString> syncQueue;   // accounts still to sync in this run
    std::vector<wxString> syncSkipped; // no password given this session
    wxTimer syncTimer;
    wxTimer editSyncTimer;
    unsigned syncSeenWrites = 0; // the write count the last check saw
    bool showingSync = false;    // the book is being shown again after a sync
    Corva* model = nullptr;
    RelationCanvas* relationCanvas = nullptr;
    SearchCenterPane* searchCenter = nullptr;
    ContactListPane* contactList = nullptr;
    // Stands in the business card page until the card view takes its place.
    CardCanvas* cardView = nullptr;
    DetailPane* detailPane = nullptr;
    HistoryPane* historyPane = nullptr;
    StatisticsPane* statisticsPane = nullptr;
    wxAuiNotebook* mainNotebook = nullptr;
    wxAuiNotebook* detailNotebook = nullptr;
    wxImageList* imageList = nullptr;
    // As stored; the search center keeps the row's state once it is built.
    bool conditionRowVisible = true;
    bool statPanelVisible = true;
    int viewIndex = 0;
    wxAuiManager paneManager;
    wxMenu contactMenu;
    wxMenuItem* personalInfoItem = nullptr;
    wxMenuItem* statisticsItem = nullptr;
    wxAuiToolBar* toolbar = nullptr;
    FindBox* findBox = nullptr;
    wxArrayString droppedVCards; // dropped during a long read, not yet opened
};
