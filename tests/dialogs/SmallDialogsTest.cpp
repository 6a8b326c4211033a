#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/versioninfo.h>

#include "dialogs/AboutDlg.h"
#include "dialogs/AccountsDlg.h"
#include "dialogs/DatePicker.h"
#include "dialogs/DeletedContactsDlg.h"
#include "dialogs/DialogCommon.h"
#include "dialogs/HisDetailDlg.h"
#include "dialogs/ProgramInfo.h"
#include "dialogs/SettingDlg.h"
#include "dialogs/WindowSettings.h"
#include "dialogs/wxHyperLink.h"
#include "platform/Autostart.h"
#include "storage/Adapter.h"
#include "storage/ContactManager.h"
#include "storage/HistoryInfo.h"
#include "tests/dialogs/DialogTestUtil.h"

namespace
{
class SettingDlgTest : public CorvalaGuiTest
{
protected:
    // The autostart entry goes to a folder of the test's own.
    SettingDlgTest()
    {
        wxGetEnv("XDG_CONFIG_HOME", &oldConfig);
        wxSetEnv("XDG_CONFIG_HOME", dir.Path() + "/config");
    }
    ~SettingDlgTest() override
    {
        g_rememberSizePos = 1;
        if (oldConfig.empty())
            wxUnsetEnv("XDG_CONFIG_HOME");
        else
            wxSetEnv("XDG_CONFIG_HOME", oldConfig);
        wxUnsetEnv("CORVALA_LAUNCHER");
    }

    wxString oldConfig;

    static wxCheckBox* Box(wxWindow* dlg, const char* name)
    {
        return FindChild<wxCheckBox>(dlg, name);
    }

    static void Toggle(wxCheckBox* box)
    {
        box->SetValue(!box->GetValue());
        wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
        event.SetEventObject(box);
        event.SetInt(box->GetValue() ? 1 : 0);
        box->GetEventHandler()->ProcessEvent(event);
    }
};
} // namespace

TEST_F(SettingDlgTest, ShowsTheFlagAndStoresItOnlyOnOk)
{
    g_rememberSizePos = 0;
    {
        SettingDlg dlg(nullptr);
        EXPECT_EQ(dlg.GetTitle(), "Setting dialog");
        ASSERT_NE(FindChild<wxNotebook>(&dlg, "ID_NOTEBOOK1"), nullptr);
        EXPECT_EQ(FindChild<wxNotebook>(&dlg, "ID_NOTEBOOK1")->GetPageText(0), "General");
        int rc = RunModal(dlg,
                          [&]()
                          {
                              EXPECT_FALSE(Box(&dlg, "ID_CHECKBOX_SIZE_POS")->GetValue()) << "flag 0 shows unticked";
                              EXPECT_FALSE(Box(&dlg, "ID_CHECKBOX_AUTORUN")->GetValue());
                              EXPECT_EQ(FindChild<wxSpinCtrl>(&dlg, "ID_SPINCTRL_SYNC_MINUTES")->GetValue(), 15);
                              Click(&dlg, "wxID_OK");
                          });
        EXPECT_EQ(rc, wxID_OK);
        EXPECT_EQ(g_rememberSizePos, 0) << "OK without touching anything keeps 0";
    }
    {
        SettingDlg dlg(nullptr);
        int rc = RunModal(dlg,
                          [&]()
                          {
                              Toggle(Box(&dlg, "ID_CHECKBOX_SIZE_POS"));
                              FindChild<wxSpinCtrl>(&dlg, "ID_SPINCTRL_SYNC_MINUTES")->SetValue(0);
                              Click(&dlg, "wxID_CANCEL");
                          });
        EXPECT_EQ(rc, wxID_CANCEL);
        EXPECT_EQ(g_rememberSizePos, 0) << "Cancel after a click leaves the flag";
        EXPECT_EQ(SettingDlg::SyncMinutes(), 15) << "and the sync interval";
    }
    {
        SettingDlg dlg(nullptr);
        RunModal(dlg,
                 [&]()
                 {
                     Toggle(Box(&dlg, "ID_CHECKBOX_AUTORUN"));
                     Toggle(Box(&dlg, "ID_CHECKBOX_SIZE_POS"));
                     FindChild<wxSpinCtrl>(&dlg, "ID_SPINCTRL_SYNC_MINUTES")->SetValue(0);
                     Click(&dlg, "wxID_OK");
                 });
        EXPECT_EQ(g_rememberSizePos, 1) << "ticking the box and OK stores 1";
        EXPECT_EQ(SettingDlg::SyncMinutes(), 0) << "0 turns the timed syncs off";
        EXPECT_TRUE(Autostart::IsEnabled()) << "the autostart entry is written";
        EXPECT_EQ(Autostart::EntryPath(), dir.Path() + "/config/autostart/example.marrowind.Corvala.desktop");
    }
    {
        SettingDlg dlg(nullptr);
        RunModal(dlg,
                 [&]()
                 {
                     EXPECT_TRUE(Box(&dlg, "ID_CHECKBOX_SIZE_POS")->GetValue()) << "flag 1 shows ticked";
                     EXPECT_TRUE(Box(&dlg, "ID_CHECKBOX_AUTORUN")->GetValue()) << "the box shows the entry";
                     Toggle(Box(&dlg, "ID_CHECKBOX_AUTORUN"));
                     Toggle(Box(&dlg, "ID_CHECKBOX_SIZE_POS"));
                     Toggle(Box(&dlg, "ID_CHECKBOX_SIZE_POS"));
                     Toggle(Box(&dlg, "ID_CHECKBOX_SIZE_POS"));
                     Click(&dlg, "wxID_OK");
                 });
        EXPECT_EQ(g_rememberSizePos, 0) << "OK stores what the box shows after several clicks";
        EXPECT_FALSE(wxFileName::Exists(Autostart::EntryPath())) << "unticked and OK removes the entry";
    }
    g_rememberSizePos = 5;
    {
        SettingDlg dlg(nullptr);
        RunModal(dlg,
                 [&]()
                 {
                     EXPECT_TRUE(Box(&dlg, "ID_CHECKBOX_SIZE_POS")->GetValue()) << "any nonzero value shows ticked";
                     Click(&dlg, "wxID_OK");
                 });
        EXPECT_EQ(g_rememberSizePos, 1);
    }
}

