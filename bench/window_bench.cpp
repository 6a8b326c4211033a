// Drives a main window on a cached address book and prints what it measured,
// one result per line, for corvala_bench to collect:
//
//   window_bench corvala|bare BOOKDIR --t0 NS [--startup] [--runs N]
//                [--recent-runs N] [--workbook FILE --import-runs N]
//                [--contacts N]
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
#include "bench/support/BenchBook.h"
#include "dialogs/ImportDlg.h"
#include "frame/Corva.h"
#include "frame/CorvalaFrame.h"
#include "frame/DetailPage.h"
#include "frame/DetailPane.h"
#include "storage/ContactAdapter.h"
#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "views/CardCanvas.h"

namespace
{
using BenchBook::MonotonicNs;

double Ms(int64_t ns)
{
    return ns / 1e6;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// ------------------------------------------------------------------ probe

// A heartbeat on the toolkit's main loop: a GLib timeout every millisecond at
// the priority of input events. Between two beats the loop answered nothing;
// the longest such gap inside an action is what the user would feel. It
// wakes neither the toolkit's idle processing nor its event tables, so it
// costs the measured program almost nothing.
class Heartbeat
{
public:
    void Start()
    {
        last = MonotonicNs();
        source = g_timeout_add_full(G_PRIORITY_DEFAULT, 1, &Heartbeat::Beat, this, nullptr);
    }
    void Stop()
    {
        if (source)
            g_source_remove(source);
        source = 0;
    }

    // The longest stretch inside [from, to] during which the loop did not
    // come round; a stretch still open at the end counts up to now.
    double LongestMs(int64_t from, int64_t to) const
    {
        int64_t longest = 0;
        auto overlap = [&](int64_t start, int64_t end)
        { longest = std::max(longest, std::min(end, to) - std::max(start, from)); };
        for (const Gap& gap : gaps)
            overlap(gap.start, gap.end);
        overlap(last, MonotonicNs());
        // Between recorded gaps the loop came round every few milliseconds.
        return Ms(std::max<int64_t>(longest, 0));
    }

private:
    struct Gap
    {
        int64_t start;
        int64_t end;
    };

    static gboolean Beat(gpointer data)
    {
        Heartbeat* self = static_cast<Heartbeat*>(data);
        const int64_t now = MonotonicNs();
        // Only the stretches that matter are kept, so the list stays small.
        if (now - self->last > 3000000)
            self->gaps.push_back({self->last, now});
        self->last = now;
        return G_SOURCE_CONTINUE;
    }

    guint source = 0;
    int64_t last = 0;
    std::vector<Gap> gaps;
};

Heartbeat heartbeat;

// ------------------------------------------------------------- event loop

// Runs the event loop until done() holds (checked every millisecond) or the
// time is up. False on timeout.
bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    struct State
    {
        wxGUIEventLoop loop;
        const std::function<bool()>* done;
        int64_t deadline;
        bool ok = false;
    } state;
    state.done = &done;
    state.deadline = MonotonicNs() + static_cast<int64_t>(timeoutMs) * 1000000;
    auto check = [](gpointer data) -> gboolean
    {
        State* st = static_cast<State*>(data);
        if (!st->loop.IsRunning())
            return G_SOURCE_CONTINUE;
        if ((*st->done)())
        {
            st->ok = true;
            st->loop.Exit();
        }
        else if (MonotonicNs() > st->deadline)
            st->loop.Exit();
        return G_SOURCE_CONTINUE;
    };
    const guint source = g_timeout_add_full(G_PRIORITY_DEFAULT_IDLE, 1, check, &state, nullptr);
    state.loop.Run();
    g_source_remove(source);
    return state.ok;
}

// Watches the paints of chosen windows (and their children). After a paint
// cycle, a GLib idle source marks when the loop was free again.
class PaintWatch
{
public:
    void Watch(wxWindow* target)
    {
        if (!target)
            return;
        std::function<void(wxWindow*)> bindAll = [&](wxWindow* window)
        {
            window->Bind(wxEVT_PAINT,
                         [this, target](wxPaintEvent& event)
                         {
                             event.Skip();
                             painted.insert(target);
                             if (wanted.count(target))
                             {
                                 if (firstPaint == 0)
                                     firstPaint = MonotonicNs();
                                 if (!paintSinceIdle)
                                     g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &PaintWatch::AfterPaint, this, nullptr);
                                 paintSinceIdle = true;
                             }
                         });
            for (wxWindow* child : window->GetChildren())
                bindAll(child);
        };
        bindAll(target);
    }

