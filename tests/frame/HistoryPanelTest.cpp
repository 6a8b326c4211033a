#include <functional>

#include <wx/notebook.h>

#include "dialogs/HisDetailDlg.h"
#include "tests/frame/FrameFixture.h"
#include "views/CardCanvas.h"

namespace
{
class HistoryDialogAnswer : public wxExpectModalBase<HisDetailDlg, HistoryDialogAnswer>
{
public:
    HistoryDialogAnswer(int answer, std::function<void(HistoryInfo*)> act) : answer(answer), act(std::move(act)) {}

protected:
    int OnInvoked(HisDetailDlg* dialog) const override
    {
        if (act)
            act(dialog->GetHistoryInfo());
        return answer;
    }

private:
    int answer;
    std::function<void(HistoryInfo*)> act;
};

class HistoryPanelTest : public FrameTest
{
protected:
    void AddHistory(int contactId, const char* time, const char* comment, int type = 0)
    {
        dir.Exec(wxString::Format("INSERT INTO contact_history(his_time, contact_id, his_type, comment) "
                                  "VALUES('%s', %d, %d, '%s')",
                                  time, contactId, type, comment));
    }

    wxListCtrl* HistoryList()
    {
        return Child<wxListCtrl>("ID_LISTCTRL_CONTACT_HISTORY");
    }

    void SelectEntry(long row)
    {
        HistoryList()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        ProcessPending();
    }

    // Enabled states of New, Edit, Delete, Copy and the list.
    std::string Buttons()
    {
        std::string states;
        for (const char* name : {"ID_BUTTON_NEW_HIS", "ID_BUTTON_EDIT_HIS", "ID_BUTTON_DEL_HIS", "ID_BUTTON_HIS_COPY",
                                 "ID_LISTCTRL_CONTACT_HISTORY"})
            states += Child(name)->IsEnabled() ? '1' : '0';
        return states;
    }

    int li = 0;
    int ng = 0;

    void Seed()
    {
        ng = AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
        li = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
        AddHistory(li, "2010-03-01 09:00:00", "Phone call", 2);
        AddHistory(li, "2010-01-01 09:00:00", "First meeting");
        AddHistory(li, "2011-05-05 09:00:00", "Lunch");
    }
};
} // namespace

TEST_F(HistoryPanelTest, ListShowsTheCurrentContactsEntriesNewestFirst)
{
    Seed();
    OpenFrame();
    wxListCtrl* list = HistoryList();
    EXPECT_EQ(0, list->GetItemCount()) << "Ng Ann has no history";
    EXPECT_EQ("10001", Buttons()) << "only New (and the list) enabled";

    SelectRow(1);
    ASSERT_EQ(3, list->GetItemCount());
    EXPECT_EQ("2011/05/05", list->GetItemText(0));
    EXPECT_EQ("Lunch", list->GetItemText(0, 1));
    EXPECT_EQ("2010/03/01", list->GetItemText(1));
    EXPECT_EQ("2010/01/01", list->GetItemText(2));
    // Even positions of the manager's (oldest first) list are coloured.
    EXPECT_EQ(wxColour(231, 223, 221), list->GetItemBackgroundColour(2));
    EXPECT_NE(wxColour(231, 223, 221), list->GetItemBackgroundColour(1));
    EXPECT_EQ(wxColour(231, 223, 221), list->GetItemBackgroundColour(0));
    wxListItem item;
    item.SetId(0);
    item.SetMask(wxLIST_MASK_IMAGE);
    list->GetItem(item);
    EXPECT_EQ(3, item.GetImage());
    EXPECT_EQ("10001", Buttons());

    SelectEntry(1);
    EXPECT_EQ("11111", Buttons());
    EXPECT_EQ("Phone call", frame->GetModel()->historyManager.GetCurrentHistory()->comment);
}

