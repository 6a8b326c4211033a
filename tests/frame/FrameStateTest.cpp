#include <wx/aui/aui.h>
#include <wx/button.h>
#include <wx/choicdlg.h>
#include <wx/display.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/notebook.h>

#include "app/CorvalaApp.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/ImportDlg.h"
#include "dialogs/SettingDlg.h"
#include "dialogs/TagMgrDlg.h"
#include "dialogs/WindowSettings.h"
#include "platform/Platform.h"
#include "storage/Database.h"
#include "storage/DatabaseIndexes.h"
#include "tests/frame/FrameFixture.h"

namespace
{
// Collects what the toolkit logs as an error instead of showing it.
class LoggedErrors : public wxLog
{
public:
    LoggedErrors() : previous(wxLog::SetActiveTarget(this)) {}
    ~LoggedErrors() override
    {
        wxLog::SetActiveTarget(previous);
    }
    std::vector<wxString> errors;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override
    {
        if (level == wxLOG_Error)
            errors.push_back(msg);
    }

private:
    wxLog* previous;
};

long Stored(const wxString& key, long missing = -999)
{
    return wxConfigBase::Get()->ReadLong("/CorvaFrame/" + key, missing);
}
} // namespace

TEST_F(FrameTest, FirstStartUsesTheDefaultsAndRemembersNoPosition)
{
    OpenFrame();
    EXPECT_EQ(wxPoint(40, 40), frame->GetPosition());
    EXPECT_EQ(wxSize(960, 600), frame->GetClientSize());
    EXPECT_EQ("-", Child<wxButton>("ID_BUTTON_PLUS")->GetLabel()) << "condition row visible";
    EXPECT_TRUE(Child("ID_LISTCTRL_TAGS")->IsShown());
    EXPECT_TRUE(frame->GetPaneManager().GetPane("StatInfo").IsShown());
    EXPECT_TRUE(frame->GetPaneManager().GetPane("DetailInfo").IsShown());
    EXPECT_EQ(0, Child<wxNotebook>("ID_NOTEBOOK_VIEW")->GetSelection());
    EXPECT_TRUE(frame->GetPersonalInfoItem()->IsChecked()) << "check marks mirror the visible panes";
    EXPECT_TRUE(frame->GetStatisticsItem()->IsChecked());
    EXPECT_EQ("Corvala", frame->GetTitle());
    EXPECT_EQ("wxID_ANY", frame->GetName());

    CloseFrame();
    EXPECT_EQ(0, Stored("nRemSizePos"));
    EXPECT_EQ(-999, Stored("x")) << "position not written when not remembered";
    EXPECT_EQ(-999, Stored("w"));
    EXPECT_EQ(1, Stored("bSizerVisible"));
    EXPECT_EQ(1, Stored("bStatPanelVisible"));
    EXPECT_EQ(0, Stored("nViewIdx"));
}