    // Forgets earlier paints; from now on the given windows count.
    void Arm(const std::vector<wxWindow*>& targets)
    {
        wanted = std::set<wxWindow*>(targets.begin(), targets.end());
        painted.clear();
        lastIdleAfterPaint = 0;
        firstPaint = 0;
    }

    // Waits until every armed window has painted and none has painted again
    // for quietMs; returns the first idle after the last paint. An action
    // that changes nothing on screen ends when no armed window has painted
    // for unchangedMs; then the result is the moment that was noticed.
    int64_t WaitPainted(int quietMs = 60, int unchangedMs = 400)
    {
        // A real click arrives as a window-system event, which also wakes the
        // toolkit's idle processing; a synthetic one must do that itself.
        wxWakeUpIdle();
        const int64_t armed = MonotonicNs();
        int64_t noticed = 0;
        RunUntil(
            [&]
            {
                const int64_t now = MonotonicNs();
                const int64_t last = lastIdleAfterPaint ? lastIdleAfterPaint : armed;
                if (paintSinceIdle)
                    return false;
                noticed = now;
                if (AllPainted() && lastIdleAfterPaint != 0)
                    return now - last > static_cast<int64_t>(quietMs) * 1000000;
                return now - last > static_cast<int64_t>(unchangedMs) * 1000000;
            },
            120000);
        return lastIdleAfterPaint != 0 ? lastIdleAfterPaint : noticed;
    }

    bool AllPainted() const
    {
        for (wxWindow* window : wanted)
            if (!painted.count(window))
                return false;
        return true;
    }

    int64_t FirstPaint() const
    {
        return firstPaint;
    }

private:
    static gboolean AfterPaint(gpointer data)
    {
        PaintWatch* self = static_cast<PaintWatch*>(data);
        self->paintSinceIdle = false;
        self->lastIdleAfterPaint = MonotonicNs();
        return G_SOURCE_REMOVE;
    }

    std::set<wxWindow*> wanted;
    std::set<wxWindow*> painted;
    bool paintSinceIdle = false;
    int64_t lastIdleAfterPaint = 0;
    int64_t firstPaint = 0;
};

// ------------------------------------------------------------ bare window

const char* const LIST_HEADERS[] = {"Name",    "Alphabet Name ", "Business phone", "Job title",          "Department",
                                    "Company", "E-mail",         "Webpage",        "Latest update time", "Entry time"};
const int LIST_WIDTHS[] = {128, 128, 128, 128, 128, 196, 128, 128, 128, 128};

// The floor's cards: the same rectangles, rule, pictures and texts, with
// pictures and fonts prepared once.
class BareCards : public wxScrolledWindow
{
public:
    BareCards(wxWindow* parent, const std::vector<std::unique_ptr<ContactInfoEx>>& rows)
        : wxScrolledWindow(parent, wxID_ANY), rows(rows),
          nameFont(12, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL)
    {
        SetScrollbars(0, 22, 0, 5 * 11);
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        for (const char* file : {"User_s24_00.png", "User_s24_01.png", "Star_s16_00.png", "Star_s16_05.png",
                                 "Star_s16_10.png", "Star_s16_50.png"})
        {
            wxBitmap bitmap(wxImage(wxString("img/") + file, wxBITMAP_TYPE_PNG));
            if (bitmap.IsOk())
                bitmap.SetMask(new wxMask(bitmap, *wxWHITE));
            pictures[file] = bitmap;
        }
        Bind(wxEVT_PAINT, &BareCards::OnPaint, this);
    }

private:
    void Picture(wxDC& dc, const char* file, int x, int y)
    {
        const wxBitmap& bitmap = pictures[file];
        if (bitmap.IsOk())
            dc.DrawBitmap(bitmap, x, y, true);
    }

