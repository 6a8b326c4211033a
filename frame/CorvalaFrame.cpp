#include "frame/CorvalaFrame.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>

#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/busyinfo.h>
#include <wx/config.h>
#include <wx/filename.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include "dialogs/AboutDlg.h"
#include "dialogs/DuplicatesDlg.h"
#include "dialogs/ImportDlg.h"
#include "dialogs/Language.h"
#include "dialogs/SettingDlg.h"
#include "dialogs/TagMgrDlg.h"
#include "dialogs/VCardExportDlg.h"
#include "dialogs/VCardImportDlg.h"
#include "dialogs/WindowSettings.h"
#include "frame/ContactListPane.h"
#include "frame/Corva.h"
#include "frame/DetailPane.h"
#include "frame/FindBox.h"
#include "frame/FrameImages.h"
#include "frame/HistoryPane.h"
#include "frame/LongLoad.h"
#include "frame/MyHtmlWin.h"
#include "frame/SearchCenterPane.h"
#include "frame/StatisticsPane.h"
#include "frame/WindowPlacement.h"
#include "platform/Platform.h"
#include "views/CardCanvas.h"
#include "views/RelationCanvas.h"

namespace
{
const char* const CONFIG_GROUP = "/CorvaFrame";
const char* const DOWNLOAD_PAGE = "https://www.marrowind.example/corvala/download.html";
const wxSize MINIMUM_CLIENT_SIZE(760, 500);

template <typename Dialog, typename... Args> void RunModal(Args&&... args)
{
    Dialog dialog(std::forward<Args>(args)...);
    dialog.ShowModal();
}
} // namespace