TEST_F(HistoryPanelTest, NewEntryIsDatedNowAndStoredOnOk)
{
    Seed();
    OpenFrame();
    SelectRow(1);
    wxDateTime before = wxDateTime::Now();
    before.SetMillisecond(0);
    wxTEST_DIALOG(Click("ID_BUTTON_NEW_HIS"),
                  HistoryDialogAnswer(wxID_OK,
                                      [&](HistoryInfo* h)
                                      {
                                          EXPECT_EQ(-1, h->id);
                                          EXPECT_EQ(li, h->contact_id);
                                          EXPECT_EQ("Li Wei", h->contact_name);
                                          EXPECT_EQ("", h->comment);
                                          EXPECT_EQ(0, h->his_type);
                                          EXPECT_TRUE(h->his_time.IsLaterThan(before) || h->his_time.IsEqualTo(before));
                                          h->comment = "Visit";
                                      }));
    EXPECT_EQ(4, HistoryList()->GetItemCount());
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from contact_history where comment='Visit'"));
    EXPECT_EQ(-1, HistoryList()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
    EXPECT_EQ("10001", Buttons());

    wxTEST_DIALOG(Click("ID_BUTTON_NEW_HIS"), HistoryDialogAnswer(wxID_CANCEL, nullptr));
    EXPECT_EQ(4, dir.ScalarInt("select count(*) from contact_history"));
}

TEST_F(HistoryPanelTest, EditChangesTheSelectedEntry)
{
    Seed();
    OpenFrame();
    SelectRow(1);
    wxTEST_DIALOG(Click("ID_BUTTON_EDIT_HIS"), NoDialog()); // no entry selected yet
    SelectEntry(2);
    wxTEST_DIALOG(Click("ID_BUTTON_EDIT_HIS"), HistoryDialogAnswer(wxID_OK,
                                                                   [](HistoryInfo* h)
                                                                   {
                                                                       EXPECT_EQ("First meeting", h->comment);
                                                                       EXPECT_EQ("Li Wei", h->contact_name);
                                                                       h->comment = "First meeting, coffee";
                                                                   }));
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from contact_history where comment='First meeting, coffee'"));
    EXPECT_EQ("First meeting, coffee", HistoryList()->GetItemText(2, 1));
    EXPECT_EQ("10001", Buttons()) << "the refill leaves no row selected";
    EXPECT_EQ(nullptr, frame->GetModel()->historyManager.GetCurrentHistory());
}

TEST_F(HistoryPanelTest, DeleteAsksWithTheComment)
{
    Seed();
    OpenFrame();
    SelectRow(1);
    SelectEntry(1);
    wxString message, caption;
    wxTEST_DIALOG(Click("ID_BUTTON_DEL_HIS"), MessageAnswer(wxID_NO, &message, &caption));
    EXPECT_EQ("Do you really need to delete the history item of below?\n\nPhone call", message);
    EXPECT_EQ("Confirm", caption);
    EXPECT_EQ(3, dir.ScalarInt("select count(*) from contact_history"));

    wxTEST_DIALOG(Click("ID_BUTTON_DEL_HIS"), MessageAnswer(wxID_YES, &message));
    EXPECT_EQ(0, dir.ScalarInt("select count(*) from contact_history where comment='Phone call'"));
    EXPECT_EQ(2, HistoryList()->GetItemCount());
    EXPECT_EQ("10001", Buttons());
}

TEST_F(HistoryPanelTest, CopyKeepsCommentAndTypeButIsDatedNow)
{
    Seed();
    OpenFrame();
    SelectRow(1);
    SelectEntry(1);
    wxTEST_DIALOG(Click("ID_BUTTON_HIS_COPY"), HistoryDialogAnswer(wxID_OK,
                                                                   [&](HistoryInfo* h)
                                                                   {
                                                                       EXPECT_EQ(-1, h->id);
                                                                       EXPECT_EQ("Phone call", h->comment);
                                                                       EXPECT_EQ(2, h->his_type);
                                                                       EXPECT_EQ(li, h->contact_id);
                                                                       EXPECT_EQ(wxDateTime::Today(),
                                                                                 wxDateTime(h->his_time).ResetTime());
                                                                   }));
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contact_history where comment='Phone call' and his_type=2"));
    EXPECT_EQ(4, HistoryList()->GetItemCount());
    EXPECT_EQ(wxDateTime::Today().Format("%Y/%m/%d"), HistoryList()->GetItemText(0)) << "the copy is the newest";
}

TEST_F(HistoryPanelTest, DeletingTheLastContactEmptiesTheHistory)
{
    li = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    AddHistory(li, "2010-03-01 09:00:00", "Phone call");
    OpenFrame();
    ASSERT_EQ(1, HistoryList()->GetItemCount());
    wxString message;
    wxTEST_DIALOG(Click("ID_BUTTON_DELETE"), MessageAnswer(wxID_YES, &message));
    EXPECT_EQ(0, ResultList()->GetItemCount());
    EXPECT_EQ(0, HistoryList()->GetItemCount()) << "no entries of a deleted contact";
    EXPECT_EQ(nullptr, frame->GetModel()->historyManager.GetCurrentContact());
    EXPECT_EQ("00000", Buttons());
}

TEST_F(HistoryPanelTest, ButtonsFollowTheHighlightedEntries)
{
    Seed();
    OpenFrame();
    SelectRow(1); // Li Wei, three entries: Lunch, Phone call, First meeting
    SelectEntry(1);
    EXPECT_EQ("11111", Buttons());
    HistoryList()->SetItemState(1, 0, wxLIST_STATE_SELECTED); // Ctrl-click it again
    ProcessPending();
    EXPECT_EQ("10001", Buttons());
    EXPECT_EQ(nullptr, frame->GetModel()->historyManager.GetCurrentHistory());
    wxTEST_DIALOG(Click("ID_BUTTON_DEL_HIS"), NoDialog());

    // Several highlighted: no single entry is meant, so none is acted on.
    SelectEntry(0);
    SelectEntry(2);
    EXPECT_EQ("10001", Buttons());
    HistoryList()->SetItemState(0, 0, wxLIST_STATE_SELECTED);
    ProcessPending();
    EXPECT_EQ("11111", Buttons());
    wxString message;
    wxTEST_DIALOG(Click("ID_BUTTON_DEL_HIS"), MessageAnswer(wxID_YES, &message));
    EXPECT_EQ("Do you really need to delete the history item of below?\n\nFirst meeting", message);
    EXPECT_EQ(0, dir.ScalarInt("select count(*) from contact_history where comment='First meeting'"));
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contact_history"));

    // A card click refills the list, and the buttons say so.
    SelectEntry(0);
    Child<wxNotebook>("ID_NOTEBOOK_VIEW")->SetSelection(1);
    ProcessPending();
    CardCanvas* cards = frame->GetCardCanvas();
    cards->LayoutCards(cards->GetClientSize().GetWidth());
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.SetPosition(wxPoint(20, 20)); // the first card: Ng Ann, no history
    down.SetEventObject(cards);
    cards->GetEventHandler()->ProcessEvent(down);
    ProcessPending();
    EXPECT_EQ(ng, Contacts().currentContact->id);
    EXPECT_EQ(0, HistoryList()->GetItemCount());
    EXPECT_EQ("10001", Buttons());
}
