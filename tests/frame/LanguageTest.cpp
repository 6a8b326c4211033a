#include <clocale>
#include <ctime>
#include <functional>
#include <libintl.h>

#include <wx/choicdlg.h>
#include <wx/config.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/testing.h>
#include <wx/translation.h>

#include "app/CorvalaApp.h"
#include "dialogs/Language.h"
#include "platform/Platform.h"
#include "storage/Database.h"
#include "storage/DbValues.h"
#include "storage/StorageHooks.h"
#include "tests/frame/FrameFixture.h"

namespace
{
class ChooseRow : public wxExpectModalBase<wxSingleChoiceDialog, ChooseRow>
{
public:
    explicit ChooseRow(int row, wxString* message = nullptr) : row(row), message(message) {}

protected:
    int OnInvoked(wxSingleChoiceDialog* dialog) const override
    {
        if (message)
            *message = dialog->GetTitle();
        dialog->SetSelection(row);
        return wxID_OK;
    }

private:
    int row;
    wxString* message;
};

// Collects logged errors and warnings instead of showing them.
class ErrorLog : public wxLog
{
public:
    ErrorLog() : previous(wxLog::SetActiveTarget(this)) {}
    ~ErrorLog() override
    {
        wxLog::SetActiveTarget(previous);
    }
    std::vector<wxString> errors;
    std::vector<wxString> warnings;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override
    {
        if (level == wxLOG_Error || level == wxLOG_FatalError)
            errors.push_back(msg);
        else if (level == wxLOG_Warning)
            warnings.push_back(msg);
    }

private:
    wxLog* previous;
};

wxString StoredLanguage()
{
    return wxConfigBase::Get()->Read("/ui_language", "<missing>");
}
} // namespace

using LanguageTest = CorvalaGuiTest;

TEST_F(LanguageTest, FirstStartAsksAndStoresTheChoice)
{
    wxLanguage chosen = wxLANGUAGE_UNKNOWN;
    wxString seen;
    wxTEST_DIALOG(chosen = GetConfiguredLanguage(), ChooseRow(2, &seen));
    EXPECT_EQ(wxLANGUAGE_ENGLISH, chosen);
    EXPECT_EQ("Language selection", seen);
    EXPECT_EQ(wxLocale::GetLanguageCanonicalName(wxLANGUAGE_ENGLISH), StoredLanguage());

    // The next start reads the choice without asking (an unexpected dialog
    // fails the test).
    wxTEST_DIALOG(chosen = GetConfiguredLanguage(), NoDialog());
    EXPECT_EQ(wxLANGUAGE_ENGLISH, chosen);
}

TEST_F(LanguageTest, CancelledChooserStoresNothingAndAsksAgain)
{
    wxLanguage chosen = wxLANGUAGE_UNKNOWN;
    wxTEST_DIALOG(chosen = GetConfiguredLanguage(), wxExpectDismissableModal<wxSingleChoiceDialog>(wxID_CANCEL));
    EXPECT_EQ(wxLANGUAGE_DEFAULT, chosen);
    EXPECT_TRUE(wxConfigBase::Get()->Read("/ui_language", wxString()).empty());

    wxTEST_DIALOG(chosen = GetConfiguredLanguage(), ChooseRow(0));
    EXPECT_EQ(wxLANGUAGE_DEFAULT, chosen);
    EXPECT_EQ("default", StoredLanguage()) << "the default language is stored as the word default";
    wxTEST_DIALOG(chosen = GetConfiguredLanguage(), NoDialog());
    EXPECT_EQ(wxLANGUAGE_DEFAULT, chosen);
}

TEST_F(LanguageTest, StoredCodesAreLookedUp)
{
    wxConfigBase::Get()->Write("/ui_language", "ja");
    wxLanguage chosen = wxLANGUAGE_UNKNOWN;
    wxTEST_DIALOG(chosen = GetConfiguredLanguage(), NoDialog());
    EXPECT_EQ(wxLANGUAGE_JAPANESE, chosen);

    ErrorLog log;
    wxConfigBase::Get()->Write("/ui_language", "DEFAULT");
    wxTEST_DIALOG(chosen = GetConfiguredLanguage(), NoDialog());
    EXPECT_EQ(wxLANGUAGE_DEFAULT, chosen);
    ASSERT_EQ(1u, log.errors.size()) << "DEFAULT is not the word default and is unknown";
    EXPECT_EQ("Uknown locale code 'DEFAULT' in registry.", log.errors[0]);
    EXPECT_EQ("DEFAULT", StoredLanguage()) << "an unknown code is kept";
}