CorvalaFrame::CorvalaFrame(wxWindow* parent, wxWindowID id)
    : wxFrame(parent, id, _("Corvala"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE, "wxID_ANY"),
      // The one place below the application that reaches the model root:
      // every pane and dialog is handed the managers it uses.
      model(Corva::GetInstance())
{
    SetClientSize(800, 500);
    paneManager.SetManagedWindow(this);
    paneManager.SetFlags(wxAUI_MGR_DEFAULT | wxAUI_MGR_ALLOW_ACTIVE_PANE | wxAUI_MGR_TRANSPARENT_DRAG);

    BuildCentrePane();
    BuildDetailPane();
    BuildStatisticsPane();
    BuildToolbar();
    paneManager.Update();

    BuildMenuBar();
    BuildStatusBar();
    // The least size at which every control of the search center, the
    // history page and the statistics pages is whole and the lists keep a
    // few rows, in each of the program's languages. Set on the client area
    // once the menu and status bars are in, so that their height (which
    // depends on the theme) is not taken from it.
    SetMinClientSize(FromDIP(MINIMUM_CLIENT_SIZE));
    BuildContactMenu();
    ConnectEvents();

    RestoreWindowState();
    GetStatusBar()->SetStatusText(_("Marrowind Corvala"), 1);

    model->Init();
    model->tagManager.SetObserver(this);
    model->contactManager.AddObserver(this);
    model->historyManager.SetObserver(this);

    detailPane->LoadDetailTemplate();

    imageList = new wxImageList(16, 16, true, 4);
    for (const char* name :
         {"icon_group", "icon_contact_male", "icon_contact_female", "icon_history", "icon_contact_not_stated"})
        imageList->Add(FrameImages::ResourceIcon(name));
    searchCenter->SetUp(imageList);
    contactList->SetImages(imageList);
    historyPane->SetImages(imageList);
    contactList->InsertColumns();
    historyPane->InsertColumns();
    statisticsPane->InsertColumns();

    {
        wxBusyCursor wait;
        model->contactManager.Search();
    }

    relationCanvas->SetShapeManager(&model->shapeManager);
    cardView->SetContactManager(&model->contactManager);
    cardView->SetShapeManager(&model->shapeManager);
    // The first search ran before the cards had their manager.
    cardView->ShowSelection(GetSelection());
    model->historyManager.SetCurrentContact(model->contactManager.currentContact);

    historyPane->RefreshEntries();
    historyPane->UpdateButtons();
    statisticsPane->FillWhenShown(this, {contactList->GetListCtrl(), cardView, detailPane->GetDetailWindow()});

    searchCenter->ShowConditionRow(conditionRowVisible);
    ShowStatisticsPane(statPanelVisible);
    // A stored index of a page that does not exist falls back to the list.
    wxNotebook* viewBook = searchCenter->GetViewBook();
    if (viewIndex < 0 || viewIndex >= static_cast<int>(viewBook->GetPageCount()))
        viewIndex = 0;
    viewBook->SetSelection(viewIndex);
    searchCenter->ShowPage(1);

    // The check marks follow the panes as they are now, not as built.
    personalInfoItem->Check(paneManager.GetPane(detailNotebook).IsShown());
    statisticsItem->Check(paneManager.GetPane(statisticsPane).IsShown());
}

CorvalaFrame::~CorvalaFrame()
{
    SaveWindowState();
    delete model;
    model = nullptr;
    paneManager.UnInit();
    delete imageList;
    imageList = nullptr;
}

void CorvalaFrame::BuildCentrePane()
{
    mainNotebook = new wxAuiNotebook(this, ids.ID_AUINOTEBOOK_MAIN, wxDefaultPosition, wxDefaultSize,
                                     wxAUI_NB_TOP | wxAUI_NB_TAB_SPLIT | wxAUI_NB_TAB_MOVE | wxAUI_NB_SCROLL_BUTTONS);
    mainNotebook->SetArtProvider(new wxAuiSimpleTabArt);
    searchCenter = new SearchCenterPane(mainNotebook, ids, model->tagManager, model->contactManager);
    contactList = searchCenter->GetContactList();
    cardView = searchCenter->GetCardCanvas();
    mainNotebook->AddPage(searchCenter, _("Search center"));

    wxPanel* relationPanel =
        new wxPanel(mainNotebook, ids.ID_PANEL9, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL9");
    wxBoxSizer* relationSizer = new wxBoxSizer(wxVERTICAL);
    relationCanvas = new RelationCanvas(relationPanel);
    relationSizer->Add(relationCanvas, 1, wxALL | wxEXPAND, 5);
    relationPanel->SetSizer(relationSizer);
    mainNotebook->AddPage(relationPanel, _("Relation map view"));

    paneManager.AddPane(mainNotebook, wxAuiPaneInfo()
                                          .Name("PaneName")
                                          .Caption(_("Pane caption"))
                                          .CaptionVisible(false)
                                          .CloseButton(false)
                                          .PaneBorder(true)
                                          .Resizable(true)
                                          .Center());
}

void CorvalaFrame::BuildDetailPane()
{
    detailNotebook = new wxAuiNotebook(this, ids.ID_AUINOTEBOOK_DETAIL, wxDefaultPosition, wxSize(380, 400),
                                       wxAUI_NB_TOP | wxAUI_NB_TAB_SPLIT | wxAUI_NB_SCROLL_BUTTONS);
    detailNotebook->SetMinSize(wxSize(360, 200));
    detailPane = new DetailPane(detailNotebook, ids, model->tagManager);
    detailNotebook->AddPage(detailPane, _("Detail"));
    historyPane = new HistoryPane(detailNotebook, ids, model->contactManager, model->historyManager, this);
    detailNotebook->AddPage(historyPane, _("Contact history"));
    paneManager.AddPane(detailNotebook, wxAuiPaneInfo()
                                            .Name("DetailInfo")
                                            .Caption(_("Personal Information"))
                                            .BestSize(380, 400)
                                            .MinSize(360, 200)
                                            .CaptionVisible(true)
                                            .CloseButton(true)
                                            .MaximizeButton(true)
                                            .Right()
                                            .RightDockable(true)
                                            .BottomDockable(true)
                                            .LeftDockable(false)
                                            .TopDockable(false)
                                            .Floatable(true)
                                            .Movable(true));
}

void CorvalaFrame::BuildStatisticsPane()
{
    statisticsPane = new StatisticsPane(this, ids, model->tagManager, model->contactManager);
    paneManager.AddPane(statisticsPane, wxAuiPaneInfo()
                                            .Name("StatInfo")
                                            .Caption(_("Statistics information"))
                                            .MinSize(360, 160)
                                            .CaptionVisible(true)
                                            .CloseButton(true)
                                            .MaximizeButton(true)
                                            .PinButton(true)
                                            .Right()
                                            .Position(1)
                                            .Dockable(true));
}

void CorvalaFrame::BuildMenuBar()
{
    wxMenuBar* menuBar = new wxMenuBar();

    wxMenu* fileMenu = new wxMenu();
    fileMenu->Append(new wxMenuItem(fileMenu, ids.ID_MENU_QUIT, _("&Quit"), _("Quit the application")));
    menuBar->Append(fileMenu, _("&File"));
    menuBar->Append(BuildEditMenu(), _("&Edit"));

    auto withIcon = [](wxMenu* menu, int id, const wxString& label, const wxString& help, const char* icon)
    {
        wxMenuItem* item = new wxMenuItem(menu, id, label, help, wxITEM_NORMAL);
        if (icon)
            item->SetBitmap(FrameImages::Load(icon, 16));
        menu->Append(item);
        return item;
    };

    wxMenu* contact = new wxMenu();
    withIcon(contact, ids.ID_MENU_NEW, _("&New..."), _("New contact."), "ContactEdit_s16_01.png");
    withIcon(contact, ids.ID_MENU_EDIT, _("&Edit...\tF2"), _("Edit selected contact information."),
             "ContactEdit_s16_02.png");
    withIcon(contact, ids.ID_MENU_DELETE, _("&Delete\tDEL"), _("Delete selected item."), "Delete_s16_01.png");
    contact->AppendSeparator();
    withIcon(contact, ids.ID_MENU_COPY, _("&Copy...\tCtrl+Alt+C"), _("Add item by copy."), "User_s16_01.png");
    withIcon(contact, idMenuFind, _("&Find\tCtrl+F"), _("Find contacts by any of their texts."), nullptr);
    withIcon(contact, idMenuDeleted, _("Deleted contacts..."), _("Restore deleted contacts."), "Delete_s16_01.png");
    menuBar->Append(contact, _("&Contact"));

    wxMenu* tag = new wxMenu();
    withIcon(tag, ids.ID_MENU_TAG, _("&Manage..."), _("Tags management."), nullptr);
    menuBar->Append(tag, _("Ta&g"));

    wxMenu* view = new wxMenu();
    personalInfoItem = new wxMenuItem(view, ids.ID_MENU_PERSONAL_INFO, _("Personal Information\tF3"),
                                      _("Show personal information panel"), wxITEM_CHECK);
    view->Append(personalInfoItem);
    statisticsItem = new wxMenuItem(view, ids.ID_MENU_STAT_INFO, _("Statistics &information\tF4"),
                                    _("Show Status information panel"), wxITEM_CHECK);
    view->Append(statisticsItem);
    view->AppendSeparator();
    withIcon(view, ids.ID_MENU_SETTING, _("Se&tting..."), _("Open setting dialog"), "Setting_s16_01.png");
    withIcon(view, ids.ID_MENU_UI_LANGUAGE, _("UI language..."), _("Select UI language"), nullptr);
    menuBar->Append(view, _("&View"));

    wxMenu* tools = new wxMenu();
    withIcon(tools, ids.ID_MENU_IMPORT, _("&Import..."), _("Contact information import tool"), "Import_s16_01.png");
    withIcon(tools, idMenuImportVCard, _("Import vCard..."), _("Import contacts from vCard files"),
             "Import_s16_01.png");
    withIcon(tools, idMenuExportVCard, _("Export vCard..."), _("Export contacts to a vCard file"), nullptr);
    withIcon(tools, idMenuExportCsv, _("Export to CSV..."), _("Export contacts to a CSV file"), nullptr);
    withIcon(tools, idMenuDuplicates, _("Find duplicates..."), _("Find and merge contacts that are one person"),
             nullptr);
    BuildSyncCommands(tools);
    menuBar->Append(tools, _("&Tools"));

    wxMenu* help = new wxMenu();
    withIcon(help, ids.ID_MENU_UPDATE, _("Check &update..."), _("Open the download page on www.marrowind.example"),
             "Update_s16_01.png");
    help->AppendSeparator();
    withIcon(help, ids.ID_MENU_ABOUT, _("&About...\tF1"), _("Show info about this application"), "About_s16_01.png");
    menuBar->Append(help, _("&Help"));

    SetMenuBar(menuBar);
}

void CorvalaFrame::BuildStatusBar()
{
    wxStatusBar* status = new wxStatusBar(this, ids.ID_STATUSBAR, wxSTB_DEFAULT_STYLE, "ID_STATUSBAR");
    int widths[2] = {-5, -1};
    int styles[2] = {wxSB_NORMAL, wxSB_NORMAL};
    status->SetFieldsCount(2, widths);
    status->SetStatusStyles(2, styles);
    SetStatusBar(status);
}

void CorvalaFrame::BuildContactMenu()
{
    auto add = [this](int id, const wxString& label, const char* icon)
    {
        wxMenuItem* item = new wxMenuItem(&contactMenu, id, label, wxEmptyString, wxITEM_NORMAL);
        item->SetBitmap(FrameImages::Load(icon, 16));
        contactMenu.Append(item);
    };
    add(ids.ID_POPUP_EDIT, _("&Edit..."), "ContactEdit_s16_02.png");
    add(ids.ID_POPUP_DELETE, _("&Delete"), "Delete_s16_01.png");
    add(ids.ID_POPUP_COPY, _("&Copy..."), "User_s16_01.png");
}

void CorvalaFrame::ConnectEvents()
{
    ConnectContactCommands();
    ConnectEditCommands();
    // What the panes and the cards ask for.
    Bind(EVT_CONTACT_CURRENT, [this](ContactEvent& event) { MakeCurrent(event.GetContact()); });
    Bind(EVT_CONTACT_SELECT, [this](ContactEvent& event) { contactList->SelectContact(event.GetContact()); });
    Bind(EVT_CONTACT_EDIT, [this](ContactEvent& event) { contactList->EditContact(event.GetContact()); });
    Bind(EVT_CONTACT_MENU, [this](ContactEvent&) { PopupMenu(&contactMenu); });
    Bind(EVT_SEARCH_TAG_CHOSEN, [this](wxCommandEvent&) { historyPane->UpdateButtons(); });
    searchCenter->GetViewBook()->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED,
                                      [this](wxBookCtrlEvent& event)
                                      {
                                          viewIndex = event.GetSelection();
                                          event.Skip();
                                      });

    // A command of the toolbar and of a menu, or of a menu alone.
    auto command = [this](std::initializer_list<int> commandIds, std::function<void()> run)
    {
        for (int commandId : commandIds)
            Bind(
                wxEVT_MENU, [run](wxCommandEvent&) { run(); }, commandId);
    };
    command({ids.ID_TOOL_TAG, ids.ID_MENU_TAG}, [this] { RunModal<TagMgrDlg>(this, model->tagManager, wxID_ANY); });
    command({ids.ID_TOOL_IMPORT, ids.ID_MENU_IMPORT},
            [this] { RunModal<ImportDlg>(this, wxID_ANY, model->contactManager); });
    command({idMenuImportVCard}, [this] { ImportVCardFiles(wxArrayString()); });
    for (const auto& item : {std::make_pair(int(idMenuExportVCard), VCardExportDlg::FORMAT_VCARD),
                             std::make_pair(int(idMenuExportCsv), VCardExportDlg::FORMAT_CSV)})
        command({item.first},
                [this, format = item.second]
                {
                    RunModal<VCardExportDlg>(this, wxID_ANY, model->tagManager, model->contactManager, GetSelection(),
                                             GetSearchCondition(), model->contactManager.ExactTotal(), format);
                });
    command({idMenuDuplicates}, [this] { RunModal<DuplicatesDlg>(this, wxID_ANY, model->contactManager); });
    SetDropTarget(new VCardDropTarget([this](const wxArrayString& paths) { ImportDroppedVCards(paths); }));
    command({ids.ID_TOOL_SETTING, ids.ID_MENU_SETTING},
            [this]
            {
                RunModal<SettingDlg>(this, wxID_ANY);
                ScheduleSync();
            });
    command({ids.ID_TOOL_UPDATE, ids.ID_MENU_UPDATE},
            [] { wxLaunchDefaultBrowser(DOWNLOAD_PAGE, wxBROWSER_NEW_WINDOW); });
    command({ids.ID_TOOL_ABOUT, ids.ID_MENU_ABOUT}, [this] { RunModal<AboutDlg>(this, wxID_ANY); });
    command({ids.ID_MENU_QUIT}, [this] { Close(false); });
    command({idMenuFind},
            [this]
            {
                findBox->SetFocus();
                findBox->SelectAll();
            });
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event)
        {
            wxAuiPaneInfo& pane = paneManager.GetPane(detailNotebook);
            if (!pane.IsOk())
                return;
            pane.Show(event.IsChecked());
            paneManager.Update();
        },
        ids.ID_MENU_PERSONAL_INFO);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event)
        {
            statPanelVisible = event.IsChecked();
            ShowStatisticsPane(statPanelVisible);
        },
        ids.ID_MENU_STAT_INFO);
    command({ids.ID_MENU_UI_LANGUAGE}, [] { SelectUiLanguage(); });
    Bind(wxEVT_AUI_PANE_CLOSE, &CorvalaFrame::OnPaneClose, this);
}