TEST_F(SettingDlgTest, TheAutostartEntryStartsTheLauncherOnThisBookOrSaysWhyNot)
{
    // The launcher's path and the book's folder may hold any character.
    const wxString folder = dir.Path() + "/My \"Books\" $HOME 100%";
    ASSERT_TRUE(wxFileName::Mkdir(folder + "/bin", 0700, wxPATH_MKDIR_FULL));
    const wxString launcher = folder + "/bin/corvala";
    wxFFile(launcher, "w").Write("#!/bin/sh\n");
    wxSetEnv("CORVALA_LAUNCHER", launcher);
    const wxString oldCwd = wxGetCwd();
    wxSetWorkingDirectory(folder);
    wxString error;
    EXPECT_TRUE(Autostart::Enable(error)) << error;
    wxSetWorkingDirectory(oldCwd);
    wxString text;
    wxFFile(Autostart::EntryPath()).ReadAll(&text);
    // Quoted for the Exec line, then backslashes doubled for the key's value.
    const wxString escaped = dir.Path() + "/My \\\\\"Books\\\\\" \\\\$HOME 100%%";
    EXPECT_NE(text.Find("\nExec=env \"CORVALA_HOME=" + escaped + "\" \"" + escaped + "/bin/corvala\"\n"), wxNOT_FOUND)
        << text;

    // A config folder that cannot hold the autostart folder: the dialog says
    // so and stays open.
    ASSERT_TRUE(Autostart::Disable(error));
    wxSetEnv("XDG_CONFIG_HOME", launcher);
    SettingDlg dlg(nullptr);
    wxString message;
    bool stayedOpen = false;
    const int rc = RunModal(dlg,
                            [&]()
                            {
                                Toggle(Box(&dlg, "ID_CHECKBOX_AUTORUN"));
                                wxTEST_DIALOG(Click(&dlg, "wxID_OK"), ExpectMessage(wxOK, &message));
                                stayedOpen = dlg.IsModal();
                                Click(&dlg, "wxID_CANCEL");
                            });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_NE(message.Find(launcher + "/autostart"), wxNOT_FOUND) << message;
}