TEST_F(LanguageTest, MenuChoiceAsksForRestartOnlyWhenChosen)
{
    wxConfigBase::Get()->Write("/ui_language", "en");
    // Cancelling shows no message box.
    wxTEST_DIALOG(SelectUiLanguage(), wxExpectDismissableModal<wxSingleChoiceDialog>(wxID_CANCEL));
    EXPECT_EQ("en", StoredLanguage());

    wxString message, caption;
    wxTEST_DIALOG(SelectUiLanguage(), ChooseRow(3), MessageAnswer(wxID_OK, &message, &caption));
    EXPECT_EQ(wxLocale::GetLanguageCanonicalName(wxLANGUAGE_JAPANESE), StoredLanguage());
    EXPECT_EQ("You must restart Corvala for this change to take effect.", message);
    EXPECT_EQ("Corvala", caption);
}

TEST_F(LanguageTest, ChosenLanguageTranslatesWithoutItsSystemLocaleAndWithoutWarnings)
{
    wxLocale::AddCatalogLookupPathPrefix("locales");
    // The set-up also steers GTK's own translations; later tests get the
    // process as it was.
    wxString oldLanguage;
    const bool hadLanguage = wxGetEnv("LANGUAGE", &oldLanguage);
    const std::string oldMessages = std::setlocale(LC_MESSAGES, nullptr);
    const struct
    {
        wxLanguage language;
        const char* label;     // what the contact grid shows for business_im_3
        const char* gtkCancel; // GTK's own stock label
    } cases[] = {
        {wxLANGUAGE_ENGLISH, "Business IM 3", "_Cancel"},
        {wxLANGUAGE_CHINESE_SIMPLIFIED, "工作即时通讯 3", "取消(_C)"},
        {wxLANGUAGE_JAPANESE, "勤務先 IM 3", "キャンセル(_C)"},
        // No catalogue of its own: the English labels beat raw column names.
        {wxLANGUAGE_GERMAN, "Business IM 3", nullptr},
    };
    for (const auto& c : cases)
    {
        const wxString name = wxLocale::GetLanguageName(c.language);
        {
            ErrorLog log;
            wxLocale locale;
            EXPECT_TRUE(SetUpLanguage(locale, c.language)) << name;
            EXPECT_EQ(wxString::FromUTF8(c.label), wxGetTranslation("business_im_3")) << name;
            if (wxString(c.label).StartsWith("Business"))
            {
                EXPECT_EQ("Nothing be modified!", wxGetTranslation("Nothing be modified!"))
                    << name << ": the program's own English texts stay as they are";
            }
            EXPECT_TRUE(log.errors.empty() && log.warnings.empty())
                << name << ": " << (log.warnings.empty() ? log.errors : log.warnings).front().utf8_string();
#ifdef __WXGTK__
            if (c.gtkCancel)
            {
                EXPECT_STREQ(c.gtkCancel, dgettext("gtk30", "_Cancel")) << name << ": GTK's stock buttons follow";
            }
#endif
            if (!locale.IsOk())
                wxTranslations::Set(nullptr);
        }
        // The next test starts untranslated again.
        EXPECT_EQ("business_im_3", wxGetTranslation("business_im_3")) << name;
    }
    if (hadLanguage)
        wxSetEnv("LANGUAGE", oldLanguage);
    else
        wxUnsetEnv("LANGUAGE");
    std::setlocale(LC_MESSAGES, oldMessages.c_str());
}