void CorvalaFrame::ConnectContactCommands()
{
    auto command = [this](const wxEventTypeTag<wxCommandEvent>& type, std::initializer_list<int> commandIds,
                          void (ContactListPane::*run)())
    {
        for (int commandId : commandIds)
            contactList->BindCommand(*this, type, commandId, run);
    };
    command(wxEVT_MENU, {ids.ID_TOOL_NEW, ids.ID_MENU_NEW}, &ContactListPane::NewContact);
    command(wxEVT_MENU, {ids.ID_TOOL_EDIT, ids.ID_MENU_EDIT, ids.ID_POPUP_EDIT}, &ContactListPane::EditSelection);
    command(wxEVT_MENU, {ids.ID_TOOL_DELETE, ids.ID_MENU_DELETE, ids.ID_POPUP_DELETE},
            &ContactListPane::DeleteSelection);
    command(wxEVT_MENU, {ids.ID_MENU_COPY, ids.ID_POPUP_COPY}, &ContactListPane::CopyCurrent);
    // The detail page's buttons.
    command(wxEVT_BUTTON, {ids.ID_BUTTON_EDIT}, &ContactListPane::EditSelection);
    command(wxEVT_BUTTON, {ids.ID_BUTTON_DELETE}, &ContactListPane::DeleteSelection);
    command(wxEVT_BUTTON, {ids.ID_BUTTON_COPY}, &ContactListPane::CopyCurrent);
}