    void OnPaint(wxPaintEvent&)
    {
        wxPaintDC dc(this);
        PrepareDC(dc);
        dc.SetBackground(wxBrush(GetBackgroundColour()));
        dc.Clear();
        const int columns = std::max(1, GetClientSize().GetWidth() / 170);
        for (size_t i = 0; i < rows.size(); ++i)
        {
            const ContactInfoEx& c = *rows[i];
            const int x = static_cast<int>(i % columns) * 170 + 10;
            const int y = static_cast<int>(i / columns) * 110 + 10;
            dc.SetBrush(*wxWHITE_BRUSH);
            dc.SetPen(*wxGREY_PEN);
            dc.DrawRectangle(x, y, 160, 100);
            dc.SetPen(rule);
            dc.DrawLine(x + 8, y + 8, x + 8, y + 92);
            Picture(dc, c.sex ? "User_s24_01.png" : "User_s24_00.png", x + 132, y + 4);
            Picture(dc, c.historyCount > 0 ? "Star_s16_05.png" : "Star_s16_00.png", x + 12, y + 78);
            if (c.historyCount > 5)
                Picture(dc, "Star_s16_10.png", x + 28, y + 78);
            if (c.historyCount > 50)
                Picture(dc, "Star_s16_50.png", x + 44, y + 78);
            {
                wxDCClipper clip(dc, wxRect(x + 12, y + 4, 118, 24));
                dc.SetFont(nameFont);
                dc.DrawText(c.last_name + " " + c.first_name, x + 12, y + 8);
            }
            wxDCClipper clip(dc, wxRect(x + 12, y + 26, 144, 52));
            dc.SetFont(*wxNORMAL_FONT);
            dc.DrawText(c.company, x + 12, y + 28);
            dc.DrawText(c.business_phone, x + 12, y + 50);
            dc.DrawText(c.email, x + 12, y + 64);
        }
    }

    const std::vector<std::unique_ptr<ContactInfoEx>>& rows;
    std::map<std::string, wxBitmap> pictures;
    wxFont nameFont;
    wxPen rule{wxColour(104, 132, 228), 1, wxPENSTYLE_SOLID};
};

class BareFrame : public wxFrame
{
public:
    BareFrame() : wxFrame(nullptr, wxID_ANY, "bare", wxPoint(40, 40), wxDefaultSize)
    {
        db.Open(wxGetCwd() + "/data/Corvala.s3db");
        wxSQLite3ResultSet tags = db.ExecuteQuery("select id, name from mst_tags;");
        while (tags.NextRow())
            tagNames[tags.GetInt(0)] = tags.GetAsString(1);
        tags.Finalize();

        wxFFile file(DetailPane::DefaultTemplatePath(), "rb");
        wxString text;
        if (file.IsOpened())
            file.ReadAll(&text, wxConvUTF8);
        templ = text.empty() ? DetailPage::FallbackPage() : text;

        wxBoxSizer* top = new wxBoxSizer(wxHORIZONTAL);
        wxBoxSizer* left = new wxBoxSizer(wxVERTICAL);
        // Stands where the search center's controls are.
        left->AddSpacer(230);
        views = new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNB_BOTTOM);
        list = new wxListCtrl(views, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_VRULES);
        for (int i = 0; i < 10; ++i)
            list->InsertColumn(i, LIST_HEADERS[i], wxLIST_FORMAT_LEFT, LIST_WIDTHS[i]);
        views->AddPage(list, "Contact list view");
        cards = new BareCards(views, rows);
        views->AddPage(cards, "Business card view");
        left->Add(views, 1, wxEXPAND);
        top->Add(left, 1, wxEXPAND);
        html = new wxHtmlWindow(this, wxID_ANY, wxDefaultPosition, wxSize(380, -1));
        top->Add(html, 0, wxEXPAND);
        SetSizer(top);
        SetClientSize(960, 600);
        Search();
    }

    void Next()
    {
        const int pages = (total + 49) / 50;
        condition.pageIndex = condition.pageIndex + 1 > pages ? 1 : condition.pageIndex + 1;
        Search();
    }
    void Letter(const wxString& letter)
    {
        condition.alphabet = letter;
        condition.pageIndex = 1;
        Search();
    }
    void Keyword(const wxString& keyword)
    {
        condition.keyword = keyword;
        condition.pageIndex = 1;
        Search();
    }
    void Tag(int tagId)
    {
        condition.tagId = tagId;
        condition.pageIndex = 1;
        Search();
    }
    void ShowCards(bool show)
    {
        views->SetSelection(show ? 1 : 0);
    }

    // The recent-contacts statement, its rows read and dropped.
    int Recent(int days)
    {
        const wxDateTime now = NowToSecond();
        wxString sql =
            "select contacts.last_name, contacts.first_name, \t\t\t\t\t\tcontact_history.comment, "
            "contact_history.his_time \t\t\t\t\t\tfrom contacts, contact_history \t\t\t\t\t\twhere contacts.id = "
            "contact_history.contact_id \t\t\t\t\t\tand  his_time between '$before' and '$after' "
            "\t\t\t\t\t\torder by his_time asc;";
        sql.Replace("$before", FormatDbTime(now - wxDateSpan::Days(days)), false);
        sql.Replace("$after", FormatDbTime(now), false);
        wxSQLite3ResultSet rs = db.ExecuteQuery(sql);
        int count = 0;
        while (rs.NextRow())
        {
            for (int col = 0; col < 4; ++col)
                rs.GetAsString(col);
            ++count;
        }
        rs.Finalize();
        return count;
    }

    wxListCtrl* list = nullptr;
    wxHtmlWindow* html = nullptr;
    BareCards* cards = nullptr;