TEST_F(FrameTest, StoredStateIsRestoredAndWrittenBack)
{
    wxConfigBase* config = wxConfigBase::Get();
    config->Write("/CorvaFrame/nRemSizePos", 1L);
    config->Write("/CorvaFrame/x", 120L);
    config->Write("/CorvaFrame/y", 90L);
    config->Write("/CorvaFrame/w", 820L);
    config->Write("/CorvaFrame/h", 520L);
    config->Write("/CorvaFrame/bSizerVisible", 0L);
    config->Write("/CorvaFrame/bStatPanelVisible", 2L);
    config->Write("/CorvaFrame/nViewIdx", 1L);

    OpenFrame();
    EXPECT_EQ(1, g_rememberSizePos);
    EXPECT_EQ(wxPoint(120, 90), frame->GetPosition());
    EXPECT_EQ(wxSize(820, 520), frame->GetClientSize());
    EXPECT_EQ("+", Child<wxButton>("ID_BUTTON_PLUS")->GetLabel());
    EXPECT_FALSE(Child("ID_LISTCTRL_TAGS")->IsShown()) << "upper section hidden";
    EXPECT_FALSE(frame->GetPaneManager().GetPane("StatInfo").IsShown()) << "any value but 1 hides the pane";
    EXPECT_FALSE(frame->GetStatisticsItem()->IsChecked());
    EXPECT_TRUE(frame->GetPersonalInfoItem()->IsChecked());
    EXPECT_EQ(1, Child<wxNotebook>("ID_NOTEBOOK_VIEW")->GetSelection());

    frame->Move(150, 110);
    frame->SetClientSize(880, 560);
    Click("ID_BUTTON_PLUS");
    EXPECT_EQ("-", Child<wxButton>("ID_BUTTON_PLUS")->GetLabel());
    Child<wxNotebook>("ID_NOTEBOOK_VIEW")->ChangeSelection(0);
    wxBookCtrlEvent changed(wxEVT_NOTEBOOK_PAGE_CHANGED, Child("ID_NOTEBOOK_VIEW")->GetId(), 0, 1);
    changed.SetEventObject(Child("ID_NOTEBOOK_VIEW"));
    Child("ID_NOTEBOOK_VIEW")->GetEventHandler()->ProcessEvent(changed);
    CloseFrame();

    EXPECT_EQ(1, Stored("nRemSizePos"));
    EXPECT_EQ(150, Stored("x"));
    EXPECT_EQ(110, Stored("y"));
    EXPECT_EQ(880, Stored("w"));
    EXPECT_EQ(560, Stored("h"));
    EXPECT_EQ(1, Stored("bSizerVisible"));
    EXPECT_EQ(0, Stored("bStatPanelVisible"));
    EXPECT_EQ(0, Stored("nViewIdx"));
}

TEST_F(FrameTest, PositionOnNoDisplayFallsBackToTheDefault)
{
    wxConfigBase* config = wxConfigBase::Get();
    config->Write("/CorvaFrame/nRemSizePos", 1L);
    config->Write("/CorvaFrame/x", 9000L);
    config->Write("/CorvaFrame/y", -7000L);
    config->Write("/CorvaFrame/w", 800L);
    config->Write("/CorvaFrame/h", 500L);
    config->Write("/CorvaFrame/nViewIdx", 7L);
    OpenFrame();
    EXPECT_EQ(wxPoint(40, 40), frame->GetPosition());
    EXPECT_EQ(wxSize(800, 500), frame->GetClientSize()) << "the size is kept";
    EXPECT_EQ(0, Child<wxNotebook>("ID_NOTEBOOK_VIEW")->GetSelection()) << "no page 7: the list";
    CloseFrame();
    EXPECT_EQ(0, Stored("nViewIdx"));
}

TEST_F(FrameTest, StoredGeometryIsFittedToTheDisplay)
{
    // Numbers no display has: one overflowed an addition, one became a
    // 32767 x 32767 window that was saved back.
    const wxRect area = wxDisplay(0u).GetClientArea();
    wxConfigBase* config = wxConfigBase::Get();
    config->Write("/CorvaFrame/nRemSizePos", 1L);
    config->Write("/CorvaFrame/x", 100L);
    config->Write("/CorvaFrame/y", 2147483647L);
    config->Write("/CorvaFrame/w", 1000000L);
    config->Write("/CorvaFrame/h", 1000000L);
    OpenFrame();
    EXPECT_TRUE(area.Contains(frame->GetRect())) << "the whole window is on the display";
    CloseFrame();
    EXPECT_LE(Stored("w"), area.width);
    EXPECT_LE(Stored("h"), area.height);

    // A window that hangs off the edge is brought onto the display.
    config->Write("/CorvaFrame/x", static_cast<long>(area.GetRight() - 100));
    config->Write("/CorvaFrame/y", -2147483647L - 1);
    config->Write("/CorvaFrame/w", 820L);
    config->Write("/CorvaFrame/h", 540L);
    OpenFrame();
    EXPECT_TRUE(area.Contains(frame->GetRect()));
    EXPECT_EQ(wxSize(820, 540), frame->GetClientSize()) << "a size that fits is kept";
}

