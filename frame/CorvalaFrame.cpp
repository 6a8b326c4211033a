#include "frame/CorvalaFrame.h"

#include <algorithm>

#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/busyinfo.h>
#include <wx/config.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include "dialogs/AboutDlg.h"
#include "dialogs/ImportDlg.h"
#include "dialogs/Language.h"
#include "dialogs/SettingDlg.h"
#include "dialogs/TagMgrDlg.h"
#include "dialogs/VCardExportDlg.h"
#include "dialogs/VCardImportDlg.h"
#include "dialogs/WindowSettings.h"
#include "frame/Corva.h"
#include "frame/FrameImages.h"
#include "frame/LongLoad.h"
#include "frame/MyHtmlWin.h"
#include "platform/Platform.h"
#include "views/CardCanvas.h"
#include "views/RelationCanvas.h"

namespace
{
const char* const CONFIG_GROUP = "/CorvaFrame";
const char* const DOWNLOAD_PAGE = "https://www.marrowind.example/corvala/download.html";
const wxSize MINIMUM_CLIENT_SIZE(760, 500);
} // namespace

CorvalaFrame::Ids::Ids()
{
    // The order is the order in which the window's parts are built.
    for (wxWindowIDRef* id : {&ID_STATICTEXT2,
                              &ID_LISTCTRL_TAGS,
                              &ID_STATICTEXT1,
                              &ID_PANEL_ALPHABET,
                              &ID_STATICTEXT4,
                              &ID_COMBOBOX_KEYWORD,
                              &ID_BUTTON_SEARCH,
                              &ID_BUTTON_RESET,
                              &ID_STATICLINE5,
                              &ID_BUTTON_PLUS,
                              &ID_STATICLINE1,
                              &ID_STATICTEXT3,
                              &ID_STATICTEXT5,
                              &ID_TEXTCTRL_SELTAG,
                              &ID_STATICTEXT6,
                              &ID_TEXTCTRL_FIRST_APLPHABET,
                              &ID_STATICTEXT8,
                              &ID_TEXTCTRLCONDITION_KEYWORD,
                              &ID_STATICTEXT7,
                              &ID_STATICLINE6,
                              &ID_STATICTEXT9,
                              &ID_BUTTON_PREVPAGE,
                              &ID_BUTTON_NEXTPAGE,
                              &ID_PANEL1,
                              &ID_LISTCTRL_RESULT,
                              &ID_PANEL11,
                              &ID_PANEL10,
                              &ID_NOTEBOOK_VIEW,
                              &ID_PANEL9,
                              &ID_AUINOTEBOOK_MAIN,
                              &ID_BUTTON_EDIT,
                              &ID_BUTTON_DELETE,
                              &ID_STATICLINE2,
                              &ID_BUTTON_COPY,
                              &ID_PANEL3,
                              &ID_BUTTON_NEW_HIS,
                              &ID_BUTTON_EDIT_HIS,
                              &ID_BUTTON_DEL_HIS,
                              &ID_STATICLINE3,
                              &ID_BUTTON_HIS_COPY,
                              &ID_LISTCTRL_CONTACT_HISTORY,
                              &ID_PANEL7,
                              &ID_AUINOTEBOOK_DETAIL,
                              &ID_BUTTON_REFRESH,
                              &ID_LISTCTRL_STATUS,
                              &ID_PANEL2,
                              &ID_BUTTON_LAST_MONTH,
                              &ID_BUTTON_NEXT_MONTH,
                              &ID_STATICLINE4,
                              &ID_BUTTON_CUR_MONTH,
                              &ID_LISTCTRL_REMINDER,
                              &ID_PANEL6,
                              &ID_BUTTON_TAG_REFRESH,
                              &ID_LISTCTRL_TAGSTAT,
                              &ID_PANEL5,
                              &ID_BUTTON_WEEK,
                              &ID_BUTTON_ONE_MONTH,
                              &ID_BUTTON_SIX_MONTH,
                              &ID_LISTCTRL_RECNENT,
                              &ID_PANEL8,
                              &ID_AUINOTEBOOK_STAT,
                              &ID_TOOL_NEW,
                              &ID_TOOL_EDIT,
                              &ID_TOOL_DELETE,
                              &ID_TOOL_TAG,
                              &ID_TOOL_IMPORT,
                              &ID_TOOL_SETTING,
                              &ID_TOOL_UPDATE,
                              &ID_TOOL_ABOUT,
                              &ID_AUITOOLBAR,
                              &ID_MENU_QUIT,
                              &ID_MENU_NEW,
                              &ID_MENU_EDIT,
                              &ID_MENU_DELETE,
                              &ID_MENU_COPY,
                              &ID_MENU_TAG,
                              &ID_MENU_PERSONAL_INFO,
                              &ID_MENU_STAT_INFO,
                              &ID_MENU_SETTING,
                              &ID_MENU_UI_LANGUAGE,
                              &ID_MENU_IMPORT,
                              &ID_MENU_UPDATE,
                              &ID_MENU_ABOUT,
                              &ID_STATUSBAR,
                              &ID_POPUP_EDIT,
                              &ID_POPUP_DELETE,
                              &ID_POPUP_COPY,
                              &ID_HTMLWINDOW})
        *id = wxWindow::NewControlId();
}