TEST_F(CorvalaGuiTest, AboutBoxShowsVersionToolkitAndLinks)
{
    AboutDlg dlg(nullptr);
    EXPECT_EQ(dlg.GetTitle(), "About...");
    EXPECT_EQ(dlg.GetName(), "id");
    wxStaticText* name = FindChild<wxStaticText>(&dlg, "ID_STATICTEXT1");
    wxStaticText* version = FindChild<wxStaticText>(&dlg, "ID_STATICTEXT2");
    wxStaticText* toolkit = FindChild<wxStaticText>(&dlg, "ID_STATICTEXT5");
    ASSERT_TRUE(name && version && toolkit);
    EXPECT_EQ(name->GetLabel(), "Corvala");
    EXPECT_EQ(version->GetLabel(), "Version 3.4.45.0 Release (Build: 2010/01/22)");

    // Built from the library actually running, in the long form.
    wxVersionInfo running = wxGetLibraryVersionInfo();
    wxString expected = wxString::Format("wxWidgets %d.%d", running.GetMajor(), running.GetMinor());
    if (running.GetMicro())
        expected << "." << running.GetMicro();
    expected << "-GTK-Unicode build";
    EXPECT_EQ(toolkit->GetLabel(), expected);
    EXPECT_EQ(ProgramInfo::GetToolkitInfo(false), expected.BeforeFirst('-'));

    for (const char* text : {"ID_STATICTEXT3", "ID_STATICTEXT4", "ID_STATICTEXT6"})
    {
        ASSERT_NE(FindChild<wxStaticText>(&dlg, text), nullptr) << text;
        EXPECT_FALSE(FindChild<wxStaticText>(&dlg, text)->GetLabel().empty()) << text;
    }
    for (const char* picture : {"ID_STATICBITMAP1", "ID_STATICBITMAP2"})
        EXPECT_NE(FindChild<wxStaticBitmap>(&dlg, picture), nullptr) << picture;

    wxHyperLink* link = FindChild<wxHyperLink>(&dlg, "wxHyperLink");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->GetURL().StartsWith("http://")) << "the link must be one the control opens: " << link->GetURL();
    EXPECT_NE(link->GetURL().Find(".example"), wxNOT_FOUND);

    // The download button opens the download page in a new browser window.
    std::vector<wxString> urls;
    std::vector<int> flags;
    wxHyperLink::Launcher fake;
    fake.browse = [&](const wxString& url, int f)
    {
        urls.push_back(url);
        flags.push_back(f);
    };
    fake.execute = [&](const wxString& command) { urls.push_back("exec " + command); };
    wxHyperLink::Launcher previous = wxHyperLink::SetLauncher(fake);
    Click(&dlg, "ID_BITMAPBUTTON1");
    wxHyperLink::SetLauncher(previous);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], ProgramInfo::DOWNLOAD_URL);
    EXPECT_EQ(flags[0], wxBROWSER_NEW_WINDOW);

    EXPECT_EQ(RunModal(dlg, [&]() { Click(&dlg, "wxID_OK"); }), wxID_OK);
}

TEST_F(CorvalaTest, DialogsOpenWithoutTheirPictures)
{
    // No img/ in this working directory: every dialog must still open.
    {
        AboutDlg dlg(nullptr);
        EXPECT_EQ(RunModal(dlg, [&]() { Click(&dlg, "wxID_OK"); }), wxID_OK);
    }
    {
        HistoryInfo info;
        HisDetailDlg dlg(nullptr, HIS_MODE_NEW);
        dlg.SetHistoryInfo(&info);
        EXPECT_EQ(RunModal(dlg, [&]() { Click(&dlg, "wxID_CANCEL"); }), wxID_CANCEL);
    }
}