TEST_F(FrameTest, AnUnwritableSettingsFileIsToldOnceAtExit)
{
    // A settings file in a folder that does not exist cannot be written.
    delete wxConfigBase::Set(Platform::CreateConfiguration(dir.Path() + "/gone/settings.conf"));
    LoggedErrors logged;
    OpenFrame();
    wxConfigBase::Get()->Write("/CorvaFrame/nRemSizePos", 1L);
    CloseFrame(); // saves the window state and flushes it
    ProcessPending();
    wxString text;
    wxTEST_DIALOG(CorvalaApp::SaveConfiguration(), MessageAnswer(wxID_OK, &text));
    EXPECT_NE(wxNOT_FOUND, text.Find("could not be saved")) << text;
    EXPECT_EQ(nullptr, wxConfigBase::Get(false)) << "the store is gone before the toolkit's own exit";
    EXPECT_TRUE(logged.errors.empty()) << "nothing left in the log to show after the program is gone: "
                                       << (logged.errors.empty() ? "" : logged.errors[0].utf8_string());
}

TEST_F(FrameTest, StartUpLooksAtTheDatabaseFileOnce)
{
    const wxString path = Database::Path();
    bool ok = true;
    wxString text;

    // No file: No ends the program and leaves nothing behind.
    ASSERT_TRUE(wxRemoveFile(path));
    wxTEST_DIALOG(ok = CorvalaApp::CheckDatabase(), MessageAnswer(wxID_NO, &text));
    EXPECT_FALSE(ok);
    EXPECT_NE(wxNOT_FOUND, text.Find(path)) << text;
    EXPECT_FALSE(wxFileExists(path)) << "no empty file is left behind";

    // A zero-byte file: No leaves it as it was; Yes makes it an empty
    // address book with the database tool's tables and indexes.
    wxFFile(path, "w").Close();
    wxTEST_DIALOG(ok = CorvalaApp::CheckDatabase(), MessageAnswer(wxID_NO, &text));
    EXPECT_FALSE(ok);
    EXPECT_EQ(0, wxFileName::GetSize(path));
    wxTEST_DIALOG(ok = CorvalaApp::CheckDatabase(), MessageAnswer(wxID_YES, &text));
    EXPECT_TRUE(ok);
    EXPECT_EQ(4, dir.ScalarInt("select count(*) from sqlite_master where type = 'table' and name in "
                               "('contacts', 'contact_tag', 'mst_tags', 'contact_history');"));
    EXPECT_EQ(static_cast<int>(DatabaseIndexes().size()),
              dir.ScalarInt("select count(*) from sqlite_master where type = 'index' and name like 'idx_%';"));
    OpenFrame();
    EXPECT_TRUE(errors.messages.empty()) << "the new address book opens without an error";
    CloseFrame();

    // Missing tables are named in one message; the program does not start.
    dir.Exec("drop table mst_tags; drop table contact_history;");
    wxTEST_DIALOG(ok = CorvalaApp::CheckDatabase(), MessageAnswer(wxID_OK, &text));
    EXPECT_FALSE(ok);
    EXPECT_NE(wxNOT_FOUND, text.Find("mst_tags, contact_history")) << text;

    // Not a database at all.
    wxFFile(path, "w").Write(wxString("just some text, not an address book"));
    wxTEST_DIALOG(ok = CorvalaApp::CheckDatabase(), MessageAnswer(wxID_OK, &text));
    EXPECT_FALSE(ok);
    EXPECT_NE(wxNOT_FOUND, text.Find("file is not a database")) << text;
    EXPECT_TRUE(errors.messages.empty()) << "none of this goes through the statement reports";
}

