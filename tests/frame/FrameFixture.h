// Builds the real main window on the test's temporary working directory and
// seeds its database.
#pragma once

#include <wx/config.h>
#include <wx/html/htmlwin.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/wxsqlite3.h>

#include <vector>

#include "frame/Corva.h"
#include "frame/CorvalaFrame.h"
#include "frame/DetailPane.h"
#include "frame/HistoryPane.h"
#include "frame/StatisticsPane.h"
#include "tests/support/GuiTest.h"

// Readable texts in assertion messages.
inline void PrintTo(const wxString& text, std::ostream* os)
{
    *os << '"' << text.utf8_string() << '"';
}

// Answers a message box and remembers what it said.
class MessageAnswer : public wxExpectModalBase<wxMessageDialog, MessageAnswer>
{
public:
    MessageAnswer(int answer, wxString* message, wxString* caption = nullptr)
        : answer(answer), message(message), caption(caption)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        if (message)
            *message = dialog->GetMessage();
        if (caption)
            *caption = dialog->GetTitle();
        return answer;
    }

private:
    int answer;
    wxString* message;
    wxString* caption;
};

// Use as wxTEST_DIALOG(code, NoDialog()): fails the test if any dialog shows.
class UnexpectedDialog : public wxExpectModalBase<wxDialog, UnexpectedDialog>
{
protected:
    int OnInvoked(wxDialog* dialog) const override
    {
        ADD_FAILURE() << "unexpected dialog: " << dialog->GetTitle().utf8_string();
        return wxID_CANCEL;
    }
};

inline UnexpectedDialog NoDialog()
{
    return UnexpectedDialog().Optional();
}

struct Person
{
    wxString last;
    wxString first;
    wxString lastAlpha;
    wxString firstAlpha;
    int sex = 1;
    wxString company;
};

class FrameTest : public CorvalaGuiTest
{
protected:
    ~FrameTest() override
    {
        CloseFrame();
    }

    CorvalaFrame* OpenFrame()
    {
        frame = new CorvalaFrame(nullptr, wxID_ANY);
        frame->Show();
        ProcessPending();
        // The statistics pages are filled once the window has been painted.
        EXPECT_TRUE(WaitFor([this] { return frame->GetStatisticsPane()->IsFilled(); }))
            << "the statistics were never filled";
        return frame;
    }

    // Destroys the frame the way closing it does, which saves its state.
    void CloseFrame()
    {
        if (frame)
        {
            delete frame;
            frame = nullptr;
            ProcessPending();
        }
    }

    static wxString Quote(const wxString& text)
    {
        wxString quoted = text;
        quoted.Replace("'", "''");
        return "'" + quoted + "'";
    }

    int AddContact(const Person& p)
    {
        dir.Exec("INSERT INTO contacts(last_name, first_name, last_name_alpha, first_name_alpha, sex, company, "
                 "latest_update_time, entry_time) VALUES(" +
                 Quote(p.last) + "," + Quote(p.first) + "," + Quote(p.lastAlpha) + "," + Quote(p.firstAlpha) + "," +
                 wxString::Format("%d", p.sex) + "," + Quote(p.company) +
                 ",'2010-01-15 09:30:00','2009-05-01 08:00:00')");
        return dir.ScalarInt("select max(id) from contacts");
    }

    // count contacts named Name000, Name001, ... on one connection.
    void AddNumberedContacts(int count, const wxString& alphaPrefix = "N")
    {
        wxSQLite3Database db;
        db.Open(dir.DbPath());
        db.Begin();
        for (int i = 0; i < count; ++i)
            db.ExecuteUpdate(wxString::Format("INSERT INTO contacts(last_name, first_name, last_name_alpha, "
                                              "first_name_alpha, sex) VALUES('Name%03d','P','%s%03d','P',%d)",
                                              i, alphaPrefix, i, i % 2));
        db.Commit();
        db.Close();
    }

    int AddTag(const wxString& name, int order)
    {
        dir.Exec("INSERT INTO mst_tags(name, display_order) VALUES(" + Quote(name) + wxString::Format(",%d)", order));
        return dir.ScalarInt("select max(id) from mst_tags");
    }

    void Link(int contactId, int tagId)
    {
        dir.Exec(wxString::Format("INSERT INTO contact_tag(contact_id, tag_id) VALUES(%d,%d)", contactId, tagId));
    }

    template <typename T = wxWindow> T* Child(const wxString& name)
    {
        T* window = FindChild<T>(frame, name);
        EXPECT_TRUE(window) << "no window named " << name.utf8_string();
        return window;
    }

    void Click(const wxString& buttonName)
    {
        wxWindow* button = Child(buttonName);
        if (!button)
            return;
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
        ProcessPending();
    }

    void Menu(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
        ProcessPending();
    }

    wxListCtrl* ResultList()
    {
        return Child<wxListCtrl>("ID_LISTCTRL_RESULT");
    }

    wxString PageLabel()
    {
        return Child<wxStaticText>("ID_STATICTEXT9")->GetLabel();
    }

    wxString DetailSource()
    {
        wxHtmlWindow* html = Child<wxHtmlWindow>("htmlWindow");
        const wxString* source = html ? html->GetParser()->GetSource() : nullptr;
        return source ? *source : wxString();
    }

    std::vector<long> SelectedRows()
    {
        std::vector<long> rows;
        long row = -1;
        while ((row = ResultList()->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1)
            rows.push_back(row);
        return rows;
    }

    void SelectRow(long row, bool only = true)
    {
        wxListCtrl* list = ResultList();
        if (only)
        {
            for (long r : SelectedRows())
                list->SetItemState(r, 0, wxLIST_STATE_SELECTED);
        }
        list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        ProcessPending();
    }

    ContactManager& Contacts()
    {
        return frame->GetModel()->contactManager;
    }

    CorvalaFrame* frame = nullptr;
};
