// Drives a main window on a cached address book and prints what it measured,
// one result per line, for corvala_bench to collect:
//
//   window_bench corvala|bare BOOKDIR --t0 NS [--startup] [--runs N]
//                [--recent-runs N] [--workbook FILE --import-runs N]
//                [--contacts N] [--find] [--sync PASSWORD]
//
// --find types a few texts into the find box instead, one character at a
// time, and prints each keystroke's time to painted ("find TEXT MS BLOCK"),
// then, for a total counted after the page, the time to the label showing
// it ("counted TEXT MS BLOCK LABEL"). --sync times the sync the window starts
// at start-up (the book's account "bench", with this password), to its report
// in the status bar ("sync MS BLOCK REPORT").
//
// "corvala" is the program's own main window, built by the application
// object exactly as at a normal start; "bare" is the floor: a plain toolkit
// window with the same contact list, detail page and cards, filled from one
// SQLite connection with one count and one page query per search.
//
// A click is timed from the moment its handler starts to the first idle
// after the last repaint of the windows it changes (contact list or cards,
// and the detail page), once they have stayed quiet for a while. A helper
// thread asks the event loop for an answer every millisecond; the longest
// wait for that answer during an action is the time the window did not
// answer events.

#include <glib.h>

#include <wx/aui/auibook.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/config.h>
#include <wx/dcclient.h>
#include <wx/evtloop.h>
#include <wx/ffile.h>
#include <wx/fileconf.h>
#include <wx/html/htmlwin.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/CorvalaApp.h"
#include "bench/support/BareWindow.h"
#include "bench/support/BenchBook.h"
#include "bench/support/WindowTiming.h"
#include "dialogs/ImportDlg.h"
#include "frame/Corva.h"
#include "frame/CorvalaFrame.h"
#include "frame/DetailPage.h"
#include "frame/DetailPane.h"
#include "storage/ContactAdapter.h"
#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "sync/Keyring.h"
#include "views/CardCanvas.h"

namespace
{
using BenchBook::MonotonicNs;

using namespace windowtiming;

using bare::BareCards;
using bare::BareFrame;

// ----------------------------------------------------------------- script

struct Options
{
    bool bare = false;
    std::string book;
    int64_t t0 = 0;
    bool startupOnly = false;
    int runs = 7;
    int recentRuns = 5;
    std::string workbook;
    int importRuns = 5;
    int contacts = 0;
    bool find = false;
    std::string syncPassword; // --sync: the start-up sync of the "bench" account
};

void Print(const char* format, ...) WX_ATTRIBUTE_PRINTF_1;
void Print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

const char* const LETTERS = "MSBKTARLGHCDPWJNEFOV";
const char* const KEYWORDS[] = {"an", "ar", "el", "li", "ma", "ra", "is", "ne", "er", "ia", "on", "ch"};

class Script
{
public:
    explicit Script(const Options& options) : options(options) {}

    void Run()
    {
        // The sync the window starts at once: timed from the start.
        if (!options.syncPassword.empty() && !options.bare)
        {
            Sync();
            return;
        }
        Startup();
        if (options.startupOnly)
            return;
        if (options.find && !options.bare)
        {
            Finds();
            return;
        }
        Searches50();
        for (bool cards : {false, true})
        {
            ShowCards(cards);
            const char* view = cards ? "cards" : "list";
            Clicks(view, "next", [this](int) { Next(); });
            Clicks(
                view, "letter", [this](int i) { Letter(LETTERS[i % 20]); }, [this] { Letter(0); });
            Clicks(
                view, "keyword", [this](int i) { Keyword(KEYWORDS[i % 12]); }, [this] { Keyword(""); });
            Clicks(
                view, "tag", [this](int i) { Tag(1 + i % BenchBook::TAG_COUNT); }, [this] { Tag(-1); });
        }
        ShowCards(false);
        Recent();
        if (!options.workbook.empty() && !options.bare)
            Import();
    }

    void Finish()
    {
        Print("done 1");
    }

private:
    CorvalaFrame* Frame()
    {
        return dynamic_cast<CorvalaFrame*>(wxTheApp->GetTopWindow());
    }
    BareFrame* Bare()
    {
        return dynamic_cast<BareFrame*>(wxTheApp->GetTopWindow());
    }
    template <typename T = wxWindow> T* Named(const char* name)
    {
        return dynamic_cast<T*>(wxWindow::FindWindowByName(name, wxTheApp->GetTopWindow()));
    }