TEST_F(FrameTest, ViewMenuAndPaneCloseKeepTheCheckMarksInStep)
{
    OpenFrame();
    wxAuiManager& panes = frame->GetPaneManager();
    const CorvalaFrame::Ids& ids = frame->GetIds();

    frame->GetStatisticsItem()->Check(false);
    wxCommandEvent uncheck(wxEVT_MENU, ids.ID_MENU_STAT_INFO);
    uncheck.SetInt(0);
    frame->GetEventHandler()->ProcessEvent(uncheck);
    EXPECT_FALSE(panes.GetPane("StatInfo").IsShown());

    wxCommandEvent check(wxEVT_MENU, ids.ID_MENU_STAT_INFO);
    check.SetInt(1);
    frame->GetEventHandler()->ProcessEvent(check);
    EXPECT_TRUE(panes.GetPane("StatInfo").IsShown());

    wxCommandEvent hideDetail(wxEVT_MENU, ids.ID_MENU_PERSONAL_INFO);
    hideDetail.SetInt(0);
    frame->GetEventHandler()->ProcessEvent(hideDetail);
    EXPECT_FALSE(panes.GetPane("DetailInfo").IsShown());

    // Closing a pane with its close button: the pin button tells the
    // statistics pane apart.
    wxAuiManagerEvent closeStat(wxEVT_AUI_PANE_CLOSE);
    closeStat.SetPane(&panes.GetPane("StatInfo"));
    frame->GetEventHandler()->ProcessEvent(closeStat);
    EXPECT_FALSE(frame->GetStatisticsItem()->IsChecked());
    EXPECT_TRUE(frame->GetPersonalInfoItem()->IsChecked()) << "the other item is left alone";

    frame->GetPersonalInfoItem()->Check(true);
    wxAuiManagerEvent closeDetail(wxEVT_AUI_PANE_CLOSE);
    closeDetail.SetPane(&panes.GetPane("DetailInfo"));
    frame->GetEventHandler()->ProcessEvent(closeDetail);
    EXPECT_FALSE(frame->GetPersonalInfoItem()->IsChecked());

    CloseFrame();
    EXPECT_EQ(0, Stored("bStatPanelVisible")) << "closing the statistics pane is remembered";
}

TEST_F(FrameTest, EveryNamedControlExists)
{
    OpenFrame();
    for (const char* name : {"ID_PANEL1",
                             "ID_STATICTEXT2",
                             "ID_LISTCTRL_TAGS",
                             "ID_STATICTEXT1",
                             "ID_PANEL_ALPHABET",
                             "ID_STATICTEXT4",
                             "ID_COMBOBOX_KEYWORD",
                             "ID_BUTTON_SEARCH",
                             "ID_BUTTON_RESET",
                             "ID_STATICLINE5",
                             "ID_BUTTON_PLUS",
                             "ID_STATICLINE1",
                             "ID_STATICTEXT3",
                             "ID_STATICTEXT5",
                             "ID_TEXTCTRL_SELTAG",
                             "ID_STATICTEXT6",
                             "ID_TEXTCTRL_FIRST_APLPHABET",
                             "ID_STATICTEXT8",
                             "ID_TEXTCTRLCONDITION_KEYWORD",
                             "ID_STATICTEXT7",
                             "ID_STATICLINE6",
                             "ID_STATICTEXT9",
                             "ID_BUTTON_PREVPAGE",
                             "ID_BUTTON_NEXTPAGE",
                             "ID_NOTEBOOK_VIEW",
                             "ID_PANEL11",
                             "ID_LISTCTRL_RESULT",
                             "ID_PANEL10",
                             "ID_PANEL9",
                             "ID_PANEL3",
                             "ID_BUTTON_EDIT",
                             "ID_BUTTON_DELETE",
                             "ID_STATICLINE2",
                             "ID_BUTTON_COPY",
                             "htmlWindow",
                             "ID_PANEL7",
                             "ID_BUTTON_NEW_HIS",
                             "ID_BUTTON_EDIT_HIS",
                             "ID_BUTTON_DEL_HIS",
                             "ID_STATICLINE3",
                             "ID_BUTTON_HIS_COPY",
                             "ID_LISTCTRL_CONTACT_HISTORY",
                             "ID_PANEL2",
                             "ID_BUTTON_REFRESH",
                             "ID_LISTCTRL_STATUS",
                             "ID_PANEL6",
                             "ID_BUTTON_LAST_MONTH",
                             "ID_BUTTON_NEXT_MONTH",
                             "ID_STATICLINE4",
                             "ID_BUTTON_CUR_MONTH",
                             "ID_LISTCTRL_REMINDER",
                             "ID_PANEL5",
                             "ID_BUTTON_TAG_REFRESH",
                             "ID_LISTCTRL_TAGSTAT",
                             "ID_PANEL8",
                             "ID_BUTTON_WEEK",
                             "ID_BUTTON_ONE_MONTH",
                             "ID_BUTTON_SIX_MONTH",
                             "ID_LISTCTRL_RECNENT",
                             "ID_STATUSBAR"})
        EXPECT_TRUE(FindChild(frame, name)) << name;

    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_TRUE(bar);
    const CorvalaFrame::Ids& ids = frame->GetIds();
    EXPECT_EQ("&Edit...\tF2", bar->FindItem(ids.ID_MENU_EDIT)->GetItemLabel());
    EXPECT_EQ("&Delete\tDEL", bar->FindItem(ids.ID_MENU_DELETE)->GetItemLabel());
    EXPECT_EQ("&Copy...\tCtrl+Alt+C", bar->FindItem(ids.ID_MENU_COPY)->GetItemLabel());
    EXPECT_EQ("&About...\tF1", bar->FindItem(ids.ID_MENU_ABOUT)->GetItemLabel());
    EXPECT_EQ(wxITEM_CHECK, bar->FindItem(ids.ID_MENU_PERSONAL_INFO)->GetKind());
    EXPECT_EQ(3u, frame->GetContactMenu()->GetMenuItemCount());
    EXPECT_EQ(2, frame->GetStatusBar()->GetFieldsCount());
}