TEST_F(CorvalaGuiTest, StatusTextsWrapWithinTheirWidthInEveryScript)
{
    wxDialog dlg(nullptr, wxID_ANY, "wrap");
    wxStaticText* label = new wxStaticText(&dlg, wxID_ANY, wxString());
    const int width = 200;
    const wxString closing = wxString::FromUTF8("、。，：）」ッ");
    const wxString opening = wxString::FromUTF8("（「");
    for (const char* utf8 :
         {"Imported 3 contacts from phone.vcf. Skipped 4 cards: 3 match existing contacts, 1 has no "
          "name & no e-mail.",
          "已从 cards.vcf 导入 0 个联系人。跳过了 4 张 vCard：3 张与现有联系人重复，1 张没有姓名。",
          "cards.vcf から 0 件の連絡先をインポートしました。4 件の vCard をスキップしました：既存の連"
          "絡先と一致 3 件、名前なし 1 件。タグ「友人」を作成しました。"})
    {
        const wxString text = wxString::FromUTF8(utf8);
        const wxString wrapped = WrapText(label, text, width);
        const wxArrayString lines = wxSplit(wrapped, '\n', '\0');
        EXPECT_GE(lines.size(), 3u) << utf8;
        wxString joined;
        for (const wxString& line : lines)
        {
            EXPECT_LE(label->GetTextExtent(line).x, width) << line.utf8_string();
            EXPECT_EQ(closing.Find(line[0]), wxNOT_FOUND)
                << "a line begins with a closing mark: " << line.utf8_string();
            EXPECT_EQ(opening.Find(line.Last()), wxNOT_FOUND)
                << "a line ends in an opening mark: " << line.utf8_string();
            // A line ends at a blank or between two characters of the text.
            const wxString rest = text.Mid(joined.length());
            EXPECT_TRUE(rest.StartsWith(line)) << line.utf8_string();
            joined += line;
            if (text.Mid(joined.length()).StartsWith(" "))
                joined += " ";
        }
        EXPECT_EQ(joined, text) << "nothing lost or added";

        // The label grows to hold the lines, and says so once.
        label->SetMinSize(wxSize(width, label->GetCharHeight()));
        EXPECT_TRUE(ShowWrapped(label, text, width));
        EXPECT_EQ(label->GetLabelText(), wrapped) << "shown as it is, not as mnemonics";
        EXPECT_GE(label->GetMinSize().y, static_cast<int>(lines.size()) * label->GetCharHeight());
        EXPECT_FALSE(ShowWrapped(label, text, width));
    }
    // A word wider than the line keeps a line of its own.
    const wxString longWord(wxUniChar('W'), 60);
    EXPECT_EQ(WrapText(label, "a " + longWord + " b", width), "a\n" + longWord + "\nb");
}

namespace
{
class HisDetailDlgTest : public CorvalaGuiTest
{
protected:
    static wxTextCtrl* Text(wxWindow* dlg, const char* name)
    {
        return FindChild<wxTextCtrl>(dlg, name);
    }
    static DatePicker* Picker(wxWindow* dlg)
    {
        return FindChild<DatePicker>(dlg, "ID_DATEPICKERCTRL_TIME");
    }
};
} // namespace

TEST_F(HisDetailDlgTest, NewEntryStartsTodayWithEmptyComment)
{
    HistoryInfo info;
    info.id = -1;
    info.contact_id = 7;
    info.contact_name = "Smith Anna";
    info.his_time = wxDateTime::Now();
    info.comment = "must not be shown";
    info.his_type = 3;
    const wxDateTime before = info.his_time;

    HisDetailDlg dlg(nullptr, HIS_MODE_NEW);
    dlg.SetHistoryInfo(&info);
    EXPECT_EQ(dlg.GetTitle(), "History detail dialog");
    int rc = RunModal(dlg,
                      [&]()
                      {
                          EXPECT_EQ(Text(&dlg, "ID_TEXTCTRL_CONT_NAME")->GetValue(), "Smith Anna");
                          EXPECT_FALSE(Text(&dlg, "ID_TEXTCTRL_CONT_NAME")->IsEditable());
                          EXPECT_TRUE(Text(&dlg, "ID_TEXTCTRL_COMMENT")->GetValue().empty());
                          EXPECT_TRUE(Picker(&dlg)->GetDate().IsSameDate(wxDateTime::Today()));
                          Click(&dlg, "wxID_OK");
                      });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_TRUE(info.his_time.IsSameDate(wxDateTime::Today()));
    EXPECT_EQ(info.his_time.GetHour(), before.GetHour()) << "the time of day is kept";
    EXPECT_EQ(info.his_time.GetMinute(), before.GetMinute());
    EXPECT_TRUE(info.comment.empty()) << "an empty comment is accepted";
    EXPECT_EQ(info.id, -1);
    EXPECT_EQ(info.contact_id, 7);
    EXPECT_EQ(info.contact_name, "Smith Anna");
    EXPECT_EQ(info.his_type, 3);
}