    wxWindow* ListTarget()
    {
        return options.bare ? static_cast<wxWindow*>(Bare()->list) : Named("ID_LISTCTRL_RESULT");
    }
    wxWindow* CardTarget()
    {
        return options.bare ? static_cast<wxWindow*>(Bare()->cards) : Frame()->GetCardCanvas();
    }
    wxWindow* HtmlTarget()
    {
        return options.bare ? static_cast<wxWindow*>(Bare()->html) : Named("htmlWindow");
    }

    void Click(const char* name)
    {
        wxWindow* button = Named(name);
        if (!button)
        {
            Print("error no-window %s", name);
            return;
        }
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }

    // ------------------------------------------------------ the actions

    void Next()
    {
        if (options.bare)
            Bare()->Next();
        else
            Click("ID_BUTTON_NEXTPAGE");
    }

    // A letter, or the "-" cell for none.
    void Letter(char letter)
    {
        if (options.bare)
        {
            Bare()->Letter(letter ? wxString(letter) : wxString());
            return;
        }
        wxWindow* panel = Named("ID_PANEL_ALPHABET");
        wxMouseEvent event(wxEVT_LEFT_UP);
        event.m_x = letter ? 20 + 20 * (letter - 'A') + 10 : 5;
        event.m_y = 8;
        event.SetEventObject(panel);
        panel->GetEventHandler()->ProcessEvent(event);
    }

    void Keyword(const char* keyword)
    {
        if (options.bare)
        {
            Bare()->Keyword(keyword);
            return;
        }
        Named<wxComboBox>("ID_COMBOBOX_KEYWORD")->SetValue(keyword);
        Click("ID_BUTTON_SEARCH");
    }

    void Tag(int tagId)
    {
        if (options.bare)
        {
            Bare()->Tag(tagId);
            return;
        }
        wxListCtrl* tags = Named<wxListCtrl>("ID_LISTCTRL_TAGS");
        for (long row = 0; row < tags->GetItemCount(); ++row)
        {
            if (static_cast<long>(tags->GetItemData(row)) == tagId)
            {
                tags->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                   wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
                return;
            }
        }
        Print("error no-tag %d", tagId);
    }

    void ShowCards(bool cards)
    {
        showingCards = cards;
        if (options.bare)
            Bare()->ShowCards(cards);
        else
            Named<wxNotebook>("ID_NOTEBOOK_VIEW")->SetSelection(cards ? 1 : 0);
        watch.Arm({cards ? CardTarget() : ListTarget()});
        watch.WaitPainted(100);
    }

    // ---------------------------------------------------------- phases

    void Startup()
    {
        watch.Watch(ListTarget());
        watch.Watch(CardTarget());
        watch.Watch(HtmlTarget());
        watch.Arm({ListTarget(), HtmlTarget()});
        const int64_t painted = watch.WaitPainted(60, 120000);
        Print("startup_painted_ms %.2f", Ms(painted - options.t0));
        // The statistics pages may be filled after the first paint.
        const int64_t firstPaint = watch.FirstPaint();
        int64_t settled = painted;
        if (!options.bare)
        {
            const bool ok = RunUntil(
                [this]
                {
                    wxListCtrl* status = Named<wxListCtrl>("ID_LISTCTRL_STATUS");
                    wxListCtrl* tags = Named<wxListCtrl>("ID_LISTCTRL_TAGSTAT");
                    wxListCtrl* recent = Named<wxListCtrl>("ID_LISTCTRL_RECNENT");
                    return status->GetItemCount() == 5 && tags->GetItemCount() == BenchBook::TAG_COUNT &&
                           recent->GetItemCount() > 0;
                },
                120000);
            settled = ok ? std::max(painted, MonotonicNs()) : 0;
            // Let whatever the filling changed paint.
            RunUntil([] { return false; }, 150);
        }
        Print("startup_settled_ms %.2f", Ms(settled - options.t0));
        Print("startup_block_ms %.2f", heartbeat.LongestMs(firstPaint, settled));
        Print("rss_startup_kb %ld", BenchBook::PeakRssKb());
    }