void CorvalaFrame::RestoreWindowState()
{
    long x = 40, y = 40, w = 960, h = 600;
    wxConfigBase* config = wxConfigBase::Get();
    if (config)
    {
        wxString oldPath = config->GetPath();
        config->SetPath(CONFIG_GROUP);
        g_rememberSizePos = config->ReadLong("nRemSizePos", 0);
        if (g_rememberSizePos > 0)
        {
            x = config->ReadLong("x", 40);
            y = config->ReadLong("y", 40);
            w = config->ReadLong("w", 960);
            h = config->ReadLong("h", 600);
        }
        conditionRowVisible = config->ReadLong("bSizerVisible", 1) == 1;
        statPanelVisible = config->ReadLong("bStatPanelVisible", 1) == 1;
        viewIndex = config->ReadLong("nViewIdx", 0);
        config->SetPath(oldPath);
    }

    const wxRect placed = WindowPlacement::Fit(x, y, w, h, GetSize() - GetClientSize());
    Move(placed.GetPosition());
    SetClientSize(placed.GetSize());
}

void CorvalaFrame::SaveWindowState()
{
    wxConfigBase* config = wxConfigBase::Get();
    if (!config)
        return;
    wxString oldPath = config->GetPath();
    config->SetPath(CONFIG_GROUP);
    config->Write("nRemSizePos", static_cast<long>(g_rememberSizePos));
    if (g_rememberSizePos > 0)
    {
        wxPoint pos = GetPosition();
        wxSize size = GetClientSize();
        config->Write("x", static_cast<long>(pos.x));
        config->Write("y", static_cast<long>(pos.y));
        config->Write("w", static_cast<long>(size.x));
        config->Write("h", static_cast<long>(size.y));
    }
    config->Write("bSizerVisible", searchCenter->IsConditionRowVisible() ? 1L : 0L);
    config->Write("bStatPanelVisible", statPanelVisible ? 1L : 0L);
    config->Write("nViewIdx", static_cast<long>(viewIndex));
    config->SetPath(oldPath);
    config->Flush();
}