private:
    void Search()
    {
        // The design's statement texts, from the manager that builds them.
        texts.SetCondition(condition);
        wxSQLite3ResultSet count = db.ExecuteQuery(texts.BuildCountStatement());
        if (count.NextRow())
            total = count.GetInt(0);
        count.Finalize();
        wxString page = texts.BuildPageStatement();
        page.Truncate(page.length() - 1);
        wxSQLite3ResultSet rs = db.ExecuteQuery(
            "select p.*, (select group_concat(tag_id) from contact_tag t where t.contact_id = p.id), (select "
            "count(contact_id) from contact_history h where h.contact_id = p.id) from (" +
            page + ") p;");
        rows.clear();
        while (rs.NextRow())
        {
            std::unique_ptr<ContactInfoEx> c(ContactAdapter::ReadContact(rs));
            wxArrayString tags = wxSplit(rs.GetAsString(rs.GetColumnCount() - 2), ',');
            for (const wxString& tag : tags)
                c->tagIds.Add(wxAtoi(tag));
            c->historyCount = rs.GetInt(rs.GetColumnCount() - 1);
            rows.push_back(std::move(c));
        }
        rs.Finalize();

        list->DeleteAllItems();
        for (size_t i = rows.size(); i-- > 0;)
        {
            const ContactInfoEx& c = *rows[i];
            long row = list->InsertItem(0, c.last_name + " " + c.first_name);
            list->SetItem(row, 1, c.last_name_alpha + " " + c.first_name_alpha);
            list->SetItem(row, 2, c.business_phone);
            list->SetItem(row, 3, c.job_title);
            list->SetItem(row, 4, c.department);
            list->SetItem(row, 5, c.company);
            list->SetItem(row, 6, c.email);
            list->SetItem(row, 7, c.webpage);
            list->SetItem(row, 8, c.latest_update_time.IsValid() ? c.latest_update_time.Format() : wxString());
            list->SetItem(row, 9, c.entry_time.IsValid() ? c.entry_time.Format() : wxString());
            if (i % 2 == 0)
                list->SetItemBackgroundColour(row, wxColour(231, 223, 221));
        }
        if (!rows.empty())
        {
            wxArrayString names;
            for (int id : rows[0]->tagIds)
                names.Add(tagNames[id]);
            html->SetPage(DetailPage::RenderContact(templ, *rows[0], names));
        }
        else
            html->SetPage(wxString());
        cards->Refresh();
    }

    wxSQLite3Database db;
    ContactManager texts;
    SearchCondition condition;
    int total = 0;
    std::map<int, wxString> tagNames;
    wxString templ;
    std::vector<std::unique_ptr<ContactInfoEx>> rows;
    wxNotebook* views = nullptr;
};

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
        Startup();
        if (options.startupOnly)
            return;
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