TEST_F(FrameTest, ObserversAreRegisteredShapesFirst)
{
    OpenFrame();
    Corva* model = frame->GetModel();
    EXPECT_EQ(model, Corva::GetInstance()) << "one model root";
    ASSERT_EQ(2u, model->contactManager.observers.GetCount());
    EXPECT_EQ(static_cast<ContactObserver*>(&model->shapeManager), model->contactManager.observers[0]);
    EXPECT_EQ(static_cast<ContactObserver*>(frame), model->contactManager.observers[1]);
}

TEST_F(FrameTest, CommandsOpenTheirDialogs)
{
    OpenFrame();
    const CorvalaFrame::Ids& ids = frame->GetIds();
    wxTEST_DIALOG(Menu(ids.ID_TOOL_TAG), wxExpectDismissableModal<TagMgrDlg>(wxID_CANCEL));
    wxTEST_DIALOG(Menu(ids.ID_MENU_TAG), wxExpectDismissableModal<TagMgrDlg>(wxID_CANCEL));
    wxTEST_DIALOG(Menu(ids.ID_TOOL_SETTING), wxExpectDismissableModal<SettingDlg>(wxID_CANCEL));
    wxTEST_DIALOG(Menu(ids.ID_MENU_SETTING), wxExpectDismissableModal<SettingDlg>(wxID_CANCEL));
    wxTEST_DIALOG(Menu(ids.ID_TOOL_ABOUT), wxExpectDismissableModal<AboutDlg>(wxID_CANCEL));
    wxTEST_DIALOG(Menu(ids.ID_MENU_ABOUT), wxExpectDismissableModal<AboutDlg>(wxID_CANCEL));
    wxTEST_DIALOG(Menu(ids.ID_TOOL_IMPORT), wxExpectDismissableModal<ImportDlg>(wxID_CANCEL));
    wxTEST_DIALOG(Menu(ids.ID_MENU_IMPORT), wxExpectDismissableModal<ImportDlg>(wxID_CANCEL));
    // The language chooser, cancelled: no restart message.
    wxTEST_DIALOG(Menu(ids.ID_MENU_UI_LANGUAGE), wxExpectDismissableModal<wxSingleChoiceDialog>(wxID_CANCEL));
}