    void Searches50()
    {
        for (int i = 0; i < 50; ++i)
        {
            switch (i % 4)
            {
            case 0:
                Next();
                break;
            case 1:
                Letter(LETTERS[i % 20]);
                break;
            case 2:
                Keyword(KEYWORDS[i % 12]);
                break;
            default:
                Tag(1 + i % BenchBook::TAG_COUNT);
                break;
            }
            watch.Arm({ListTarget(), HtmlTarget()});
            watch.WaitPainted(20);
        }
        Letter(0);
        Keyword("");
        Tag(-1);
        watch.Arm({ListTarget()});
        watch.WaitPainted(20);
        Print("rss_searches50_kb %ld", BenchBook::PeakRssKb());
    }

    // One warm-up and options.runs timed clicks; reset() runs untimed after.
    void Clicks(const char* view, const char* kind, const std::function<void(int)>& click,
                const std::function<void()>& reset = {})
    {
        std::vector<double> times, blocks;
        int timeouts = 0;
        for (int i = 0; i <= options.runs; ++i)
        {
            watch.Arm({showingCards ? CardTarget() : ListTarget(), HtmlTarget()});
            const int64_t start = MonotonicNs();
            click(i);
            const int64_t painted = watch.WaitPainted();
            if (!watch.AllPainted())
            {
                ++timeouts;
                continue;
            }
            if (i == 0)
                continue;
            times.push_back(Ms(painted - start));
            blocks.push_back(heartbeat.LongestMs(start, painted));
        }
        if (reset)
        {
            watch.Arm({showingCards ? CardTarget() : ListTarget()});
            reset();
            watch.WaitPainted(20);
        }
        Print("click %s %s %.2f %.2f %d", view, kind, Median(times), Median(blocks), timeouts);
    }

    // The sync the window starts once it is up, timed until its report is in
    // the status bar, with the window's longest wait meanwhile.
    void Sync()
    {
        CorvalaFrame* frame = dynamic_cast<CorvalaFrame*>(wxTheApp->GetTopWindow());
        if (!frame)
        {
            Print("error no-frame");
            return;
        }
        const int64_t start = MonotonicNs();
        while (!frame->IsSyncing() && MonotonicNs() - start < 5000000000LL)
            wxEventLoopBase::GetActive()->DispatchTimeout(5);
        while (frame->IsSyncing() && MonotonicNs() - start < 900000000000LL)
            wxEventLoopBase::GetActive()->DispatchTimeout(5);
        // The book shown again afterwards is part of the sync.
        for (int i = 0; i < 20; ++i)
            wxEventLoopBase::GetActive()->DispatchTimeout(5);
        const int64_t end = MonotonicNs();
        Print("sync %.0f %.2f \"%s\"", Ms(end - start), heartbeat.LongestMs(start, end),
              frame->GetStatusBar()->GetStatusText(0).utf8_string().c_str());
    }

    // The texts of find_bench, typed into the find box.
    void Finds()
    {
        wxTextCtrl* box = Named<wxTextCtrl>("ID_TEXTCTRL_FIND");
        if (!box)
        {
            Print("error no-window ID_TEXTCTRL_FIND");
            return;
        }
        for (const char* text : {"baker", "tidewater", "555 0123", "anna lund", "qz"})
        {
            const std::string typed(text);
            for (size_t length = 1; length <= typed.size(); ++length)
            {
                watch.Arm({ListTarget(), HtmlTarget()});
                const int64_t start = MonotonicNs();
                box->SetValue(wxString::FromUTF8(typed.substr(0, length)));
                const int64_t painted = watch.WaitPainted();
                Print("find \"%s\" %.2f %.2f %d", typed.substr(0, length).c_str(), Ms(painted - start),
                      heartbeat.LongestMs(start, painted), watch.AllPainted() ? 0 : 1);
                // A total counted after the page: until the label has it.
                wxStaticText* label = Named<wxStaticText>("ID_STATICTEXT9");
                if (label && label->GetLabel().Contains(wxString::FromUTF8("\u2026")))
                {
                    while (label->GetLabel().Contains(wxString::FromUTF8("\u2026")) &&
                           MonotonicNs() - start < 30000000000LL)
                        wxEventLoopBase::GetActive()->DispatchTimeout(1);
                    const int64_t counted = MonotonicNs();
                    Print("counted \"%s\" %.2f %.2f \"%s\"", typed.substr(0, length).c_str(), Ms(counted - start),
                          heartbeat.LongestMs(start, counted), label->GetLabel().utf8_string().c_str());
                }
            }
            box->Clear();
            watch.WaitPainted(20);
        }
    }