TEST_F(HisDetailDlgTest, EditShowsTheEntryAndWritesOnlyOnOk)
{
    HistoryInfo info;
    info.id = 12;
    info.contact_id = 3;
    info.contact_name = "Brown Tom";
    info.his_time = wxDateTime(14, wxDateTime::Mar, 2009, 16, 30, 5);
    info.comment = "Lunch";
    info.his_type = 1;

    {
        HisDetailDlg dlg(nullptr, HIS_MODE_EDIT);
        dlg.SetHistoryInfo(&info);
        int rc = RunModal(dlg,
                          [&]()
                          {
                              EXPECT_EQ(Text(&dlg, "ID_TEXTCTRL_CONT_NAME")->GetValue(), "Brown Tom");
                              EXPECT_EQ(Text(&dlg, "ID_TEXTCTRL_COMMENT")->GetValue(), "Lunch");
                              EXPECT_TRUE(Picker(&dlg)->GetDate().IsSameDate(info.his_time));
                              Text(&dlg, "ID_TEXTCTRL_COMMENT")->SetValue("Dinner");
                              Picker(&dlg)->SetDate(wxDateTime(1, wxDateTime::Apr, 2009));
                              Click(&dlg, "wxID_CANCEL");
                          });
        EXPECT_EQ(rc, wxID_CANCEL);
        EXPECT_EQ(info.comment, "Lunch") << "Cancel leaves the entry unchanged";
        EXPECT_EQ(info.his_time, wxDateTime(14, wxDateTime::Mar, 2009, 16, 30, 5));
    }
    {
        HisDetailDlg dlg(nullptr, HIS_MODE_EDIT);
        dlg.SetHistoryInfo(&info);
        int rc = RunModal(dlg,
                          [&]()
                          {
                              Text(&dlg, "ID_TEXTCTRL_COMMENT")->SetValue("Dinner");
                              Picker(&dlg)->SetDate(wxDateTime(1, wxDateTime::Apr, 2009));
                              Click(&dlg, "wxID_OK");
                          });
        EXPECT_EQ(rc, wxID_OK);
        EXPECT_EQ(info.comment, "Dinner");
        EXPECT_EQ(info.his_time, wxDateTime(1, wxDateTime::Apr, 2009, 16, 30, 5)) << "new date, same time of day";
        EXPECT_EQ(info.id, 12);
        EXPECT_EQ(info.contact_id, 3);
        EXPECT_EQ(info.his_type, 1);
    }
}

TEST_F(HisDetailDlgTest, CommentIsLimitedTo256Characters)
{
    HistoryInfo info;
    info.contact_name = "Brown Tom";
    HisDetailDlg dlg(nullptr, HIS_MODE_NEW);
    dlg.SetHistoryInfo(&info);
    RunModal(dlg,
             [&]()
             {
                 wxTextCtrl* comment = Text(&dlg, "ID_TEXTCTRL_COMMENT");
                 comment->SetFocus();
                 comment->WriteText(wxString('a', 250));
                 comment->WriteText(wxString('b', 20));
                 Settle();
                 EXPECT_EQ(comment->GetValue().length(), 256u) << "typing stops at 256 characters";
                 comment->SetInsertionPoint(10);
                 comment->WriteText("cc");
                 Settle();
                 EXPECT_EQ(comment->GetValue().length(), 256u);
                 Click(&dlg, "wxID_OK");
             });
    EXPECT_EQ(info.comment, wxString('a', 250) + wxString('b', 6)) << "an insertion into a full comment is refused";
}

TEST_F(HisDetailDlgTest, LongerStoredCommentIsNotCut)
{
    HistoryInfo info;
    info.his_time = wxDateTime::Now();
    info.comment = wxString('x', 300);
    HisDetailDlg dlg(nullptr, HIS_MODE_EDIT);
    dlg.SetHistoryInfo(&info);
    RunModal(dlg,
             [&]()
             {
                 wxTextCtrl* comment = Text(&dlg, "ID_TEXTCTRL_COMMENT");
                 EXPECT_EQ(comment->GetValue().length(), 300u);
                 comment->SetInsertionPointEnd();
                 comment->WriteText("more");
                 Settle();
                 EXPECT_EQ(comment->GetValue().length(), 300u) << "nothing can be added, nothing is cut";
                 Click(&dlg, "wxID_OK");
             });
    EXPECT_EQ(info.comment, wxString('x', 300));
}