TEST_F(LanguageTest, UnopenableDatabaseIsExplainedWithPathAndError)
{
    EXPECT_TRUE(CorvalaApp::CheckDatabase());

    wxFileName::Rmdir(dir.Path() + "/data", wxPATH_RMDIR_RECURSIVE);
    bool ok = true;
    wxString message;
    wxTEST_DIALOG(ok = CorvalaApp::CheckDatabase(), MessageAnswer(wxID_OK, &message));
    EXPECT_FALSE(ok);
    EXPECT_NE(wxNOT_FOUND, message.Find(Database::Path())) << message;
    EXPECT_NE(wxNOT_FOUND, message.Lower().Find("unable to open")) << "names SQLite's error: " << message;
}

TEST_F(LanguageTest, FirstStartAsksBeforeTheMainWindowAndRecordsDefaults)
{
    auto frameExists = []()
    {
        for (wxWindow* window : wxTopLevelWindows)
            if (dynamic_cast<CorvalaFrame*>(window))
                return true;
        return false;
    };
    bool frameBeforeChoice = true;
    class ChooseDefault : public wxExpectModalBase<wxSingleChoiceDialog, ChooseDefault>
    {
    public:
        ChooseDefault(std::function<void()> seen) : seen(seen) {}

    protected:
        int OnInvoked(wxSingleChoiceDialog* dialog) const override
        {
            seen();
            dialog->SetSelection(0);
            return wxID_OK;
        }

    private:
        std::function<void()> seen;
    };

    bool started = false;
    // Constructing an application object makes it the global one, and its
    // destructor clears that; the test runner's own stays in charge.
    wxAppConsole* runner = wxApp::GetInstance();
    {
        CorvalaApp app;
        wxApp::SetInstance(runner);
        wxTEST_DIALOG(started = app.OnInit(), ChooseDefault([&]() { frameBeforeChoice = frameExists(); }));
        EXPECT_TRUE(started);
        EXPECT_FALSE(frameBeforeChoice) << "the language is asked before the main window opens";
        CorvalaFrame* frame = nullptr;
        for (wxWindow* window : wxTopLevelWindows)
            if (auto f = dynamic_cast<CorvalaFrame*>(window))
                frame = f;
        ASSERT_TRUE(frame);
        EXPECT_TRUE(frame->IsShown());
        delete frame;
    }
    wxApp::SetInstance(runner);
    // The start set up translations for the whole process; later tests expect none.
    wxTranslations::Set(nullptr);
    wxConfigBase* config = wxConfigBase::Get();
    config->SetRecordDefaults(false);
    SetErrorReporter(ErrorReporter());
    SetMessagePump(MessagePump());

    EXPECT_EQ("default", StoredLanguage());
    for (const char* key : {"nRemSizePos", "bSizerVisible", "bStatPanelVisible", "nViewIdx"})
        EXPECT_TRUE(config->HasEntry(wxString("/CorvaFrame/") + key)) << key;
    EXPECT_FALSE(config->HasEntry("/CorvaFrame/x")) << "not read while the position is not remembered";
}

TEST(StartupTimeZone, IsReadOnceWithoutChangingAnyLocalTimeAndKeepsTheUsersOwn)
{
    wxString saved;
    const bool hadTz = wxGetEnv("TZ", &saved);
    const wxString stored = "2010-01-15 09:30:00";

    wxUnsetEnv("TZ");
    tzset();
    const wxDateTime before = ParseDbTime(stored);
    Platform::RememberTimeZone();
    wxString tz;
    if (wxFileName::FileExists("/etc/localtime"))
    {
        EXPECT_TRUE(wxGetEnv("TZ", &tz));
        EXPECT_EQ(":/etc/localtime", tz);
    }
    EXPECT_EQ(before.GetValue(), ParseDbTime(stored).GetValue()) << "the same zone as before";
    EXPECT_EQ(stored, FormatDbTime(ParseDbTime(stored)));

    wxSetEnv("TZ", "Asia/Tokyo");
    Platform::RememberTimeZone();
    EXPECT_TRUE(wxGetEnv("TZ", &tz));
    EXPECT_EQ("Asia/Tokyo", tz) << "a zone the user set stays";

    if (hadTz)
        wxSetEnv("TZ", saved);
    else
        wxUnsetEnv("TZ");
    tzset();
}
