// The benchmark's floor: a plain toolkit window with the same contact list,
// detail page and cards as the main window, filled from one SQLite
// connection with one count and one page query per search.
#pragma once

#include <wx/dcclient.h>
#include <wx/ffile.h>
#include <wx/frame.h>
#include <wx/html/htmlwin.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/wxsqlite3.h>

#include <map>
#include <memory>
#include <vector>

#include "frame/DetailPage.h"
#include "frame/DetailPane.h"
#include "platform/Platform.h"
#include "storage/ContactAdapter.h"
#include "storage/ContactManager.h"
#include "storage/DbValues.h"

namespace bare
{

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
} // namespace bare
