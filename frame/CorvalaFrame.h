// The main window: docking panes with the search center, contact list,
// business cards, relation map, detail page, history and statistics.
#pragma once

#include <wx/arrstr.h>
#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/windowid.h>

#include "storage/ContactInfoEx.h"
#include "storage/ContactObserver.h"
#include "storage/HistoryObserver.h"
#include "storage/SearchCondition.h"
#include "storage/TagObserver.h"

class CardCanvas;
class HistoryInfo;
class Corva;
class MyHtmlWin;
class RelationCanvas;
class RowListCtrl;
class wxAuiNotebook;
class wxAuiToolBar;
class wxButton;
class wxComboBox;
class wxImageList;
class wxListCtrl;
class wxListEvent;
class wxNotebook;
class wxPanel;
class wxStaticText;
class wxTextCtrl;
class wxBoxSizer;

class CorvalaFrame : public wxFrame, public ContactObserver, public TagObserver, public HistoryObserver
{
public:
    CorvalaFrame(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~CorvalaFrame() override;

    void OnContactChanged() override;
    void OnTagChanged() override;
    void OnHistoryChanged() override;

    // Detail page.
    void LoadDetailTemplate();
    void LoadDetailTemplate(const wxString& path);
    static wxString DefaultTemplatePath();
    void ShowContactDetail(ContactInfoEx* contact);
    void ShowSelection();
    // Makes the contact the only selected row and the current contact, as a
    // single click on its row does (the business card view uses it).
    void SelectContact(ContactInfoEx* contact);

    // Contact list.
    void RefreshContactList();

    // Search center.
    void RefreshTagList();
    void RunSearch();
    void UpdatePageLabel();
    void ShowConditionRow(bool show);
    static wxString FormatPageLabel(int page, int pageSize, int total);

    // History and statistics.
    void RefreshHistoryList();
    void UpdateHistoryButtons();
    void RefreshStatus();
    void RefreshBirthdays(int month);
    void RefreshTagStatistics();
    void RefreshRecentContacts(int days);
    void ShowStatisticsPane(bool show);
    // The statistics pages are filled after the window is first painted.
    bool StatisticsFilled() const
    {
        return statisticsStep >= STATISTICS_STEPS;
    }

    // Opens the vCard import dialog with these files (dropped ones).
    void ImportVCardFiles(const wxArrayString& paths);
    // Files dropped on the window: imported at once, or once a long read
    // that lets messages through has finished (it still uses the database).
    void ImportDroppedVCards(const wxArrayString& paths);

    Corva* GetModel() const
    {
        return model;
    }
    wxMenu* GetContactMenu()
    {
        return &contactMenu;
    }
    CardCanvas* GetCardCanvas() const
    {
        return cardView;
    }
    const ContactArray& GetSelection() const
    {
        return selection;
    }
    const SearchCondition& GetSearchCondition() const
    {
        return condition;
    }
    const wxString& GetDetailTemplate() const
    {
        return detailTemplate;
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
    int GetBirthdayMonth() const
    {
        return birthdayMonth;
    }

    // Ids, reserved from the toolkit's counter when the frame is built.
    struct Ids
    {
        wxWindowIDRef ID_STATICTEXT2, ID_LISTCTRL_TAGS, ID_STATICTEXT1, ID_PANEL_ALPHABET, ID_STATICTEXT4,
            ID_COMBOBOX_KEYWORD, ID_BUTTON_SEARCH, ID_BUTTON_RESET, ID_STATICLINE5, ID_BUTTON_PLUS, ID_STATICLINE1,
            ID_STATICTEXT3, ID_STATICTEXT5, ID_TEXTCTRL_SELTAG, ID_STATICTEXT6, ID_TEXTCTRL_FIRST_APLPHABET,
            ID_STATICTEXT8, ID_TEXTCTRLCONDITION_KEYWORD, ID_STATICTEXT7, ID_STATICLINE6, ID_STATICTEXT9,
            ID_BUTTON_PREVPAGE, ID_BUTTON_NEXTPAGE, ID_PANEL1;
        wxWindowIDRef ID_LISTCTRL_RESULT, ID_PANEL11, ID_PANEL10, ID_NOTEBOOK_VIEW, ID_PANEL9;
        wxWindowIDRef ID_AUINOTEBOOK_MAIN;
        wxWindowIDRef ID_BUTTON_EDIT, ID_BUTTON_DELETE, ID_STATICLINE2, ID_BUTTON_COPY, ID_PANEL3, ID_BUTTON_NEW_HIS,
            ID_BUTTON_EDIT_HIS, ID_BUTTON_DEL_HIS, ID_STATICLINE3, ID_BUTTON_HIS_COPY, ID_LISTCTRL_CONTACT_HISTORY,
            ID_PANEL7;
        wxWindowIDRef ID_AUINOTEBOOK_DETAIL;
        wxWindowIDRef ID_BUTTON_REFRESH, ID_LISTCTRL_STATUS, ID_PANEL2, ID_BUTTON_LAST_MONTH, ID_BUTTON_NEXT_MONTH,
            ID_STATICLINE4, ID_BUTTON_CUR_MONTH, ID_LISTCTRL_REMINDER, ID_PANEL6, ID_BUTTON_TAG_REFRESH,
            ID_LISTCTRL_TAGSTAT, ID_PANEL5, ID_BUTTON_WEEK, ID_BUTTON_ONE_MONTH, ID_BUTTON_SIX_MONTH,
            ID_LISTCTRL_RECNENT, ID_PANEL8;
        wxWindowIDRef ID_AUINOTEBOOK_STAT;
        wxWindowIDRef ID_TOOL_NEW, ID_TOOL_EDIT, ID_TOOL_DELETE, ID_TOOL_TAG, ID_TOOL_IMPORT, ID_TOOL_SETTING,
            ID_TOOL_UPDATE, ID_TOOL_ABOUT, ID_AUITOOLBAR;
        wxWindowIDRef ID_MENU_QUIT, ID_MENU_NEW, ID_MENU_EDIT, ID_MENU_DELETE, ID_MENU_COPY, ID_MENU_TAG,
            ID_MENU_PERSONAL_INFO, ID_MENU_STAT_INFO, ID_MENU_SETTING, ID_MENU_UI_LANGUAGE, ID_MENU_IMPORT,
            ID_MENU_UPDATE, ID_MENU_ABOUT;
        wxWindowIDRef ID_STATUSBAR;
        wxWindowIDRef ID_POPUP_EDIT, ID_POPUP_DELETE, ID_POPUP_COPY;
        wxWindowIDRef ID_HTMLWINDOW;

        Ids();
    };
    const Ids& GetIds() const
    {
        return ids;
    }

private:
    // Construction, one piece per pane.
    void CreateIds();
    wxPanel* BuildSearchCenter(wxWindow* parent);
    void BuildCentrePane();
    void BuildDetailPane();
    wxPanel* BuildDetailPage(wxWindow* parent);
    wxPanel* BuildHistoryPage(wxWindow* parent);
    void BuildStatisticsPane();
    void BuildToolbar();
    void BuildMenuBar();
    void BuildStatusBar();
    void BuildContactMenu();
    void ConnectEvents();
    void ConnectSearchEvents();
    void ConnectContactEvents();
    void ConnectHistoryEvents();
    void ConnectStatisticsEvents();
    void RestoreWindowState();
    void SaveWindowState();
    void InsertListColumns();
    void InsertHistoryColumns();
    void InsertStatisticsColumns();

    // Search center.
    void StartSearch();
    // Moves the page back into 1..number of pages after the total changed;
    // true when it searched again.
    bool KeepPageInRange();
    void WritePageLabel(int page);
    void OnTagSelected(wxListEvent& event);
    void OnAlphabetPaint(wxPaintEvent& event);
    void OnAlphabetLeftUp(wxMouseEvent& event);
    void OnButtonSearchClick(wxCommandEvent& event);
    void OnButtonResetClick(wxCommandEvent& event);
    void OnButtonPlusClick(wxCommandEvent& event);
    void OnButtonPrevPageClick(wxCommandEvent& event);
    void OnButtonNextPageClick(wxCommandEvent& event);

    // Contact list and commands.
    void OnListItemSelected(wxListEvent& event);
    void OnListItemDeselected(wxListEvent& event);
    void OnListItemActivated(wxListEvent& event);
    void OnListItemRightClick(wxListEvent& event);
    void OnContactNew(wxCommandEvent& event);
    void OnContactEdit(wxCommandEvent& event);
    void OnContactDelete(wxCommandEvent& event);
    void OnContactCopy(wxCommandEvent& event);
    // The current contact, its detail page and its history, all at once.
    void MakeCurrent(ContactInfoEx* contact);
    // The current contact if it is highlighted, else the highlighted row the
    // user left the focus on, else the first highlighted one, else none.
    ContactInfoEx* HighlightedContact() const;
    long FindContactRow(const ContactInfoEx* contact) const;
    void EnableContactCommands(bool enable);
    // What the commands do with the contact edit dialog.
    void NewContact();
    void EditContact(ContactInfoEx* contact);
    void EditSelectedContacts();
    void CopyContact(ContactInfoEx* contact);

    // History.
    void OnHistoryItemSelected(wxListEvent& event);
    void OnHistoryItemDeselected(wxListEvent& event);
    // The entry of the one highlighted history row; none when zero or
    // several rows are highlighted.
    HistoryInfo* SelectedHistory() const;
    void OnButtonNewHisClick(wxCommandEvent& event);
    void OnButtonEditHisClick(wxCommandEvent& event);
    void OnButtonDelHisClick(wxCommandEvent& event);
    void OnButtonHisCopyClick(wxCommandEvent& event);

    // Statistics.
    void FillStatisticsWhenShown();
    void OnFirstPaint(wxPaintEvent& event);
    void OnStatisticsIdle(wxIdleEvent& event);
    void OnDroppedVCardsIdle(wxIdleEvent& event);
    void OnButtonRefreshClick(wxCommandEvent& event);
    void OnButtonLastMonthClick(wxCommandEvent& event);
    void OnButtonNextMonthClick(wxCommandEvent& event);
    void OnButtonCurMonthClick(wxCommandEvent& event);
    void OnButtonTagRefreshClick(wxCommandEvent& event);

    // Frame commands.
    void OnTagManage(wxCommandEvent& event);
    void OnImport(wxCommandEvent& event);
    void OnImportVCard(wxCommandEvent& event);
    void OnExportVCard(wxCommandEvent& event);
    void OnSetting(wxCommandEvent& event);
    void OnCheckUpdate(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnQuit(wxCommandEvent& event);
    void OnPersonalInfo(wxCommandEvent& event);
    void OnStatisticsInfo(wxCommandEvent& event);
    void OnUiLanguage(wxCommandEvent& event);
    void OnPaneClose(wxAuiManagerEvent& event);
    void OnViewPageChanged(wxBookCtrlEvent& event);

    Ids ids;
    // The vCard commands of the Tools menu; their ids follow all others.
    wxWindowIDRef idMenuImportVCard{wxWindow::NewControlId()};
    wxWindowIDRef idMenuExportVCard{wxWindow::NewControlId()};
    Corva* model = nullptr;
    RelationCanvas* relationCanvas = nullptr;
    // Stands in the business card page until the card view takes its place.
    CardCanvas* cardView = nullptr;
    MyHtmlWin* detailWindow = nullptr;
    wxImageList* imageList = nullptr;
    int birthdayMonth = 0;
    ContactArray selection;
    // Set while the frame changes the list's highlight itself: the list's
    // events would otherwise rebuild the state row by row.
    bool syncingSelection = false;
    SearchCondition condition;
    bool conditionRowVisible = true;
    bool statPanelVisible = true;
    int viewIndex = 0;
    wxAuiManager paneManager;
    wxMenu contactMenu;
    wxMenuItem* personalInfoItem = nullptr;
    wxMenuItem* statisticsItem = nullptr;
    wxString detailTemplate;

    // Search center.
    wxPanel* searchPanel = nullptr;
    wxBoxSizer* upperSizer = nullptr;
    wxListCtrl* tagList = nullptr;
    wxPanel* alphabetPanel = nullptr;
    wxComboBox* keywordCombo = nullptr;
    wxButton* plusButton = nullptr;
    wxTextCtrl* selTagText = nullptr;
    wxTextCtrl* firstAlphabetText = nullptr;
    wxTextCtrl* keywordText = nullptr;
    wxStaticText* pageLabel = nullptr;
    wxNotebook* viewNotebook = nullptr;
    wxListCtrl* resultList = nullptr;
    wxAuiNotebook* mainNotebook = nullptr;

    // Detail and history.
    wxAuiNotebook* detailNotebook = nullptr;
    wxButton* editButton = nullptr;
    wxButton* deleteButton = nullptr;
    wxButton* copyButton = nullptr;
    wxButton* newHisButton = nullptr;
    wxButton* editHisButton = nullptr;
    wxButton* delHisButton = nullptr;
    wxButton* hisCopyButton = nullptr;
    wxListCtrl* historyList = nullptr;

    // Statistics.
    wxAuiNotebook* statNotebook = nullptr;
    wxListCtrl* statusList = nullptr;
    RowListCtrl* reminderList = nullptr;
    RowListCtrl* tagStatList = nullptr;
    RowListCtrl* recentList = nullptr;
    static const int STATISTICS_STEPS = 4;
    bool windowPainted = false;
    int statisticsStep = 0;
    unsigned filledPages = 0;    // one bit per statistics page filled so far
    wxArrayString droppedVCards; // dropped during a long read, not yet opened

    wxAuiToolBar* toolbar = nullptr;
};