    void Recent()
    {
        wxListCtrl* recent = nullptr;
        if (!options.bare)
        {
            wxWindow* page = Named("ID_PANEL8");
            wxAuiNotebook* book = dynamic_cast<wxAuiNotebook*>(page->GetParent());
            book->SetSelection(book->GetPageIndex(page));
            recent = Named<wxListCtrl>("ID_LISTCTRL_RECNENT");
            watch.Watch(recent);
            watch.Arm({recent});
            watch.WaitPainted(100);
        }
        const struct
        {
            int days;
            const char* button;
        } ranges[] = {{7, "ID_BUTTON_WEEK"}, {30, "ID_BUTTON_ONE_MONTH"}, {180, "ID_BUTTON_SIX_MONTH"}};
        for (const auto& range : ranges)
        {
            std::vector<double> times, blocks;
            long rows = 0;
            for (int i = 0; i < options.recentRuns; ++i)
            {
                const int64_t start = MonotonicNs();
                int64_t end = 0;
                if (options.bare)
                {
                    rows = Bare()->Recent(range.days);
                    end = MonotonicNs();
                    RunUntil([] { return false; }, 30);
                }
                else
                {
                    watch.Arm({recent});
                    Click(range.button);
                    end = watch.WaitPainted();
                    rows = recent->GetItemCount();
                }
                times.push_back(Ms(end - start));
                blocks.push_back(heartbeat.LongestMs(start, end));
            }
            Print("recent %d %.2f %.2f %ld", range.days, Median(times), Median(blocks), rows);
            Print("rss_recent%d_kb %ld", range.days, BenchBook::PeakRssKb());
        }
    }

    void Import()
    {
        CorvalaFrame* frame = Frame();
        std::vector<double> times, blocks;
        long added = -1;
        long peakBefore = BenchBook::PeakRssKb();
        for (int run = 0; run < options.importRuns; ++run)
        {
            if (run > 0)
            {
                BenchBook::RemoveExtraContacts(wxGetCwd().utf8_string(), options.contacts);
                Click("ID_BUTTON_RESET");
                watch.Arm({ListTarget()});
                watch.WaitPainted(20);
            }
            const long rssBefore = BenchBook::CurrentRssKb();
            const bool reset = BenchBook::ResetPeakRss();
            int64_t start = 0, end = 0;
            double importBlock = -1;
            wxString status;
            wxTheApp->CallAfter(
                [&]
                {
                    ImportDlg* dialog = nullptr;
                    for (wxWindow* window : wxTopLevelWindows)
                        if ((dialog = dynamic_cast<ImportDlg*>(window)))
                            break;
                    if (!dialog)
                    {
                        Print("error no-import-dialog");
                        return;
                    }
                    RunUntil([dialog] { return dialog->IsShownOnScreen(); }, 5000);
                    wxTextCtrl* path = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("ID_TXT_CSV_PATH", dialog));
                    wxWindow* button = wxWindow::FindWindowByName("ID_BUTTON_IMPORT", dialog);
                    wxStaticText* label =
                        dynamic_cast<wxStaticText*>(wxWindow::FindWindowByName("ID_LBL_STATUS", dialog));
                    path->ChangeValue(wxString::FromUTF8(options.workbook));
                    start = MonotonicNs();
                    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
                    click.SetEventObject(button);
                    button->GetEventHandler()->ProcessEvent(click);
                    const wxString completed = _("Import completed!");
                    // The label goes on with the counts, or says why nothing was stored.
                    RunUntil(
                        [&]
                        {
                            const wxString text = label->GetLabelText();
                            return text.StartsWith(completed) ||
                                   text.StartsWith(_("Nothing was imported: %s").BeforeFirst('%'));
                        },
                        120000);
                    end = MonotonicNs();
                    importBlock = heartbeat.LongestMs(start, end);
                    status = label->GetLabelText();
                    dialog->EndModal(wxID_CANCEL);
                });
            wxCommandEvent menu(wxEVT_MENU, frame->GetIds().ID_MENU_IMPORT);
            menu.SetEventObject(frame);
            frame->GetEventHandler()->ProcessEvent(menu);
            if (!status.StartsWith(_("Import completed!")))
                Print("error import-status %s", static_cast<const char*>(status.utf8_str()));
            times.push_back(Ms(end - start));
            blocks.push_back(importBlock);
            if (run == 0)
            {
                const long peak = BenchBook::PeakRssKb();
                added = reset ? peak - rssBefore : peak - peakBefore;
                // The peak since start: the reset started a new one.
                Print("rss_import_kb %ld", std::max(peak, peakBefore));
            }
        }
        Print("import %.2f %.2f %ld", Median(times), Median(blocks), added);
        BenchBook::RemoveExtraContacts(wxGetCwd().utf8_string(), options.contacts);
    }