TEST_F(CorvalaGuiTest, DeletedContactsAreRestoredOrRemovedForGoodFromTheirDialog)
{
    ContactManager contacts;
    for (const char* name : {"Baker", "Cole"})
    {
        ContactInfoEx contact;
        contact.last_name = contact.last_name_alpha = name;
        contacts.Insert(&contact);
    }
    contacts.Search();
    ContactArray all;
    for (ContactInfoEx* contact : contacts.contactList)
        all.Add(contact);
    ASSERT_TRUE(contacts.DeleteContacts(all));

    DeletedContactsDlg dialog(nullptr, contacts);
    wxListCtrl* list = FindChild<wxListCtrl>(&dialog, "ID_LISTCTRL_DELETED");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_FALSE(FindChild<wxButton>(&dialog, "ID_BUTTON_RESTORE")->IsEnabled()) << "nothing chosen yet";
    const long cole = list->FindItem(-1, "Cole ");
    list->SetItemState(cole, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Click(&dialog, "ID_BUTTON_RESTORE");
    EXPECT_EQ(dir.Scalar("select last_name from contacts;"), "Cole");
    ASSERT_EQ(list->GetItemCount(), 1);

    list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    wxString question;
    wxTEST_DIALOG(Click(&dialog, "ID_BUTTON_DISCARD"), ExpectMessage(wxNO, &question));
    EXPECT_EQ(list->GetItemCount(), 1) << "kept when the answer is no";
    EXPECT_NE(question.Find("cannot be undone"), wxNOT_FOUND);
    list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    wxTEST_DIALOG(Click(&dialog, "ID_BUTTON_DISCARD"), ExpectMessage(wxYES, nullptr));
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(dir.ScalarInt("select count(*) from trash_contacts;"), 0);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 1);
}

TEST_F(CorvalaGuiTest, AnAccountIsTestedOffTheWindowThreadAndSavedOnlyWhenItsBookIsFound)
{
    SyncStore::Account fresh;
    AccountEditDlg edit(nullptr, fresh);
    const int rc =
        RunModal(edit,
                 [&]
                 {
                     Click(&edit, "wxID_OK");
                     EXPECT_EQ(edit.GetStatus(), "Give the account a name.");
                     FindChild<wxTextCtrl>(&edit, "ID_TEXTCTRL_ACCOUNT_NAME")->SetValue("home");
                     // Nothing listens on the discard port.
                     FindChild<wxTextCtrl>(&edit, "ID_TEXTCTRL_ACCOUNT_SERVER")->SetValue("http://127.0.0.1:9/");
                     FindChild<wxTextCtrl>(&edit, "ID_TEXTCTRL_ACCOUNT_USER")->SetValue("ann");
                     Click(&edit, "ID_BUTTON_TEST_CONNECTION");
                     EXPECT_FALSE(FindChild<wxButton>(&edit, "wxID_OK")->IsEnabled()) << "busy meanwhile";
                     EXPECT_TRUE(WaitFor(
                         [&]
                         {
                             Settle();
                             return edit.GetStatus().Contains("refused");
                         },
                         10000));
                     Click(&edit, "wxID_OK");
                     EXPECT_TRUE(WaitFor(
                         [&]
                         {
                             Settle();
                             return FindChild<wxButton>(&edit, "wxID_OK")->IsEnabled();
                         },
                         10000));
                     EXPECT_EQ(edit.GetStatus(), "The server 127.0.0.1 refused the connection.");
                     Click(&edit, "wxID_CANCEL");
                 });
    EXPECT_EQ(rc, wxID_CANCEL) << "a server that cannot be reached is not saved";

    SyncStore::Account account;
    account.name = "work";
    account.url = "https://dav.example.org/";
    account.user = "ann";
    account.book = "https://dav.example.org/ann/contacts/";
    Adapter adapter;
    ASSERT_TRUE(SyncStore::SaveAccount(adapter, account));
    AccountsDlg accounts(nullptr);
    wxListCtrl* list = FindChild<wxListCtrl>(&accounts, "ID_LISTCTRL_ACCOUNTS");
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 2), account.book);
    EXPECT_FALSE(FindChild<wxButton>(&accounts, "ID_BUTTON_REMOVE_ACCOUNT")->IsEnabled());
    list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    wxString question;
    wxTEST_DIALOG(Click(&accounts, "ID_BUTTON_REMOVE_ACCOUNT"), ExpectMessage(wxYES, &question));
    EXPECT_NE(question.Find("Its contacts stay"), wxNOT_FOUND);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(dir.ScalarInt("select count(*) from sync_accounts;"), 0);
}