CorvalaFrame::CorvalaFrame(wxWindow* parent, wxWindowID id)
    : wxFrame(parent, id, _("Corvala"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE, "wxID_ANY")
{
    wxDateTime now = wxDateTime::Now();
    birthdayMonth = static_cast<int>(now.GetMonth());

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

    model = Corva::GetInstance();
    model->Init();
    model->tagManager.SetObserver(this);
    model->contactManager.AddObserver(this);
    model->historyManager.SetObserver(this);

    LoadDetailTemplate();

    imageList = new wxImageList(16, 16, true, 4);
    for (const char* name : {"icon_group", "icon_contact_male", "icon_contact_female", "icon_history"})
        imageList->Add(FrameImages::ResourceIcon(name));
    tagList->SetImageList(imageList, wxIMAGE_LIST_SMALL);
    tagList->SetBackgroundColour(wxColour(236, 232, 230));
    RefreshTagList();
    alphabetPanel->SetBackgroundColour(wxColour(236, 232, 230));
    resultList->SetImageList(imageList, wxIMAGE_LIST_SMALL);
    historyList->SetImageList(imageList, wxIMAGE_LIST_SMALL);
    InsertListColumns();

    {
        wxBusyCursor wait;
        model->contactManager.Search();
    }

    relationCanvas->SetShapeManager(&model->shapeManager);
    cardView->SetMainFrame(this);
    cardView->SetShapeManager(&model->shapeManager);
    // The first search ran before the cards had their manager.
    cardView->ShowSelection(selection);
    model->historyManager.SetCurrentContact(model->contactManager.currentContact);

    RefreshHistoryList();
    UpdateHistoryButtons();
    FillStatisticsWhenShown();

    ShowConditionRow(conditionRowVisible);
    ShowStatisticsPane(statPanelVisible);
    // A stored index of a page that does not exist falls back to the list.
    if (viewIndex < 0 || viewIndex >= static_cast<int>(viewNotebook->GetPageCount()))
        viewIndex = 0;
    viewNotebook->SetSelection(viewIndex);
    UpdatePageLabel();

    // The check marks follow the panes as they are now, not as built.
    personalInfoItem->Check(paneManager.GetPane(detailNotebook).IsShown());
    statisticsItem->Check(paneManager.GetPane(statNotebook).IsShown());
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
    mainNotebook->AddPage(BuildSearchCenter(mainNotebook), _("Search center"));

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
    detailNotebook->AddPage(BuildDetailPage(detailNotebook), _("Detail"));
    detailNotebook->AddPage(BuildHistoryPage(detailNotebook), _("Contact history"));
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

void CorvalaFrame::BuildToolbar()
{
    toolbar = new wxAuiToolBar(this, ids.ID_AUITOOLBAR, wxDefaultPosition, wxDefaultSize,
                               wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_TEXT);
    toolbar->AddTool(ids.ID_TOOL_NEW, _("New"), FrameImages::Load("ContactEdit_s24_01.png", 24), _("New contact"),
                     wxITEM_NORMAL);
    toolbar->SetToolLongHelp(ids.ID_TOOL_NEW, _("Open new contact dialog to add contace."));
    toolbar->AddTool(ids.ID_TOOL_EDIT, _("Edit"), FrameImages::Load("ContactEdit_s24_02.png", 24),
                     _("Edit selected contace"), wxITEM_NORMAL);
    toolbar->SetToolLongHelp(ids.ID_TOOL_EDIT, _("Open edit contact dialog to edit a contact information."));
    toolbar->AddTool(ids.ID_TOOL_DELETE, _("Delete"), FrameImages::Load("Delete_s24_01.png", 24),
                     _("Delete selected contact"), wxITEM_NORMAL);
    toolbar->SetToolLongHelp(ids.ID_TOOL_DELETE, _("Delete selected contact."));
    toolbar->AddSeparator();
    toolbar->AddTool(ids.ID_TOOL_TAG, _("Tag"), FrameImages::Load("User_s24_02.png", 24), _("Tag management"),
                     wxITEM_NORMAL);
    toolbar->SetToolLongHelp(ids.ID_TOOL_TAG, _("Open tag management dialog."));
    toolbar->AddTool(ids.ID_TOOL_IMPORT, _("Import"), FrameImages::Load("Import_s24_01.png", 24), wxEmptyString,
                     wxITEM_NORMAL);
    toolbar->AddSeparator();
    toolbar->AddTool(ids.ID_TOOL_SETTING, _("Setting"), FrameImages::Load("Setting_s24_01.png", 24),
                     _("Open settings dialog"), wxITEM_NORMAL);
    toolbar->SetToolLongHelp(ids.ID_TOOL_SETTING, _("Open settings dialog."));
    toolbar->AddTool(ids.ID_TOOL_UPDATE, _("Update"), FrameImages::Load("Update_s24_01.png", 24), _("Check update"),
                     wxITEM_NORMAL);
    toolbar->SetToolLongHelp(ids.ID_TOOL_UPDATE, _("Open the Corvala download page on www.marrowind.example."));
    toolbar->AddTool(ids.ID_TOOL_ABOUT, _("About"), FrameImages::Load("About_s24_01.png", 24), _("Open about dialog"),
                     wxITEM_NORMAL);
    toolbar->SetToolLongHelp(ids.ID_TOOL_ABOUT, _("Open about dialog."));
    toolbar->Realize();
    paneManager.AddPane(toolbar, wxAuiPaneInfo()
                                     .Name("Toolbar")
                                     .Caption(_("Toolbar"))
                                     .ToolbarPane()
                                     .Layer(10)
                                     .Top()
                                     .Gripper(true)
                                     .CloseButton(false)
                                     .RightDockable(false)
                                     .BottomDockable(false));
}

void CorvalaFrame::BuildMenuBar()
{
    wxMenuBar* menuBar = new wxMenuBar();

    wxMenu* fileMenu = new wxMenu();
    fileMenu->Append(new wxMenuItem(fileMenu, ids.ID_MENU_QUIT, _("&Quit"), _("Quit the application")));
    menuBar->Append(fileMenu, _("&File"));

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
    ConnectSearchEvents();
    ConnectContactEvents();
    ConnectHistoryEvents();
    ConnectStatisticsEvents();

    viewNotebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CorvalaFrame::OnViewPageChanged, this);

    Bind(wxEVT_MENU, &CorvalaFrame::OnTagManage, this, ids.ID_TOOL_TAG);
    Bind(wxEVT_MENU, &CorvalaFrame::OnTagManage, this, ids.ID_MENU_TAG);
    Bind(wxEVT_MENU, &CorvalaFrame::OnImport, this, ids.ID_TOOL_IMPORT);
    Bind(wxEVT_MENU, &CorvalaFrame::OnImport, this, ids.ID_MENU_IMPORT);
    Bind(wxEVT_MENU, &CorvalaFrame::OnImportVCard, this, idMenuImportVCard);
    Bind(wxEVT_MENU, &CorvalaFrame::OnExportVCard, this, idMenuExportVCard);
    SetDropTarget(new VCardDropTarget([this](const wxArrayString& paths) { ImportDroppedVCards(paths); }));
    Bind(wxEVT_MENU, &CorvalaFrame::OnSetting, this, ids.ID_TOOL_SETTING);
    Bind(wxEVT_MENU, &CorvalaFrame::OnSetting, this, ids.ID_MENU_SETTING);
    Bind(wxEVT_MENU, &CorvalaFrame::OnCheckUpdate, this, ids.ID_TOOL_UPDATE);
    Bind(wxEVT_MENU, &CorvalaFrame::OnCheckUpdate, this, ids.ID_MENU_UPDATE);
    Bind(wxEVT_MENU, &CorvalaFrame::OnAbout, this, ids.ID_TOOL_ABOUT);
    Bind(wxEVT_MENU, &CorvalaFrame::OnAbout, this, ids.ID_MENU_ABOUT);
    Bind(wxEVT_MENU, &CorvalaFrame::OnQuit, this, ids.ID_MENU_QUIT);
    Bind(wxEVT_MENU, &CorvalaFrame::OnPersonalInfo, this, ids.ID_MENU_PERSONAL_INFO);
    Bind(wxEVT_MENU, &CorvalaFrame::OnStatisticsInfo, this, ids.ID_MENU_STAT_INFO);
    Bind(wxEVT_MENU, &CorvalaFrame::OnUiLanguage, this, ids.ID_MENU_UI_LANGUAGE);
    Bind(wxEVT_AUI_PANE_CLOSE, &CorvalaFrame::OnPaneClose, this);
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

    // The stored numbers may be anything: first a range in which nothing
    // below can overflow.
    const long LIMIT = 1000000;
    x = std::clamp(x, -LIMIT, LIMIT);
    y = std::clamp(y, -LIMIT, LIMIT);
    w = std::clamp(w, 1L, LIMIT);
    h = std::clamp(h, 1L, LIMIT);

    // A position saved on a display that is gone would put the window out
    // of reach: its title bar must lie on some display.
    const wxPoint titleBar(static_cast<int>(x + std::min(w, 200L) / 2), static_cast<int>(y + 10));
    int display = wxDisplay::GetFromPoint(titleBar);
    if (display == wxNOT_FOUND)
    {
        x = 40;
        y = 40;
        display = wxDisplay::GetFromPoint(wxPoint(40, 40));
    }
    // Then the window is made to fit that display: no larger than it, and
    // not hanging off its edges.
    if (display == wxNOT_FOUND && wxDisplay::GetCount() > 0)
        display = 0;
    if (display != wxNOT_FOUND)
    {
        const wxRect area = wxDisplay(static_cast<unsigned>(display)).GetClientArea();
        const wxSize frame = GetSize() - GetClientSize(); // menu, tool and status bars, borders
        w = std::min(w, static_cast<long>(std::max(1, area.width - frame.x)));
        h = std::min(h, static_cast<long>(std::max(1, area.height - frame.y)));
        x = std::clamp(x, static_cast<long>(area.x), std::max<long>(area.x, area.GetRight() + 1 - (w + frame.x)));
        y = std::clamp(y, static_cast<long>(area.y), std::max<long>(area.y, area.GetBottom() + 1 - (h + frame.y)));
    }
    Move(static_cast<int>(x), static_cast<int>(y));
    SetClientSize(static_cast<int>(w), static_cast<int>(h));
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
    config->Write("bSizerVisible", conditionRowVisible ? 1L : 0L);
    config->Write("bStatPanelVisible", statPanelVisible ? 1L : 0L);
    config->Write("nViewIdx", static_cast<long>(viewIndex));
    config->SetPath(oldPath);
    config->Flush();
}

void CorvalaFrame::ShowStatisticsPane(bool show)
{
    wxAuiPaneInfo& pane = paneManager.GetPane(statNotebook);
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
    if (KeepPageInRange())
        return;
    // The manager may have destroyed the records the rows point at, so the
    // rows are rebuilt before anything reads them.
    RefreshContactList();
    // An empty page selects no row, and the current contact must be one the
    // user sees highlighted.
    if (resultList->GetSelectedItemCount() == 0)
        MakeCurrent(nullptr);
    else
        ShowSelection();
    // Inserts, imports and deletes change the total without a search
    // command: keep the label true to the page shown.
    WritePageLabel(model->contactManager.condition.pageIndex);
    // The cards were rebuilt by the shape manager before this ran.
    if (cardView)
        cardView->CardsChanged();
}

void CorvalaFrame::OnTagChanged()
{
    RefreshTagList();
}

void CorvalaFrame::OnHistoryChanged()
{
    RefreshHistoryList();
}

void CorvalaFrame::OnViewPageChanged(wxBookCtrlEvent& event)
{
    viewIndex = event.GetSelection();
    event.Skip();
}

void CorvalaFrame::OnQuit(wxCommandEvent&)
{
    Close(false);
}

void CorvalaFrame::OnPersonalInfo(wxCommandEvent& event)
{
    wxAuiPaneInfo& pane = paneManager.GetPane(detailNotebook);
    if (!pane.IsOk())
        return;
    pane.Show(event.IsChecked());
    paneManager.Update();
}

void CorvalaFrame::OnStatisticsInfo(wxCommandEvent& event)
{
    statPanelVisible = event.IsChecked();
    ShowStatisticsPane(statPanelVisible);
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

void CorvalaFrame::OnUiLanguage(wxCommandEvent&)
{
    SelectUiLanguage();
}

void CorvalaFrame::OnCheckUpdate(wxCommandEvent&)
{
    wxLaunchDefaultBrowser(DOWNLOAD_PAGE, wxBROWSER_NEW_WINDOW);
}

void CorvalaFrame::OnTagManage(wxCommandEvent&)
{
    TagMgrDlg dialog(this, wxID_ANY);
    dialog.SetCorva(model);
    dialog.ShowModal();
}

void CorvalaFrame::OnImport(wxCommandEvent&)
{
    ImportDlg dialog(this, wxID_ANY);
    dialog.SetCorva(model);
    dialog.ShowModal();
}

void CorvalaFrame::OnImportVCard(wxCommandEvent&)
{
    ImportVCardFiles(wxArrayString());
}

void CorvalaFrame::ImportVCardFiles(const wxArrayString& paths)
{
    VCardImportDlg dialog(this, wxID_ANY);
    dialog.SetCorva(model);
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

void CorvalaFrame::OnExportVCard(wxCommandEvent&)
{
    VCardExportDlg dialog(this, wxID_ANY, model, selection, condition, model->contactManager.totalCount);
    dialog.ShowModal();
}

void CorvalaFrame::OnSetting(wxCommandEvent&)
{
    SettingDlg dialog(this, wxID_ANY);
    dialog.ShowModal();
}

void CorvalaFrame::OnAbout(wxCommandEvent&)
{
    AboutDlg dialog(this, wxID_ANY);
    dialog.ShowModal();
}