    Options options;
    PaintWatch watch;
    bool showingCards = false;
};

Options ParseOptions(int argc, wxChar** argv)
{
    Options options;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(wxString(argv[i]).utf8_string());
    if (args.size() < 2)
    {
        std::fprintf(stderr, "usage: window_bench corvala|bare BOOKDIR --t0 NS [--startup] [--runs N] "
                             "[--recent-runs N] [--workbook FILE] [--import-runs N] [--contacts N]\n");
        std::exit(2);
    }
    options.bare = args[0] == "bare";
    options.book = args[1];
    for (size_t i = 2; i < args.size(); ++i)
    {
        const std::string& a = args[i];
        auto next = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
        if (a == "--t0")
            options.t0 = std::atoll(next().c_str());
        else if (a == "--startup")
            options.startupOnly = true;
        else if (a == "--runs")
            options.runs = std::atoi(next().c_str());
        else if (a == "--recent-runs")
            options.recentRuns = std::atoi(next().c_str());
        else if (a == "--workbook")
            options.workbook = next();
        else if (a == "--import-runs")
            options.importRuns = std::atoi(next().c_str());
        else if (a == "--contacts")
            options.contacts = std::atoi(next().c_str());
        else if (a == "--find")
            options.find = true;
        else if (a == "--sync")
            options.syncPassword = next();
    }
    if (options.t0 == 0)
        options.t0 = MonotonicNs();
    return options;
}
} // namespace

class BenchApp : public CorvalaApp
{
public:
    bool OnInit() override
    {
        const Options options = ParseOptions(argc, argv);
        if (chdir(options.book.c_str()) != 0)
        {
            std::fprintf(stderr, "cannot enter %s\n", options.book.c_str());
            return false;
        }
        wxLog::SetActiveTarget(new wxLogStderr);
        // A store of its own that starts empty every run, with the language
        // chosen so that nothing asks.
        const wxString configPath = wxGetCwd() + "/bench-config.ini";
        wxRemoveFile(configPath);
        wxFileConfig* config =
            new wxFileConfig("Corvala", "Marrowind", configPath, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
        config->Write("ui_language", "default");
        config->Flush();
        delete wxConfigBase::Set(config);

        if (!options.syncPassword.empty())
            Keyring::RememberForSession("bench", options.syncPassword);
        heartbeat.Start();
        if (options.bare)
        {
            wxInitAllImageHandlers();
            BareFrame* frame = new BareFrame();
            frame->Show();
            SetTopWindow(frame);
        }
        else if (!CorvalaApp::OnInit())
            return false;
        script.reset(new Script(options));
        CallAfter(
            [this]
            {
                script->Run();
                script->Finish();
                if (wxWindow* top = GetTopWindow())
                    top->Close(true);
                ExitMainLoop();
            });
        return true;
    }

    int OnExit() override
    {
        heartbeat.Stop();
        return CorvalaApp::OnExit();
    }

private:
    std::unique_ptr<Script> script;
};

// The program's application object under another name: the library's
// wxGetApp() is declared for CorvalaApp.
CorvalaApp& wxGetApp()
{
    return *static_cast<CorvalaApp*>(wxApp::GetInstance());
}

namespace
{
wxAppConsole* CreateBenchApp()
{
    wxAppConsole::CheckBuildOptions(WX_BUILD_OPTIONS_SIGNATURE, "window_bench");
    return new BenchApp;
}
wxAppInitializer benchAppInitializer(CreateBenchApp);
} // namespace

wxIMPLEMENT_WXWIN_MAIN