void CorvalaFrame::ShowStatisticsPane(bool show)
{
    wxAuiPaneInfo& pane = paneManager.GetPane(statisticsPane);
    if (!pane.IsOk())
        return;
    pane.Show(show);
    paneManager.Update();
}

void CorvalaFrame::OnContactChanged()
{
    // A delete can empty the last page and an insert into an empty book can
    // follow a page of 0: the search run for the corrected page notifies
    // again and shows it.
    if (searchCenter->KeepPageInRange())
        return;
    // The manager may have destroyed the records the rows point at, so the
    // rows are rebuilt before anything reads them.
    contactList->Refill();
    // An empty page selects no row, and the current contact must be one the
    // user sees highlighted.
    if (!contactList->HasHighlight())
        MakeCurrent(nullptr);
    else
        ShowSelection();
    // Inserts, imports and deletes change the total without a search
    // command: keep the label true to the page shown.
    searchCenter->ShowPage(model->contactManager.condition.pageIndex);
    statisticsPane->FollowContacts();
    // The cards were rebuilt by the shape manager before this ran.
    if (cardView)
        cardView->CardsChanged();
    SyncAfterEdit();
}

void CorvalaFrame::OnTagChanged()
{
    searchCenter->RefreshTagList();
}

void CorvalaFrame::OnHistoryChanged()
{
    historyPane->RefreshEntries();
}

void CorvalaFrame::MakeCurrent(ContactInfoEx* contact)
{
    model->contactManager.currentContact = contact;
    ShowSelection();
    model->historyManager.SetCurrentContact(contact);
    historyPane->RefreshEntries();
}

void CorvalaFrame::ShowSelection()
{
    const ContactArray& selection = contactList->CollectSelection();
    const bool shown = detailPane->ShowSelection(selection, model->contactManager.currentContact);
    EnableContactCommands(shown);
    detailPane->GetDetailWindow()->Enable(shown);
    if (cardView)
        cardView->ShowSelection(selection);
}

void CorvalaFrame::EnableContactCommands(bool enable)
{
    detailPane->EnableCommands(enable);
    if (toolbar)
    {
        toolbar->EnableTool(ids.ID_TOOL_EDIT, enable);
        toolbar->EnableTool(ids.ID_TOOL_DELETE, enable);
        toolbar->Refresh(false);
    }
    if (wxMenuBar* menuBar = GetMenuBar())
    {
        for (int id : {int(ids.ID_MENU_EDIT), int(ids.ID_MENU_DELETE), int(ids.ID_MENU_COPY)})
        {
            if (menuBar->FindItem(id))
                menuBar->Enable(id, enable);
        }
    }
    for (int id : {int(ids.ID_POPUP_EDIT), int(ids.ID_POPUP_DELETE), int(ids.ID_POPUP_COPY)})
    {
        if (contactMenu.FindItem(id))
            contactMenu.Enable(id, enable);
    }
}

void CorvalaFrame::OnPaneClose(wxAuiManagerEvent& event)
{
    wxAuiPaneInfo* pane = event.GetPane();
    if (pane && pane->HasPinButton())
    {
        statisticsItem->Check(false);
        statPanelVisible = false;
    }
    else
    {
        personalInfoItem->Check(false);
    }
    event.Skip();
}

void CorvalaFrame::ImportVCardFiles(const wxArrayString& paths)
{
    VCardImportDlg dialog(this, wxID_ANY, model->tagManager, model->contactManager);
    if (!paths.empty())
        dialog.SetPaths(paths);
    dialog.ShowModal();
}

void CorvalaFrame::ImportDroppedVCards(const wxArrayString& paths)
{
    if (!LongLoad::Running() && droppedVCards.empty())
    {
        ImportVCardFiles(paths);
        return;
    }
    // The dialog would run inside the read, and its import on the read's
    // connection: it opens when the read is done.
    if (droppedVCards.empty())
        Bind(wxEVT_IDLE, &CorvalaFrame::OnDroppedVCardsIdle, this);
    for (const wxString& path : paths)
        droppedVCards.Add(path);
}

void CorvalaFrame::OnDroppedVCardsIdle(wxIdleEvent& event)
{
    event.Skip();
    if (LongLoad::Running())
        return;
    Unbind(wxEVT_IDLE, &CorvalaFrame::OnDroppedVCardsIdle, this);
    wxArrayString paths;
    paths.swap(droppedVCards);
    ImportVCardFiles(paths);
}
