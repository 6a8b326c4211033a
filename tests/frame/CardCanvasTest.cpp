// The business card view inside the real main window: layout, scrolling,
// hover, selection, double click and the context menu.
#include <algorithm>
#include <functional>
#include <vector>

#include <wx/file.h>
#include <wx/notebook.h>

#include "dialogs/ContactEditDlg.h"
#include "tests/frame/FrameFixture.h"
#include "views/CardCanvas.h"
#include "views/ShapeManager.h"

namespace
{
class EditAnswer : public wxExpectModalBase<ContactEditDlg, EditAnswer>
{
public:
    EditAnswer(int answer, int* shown, std::function<void(ContactInfoEx*)> act = nullptr)
        : answer(answer), shown(shown), act(std::move(act))
    {
    }

protected:
    int OnInvoked(ContactEditDlg* dialog) const override
    {
        ++*shown;
        if (act)
            act(dialog->GetContact());
        return answer;
    }

private:
    int answer;
    int* shown;
    std::function<void(ContactInfoEx*)> act;
};

class CardCanvasTest : public FrameTest
{
protected:
    CardCanvas* OpenCards(int contacts)
    {
        AddNumberedContacts(contacts);
        OpenFrame();
        frame->SetClientSize(1000, 700);
        Child<wxNotebook>("ID_NOTEBOOK_VIEW")->SetSelection(1);
        ProcessPending();
        canvas = frame->GetCardCanvas();
        return canvas;
    }

    ShapeManager& Shapes()
    {
        return frame->GetModel()->shapeManager;
    }

    // Sends a mouse event at a window position of the canvas.
    void Mouse(wxEventType type, int x, int y)
    {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, y));
        event.SetEventObject(canvas);
        canvas->GetEventHandler()->ProcessEvent(event);
        ProcessPending();
    }

    CardCanvas* canvas = nullptr;
};
} // namespace

TEST_F(CardCanvasTest, CardsFlowIntoColumnsOfTheClientWidth)
{
    OpenCards(5);
    ASSERT_TRUE(canvas);
    ASSERT_EQ(5u, Shapes().cardShapes.GetCount());

    EXPECT_EQ(3, canvas->LayoutCards(400)) << "two columns, three rows (one more than the full rows)";
    const int expected[5][2] = {{10, 10}, {180, 10}, {10, 120}, {180, 120}, {10, 230}};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(expected[i][0], Shapes().cardShapes[i]->x) << "card " << i;
        EXPECT_EQ(expected[i][1], Shapes().cardShapes[i]->y) << "card " << i;
    }
    EXPECT_EQ(2, canvas->LayoutCards(5 * 170)) << "one full row leaves room for one empty row";
    EXPECT_EQ(6, canvas->LayoutCards(100)) << "under 170 pixels: one column, no division by zero";
    EXPECT_EQ(10, Shapes().cardShapes[4]->x);
    EXPECT_EQ(450, Shapes().cardShapes[4]->y);
}

TEST_F(CardCanvasTest, PaintSetsTheScrollRangeFromTheRows)
{
    OpenCards(30);
    int unitX = 0, unitY = 0;
    canvas->Refresh();
    canvas->Update();
    ProcessPending();
    const int columns = std::max(1, canvas->GetClientSize().GetWidth() / 170);
    const int rows = 30 / columns + 1;
    EXPECT_EQ(rows, canvas->GetRowCount()) << columns << " columns";
    canvas->GetScrollPixelsPerUnit(&unitX, &unitY);
    EXPECT_EQ(22, unitY);
    EXPECT_EQ(rows * 5 * 22, canvas->GetVirtualSize().GetHeight());
}

TEST_F(CardCanvasTest, ClicksHitCardsThroughTheScrollOffsetAndMakeThemCurrent)
{
    OpenCards(30);
    canvas->Refresh();
    canvas->Update();
    ProcessPending();
    canvas->Scroll(0, 10); // 220 pixels down
    ProcessPending();
    const wxString templatePath = dir.Path() + "/names.html";
    wxFile(templatePath, wxFile::write).Write("<p>$last_name$</p>");
    frame->GetDetailPane()->LoadDetailTemplate(templatePath);

    // Window (20, 20) is logical (20, 240): the first card of the third row.
    const size_t columns = std::max(1, canvas->GetClientSize().GetWidth() / 170);
    ASSERT_GE(columns, 2u) << "the test needs two columns";
    Mouse(wxEVT_LEFT_DOWN, 20, 20);
    CardShape* card = canvas->GetSelectedCard();
    ASSERT_TRUE(card);
    EXPECT_EQ(Shapes().cardShapes[2 * columns], card);
    ContactInfoEx* contact = static_cast<ContactInfoEx*>(card->data);
    EXPECT_EQ(contact, Contacts().currentContact);
    EXPECT_EQ(contact, frame->GetModel()->historyManager.GetCurrentContact());
    EXPECT_EQ("<p>" + contact->last_name + "</p>", DetailSource()) << "the detail page shows the card";

    Mouse(wxEVT_LEFT_DOWN, 175, 20); // between two cards
    EXPECT_EQ(card, canvas->GetSelectedCard()) << "empty space changes nothing";

    Mouse(wxEVT_LEFT_DOWN, 200, 20);
    EXPECT_EQ(Shapes().cardShapes[2 * columns + 1], canvas->GetSelectedCard());
    EXPECT_FALSE(card->selected) << "the previous card lost its selection";
}

TEST_F(CardCanvasTest, HoverKeepsTheLastCardUntilAnotherIsPointedAt)
{
    OpenCards(4);
    canvas->LayoutCards(canvas->GetClientSize().GetWidth());
    Mouse(wxEVT_MOTION, 50, 50);
    CardShape* first = Shapes().cardShapes[0];
    EXPECT_TRUE(first->highlighted);
    Mouse(wxEVT_MOTION, 5, 5);
    EXPECT_TRUE(first->highlighted) << "empty space keeps the highlight";
    Mouse(wxEVT_MOTION, 220, 50);
    EXPECT_FALSE(first->highlighted);
    EXPECT_TRUE(Shapes().cardShapes[1]->highlighted);
}

TEST_F(CardCanvasTest, RebuiltCardsAreNeverTouchedThroughOldPointers)
{
    OpenCards(60);
    canvas->LayoutCards(canvas->GetClientSize().GetWidth());
    Mouse(wxEVT_MOTION, 50, 50);
    Mouse(wxEVT_LEFT_DOWN, 50, 50);
    ASSERT_TRUE(canvas->GetSelectedCard());
    Click("ID_BUTTON_NEXTPAGE"); // rebuilds every card
    EXPECT_EQ(Shapes().cardShapes[0], canvas->GetSelectedCard()) << "the new page's current contact";
    EXPECT_EQ(nullptr, canvas->GetHighlightedCard());
    canvas->LayoutCards(canvas->GetClientSize().GetWidth());
    // Under AddressSanitizer a stale pointer would show here.
    Mouse(wxEVT_MOTION, 220, 50);
    Mouse(wxEVT_LEFT_DOWN, 220, 50);
    EXPECT_EQ(Shapes().cardShapes[1], canvas->GetSelectedCard());
}

TEST_F(CardCanvasTest, CardClickMakesItsContactTheOnlySelection)
{
    OpenCards(5);
    canvas->LayoutCards(canvas->GetClientSize().GetWidth());
    ASSERT_GE(canvas->GetClientSize().GetWidth() / 170, 3) << "the test needs three columns";
    // Two rows selected in the hidden list show as two selected cards.
    SelectRow(0);
    SelectRow(1, false);
    EXPECT_TRUE(Shapes().cardShapes[0]->selected && Shapes().cardShapes[1]->selected);

    ContactInfoEx* clicked = Shapes().cardShapes[2]->GetContact();
    const int clickedId = clicked->id;
    const wxString name = clicked->last_name + " " + clicked->first_name;
    Mouse(wxEVT_LEFT_DOWN, 2 * 170 + 20, 20);
    EXPECT_EQ(std::vector<long>{2}, SelectedRows()) << "the list highlights the card's row only";
    ASSERT_EQ(1u, frame->GetSelection().GetCount());
    EXPECT_EQ(clicked, frame->GetSelection()[0]);
    EXPECT_EQ(clicked, Contacts().currentContact);
    EXPECT_FALSE(Shapes().cardShapes[0]->selected || Shapes().cardShapes[1]->selected);

    // The context menu's Delete asks for and removes the clicked contact only.
    wxString asked;
    wxTEST_DIALOG(Menu(frame->GetIds().ID_POPUP_DELETE), MessageAnswer(wxID_YES, &asked));
    EXPECT_TRUE(asked.EndsWith(name)) << asked;
    EXPECT_EQ(0, dir.ScalarInt(wxString::Format("select count(*) from contacts where id=%d", clickedId)));
    EXPECT_EQ(4, dir.ScalarInt("select count(*) from contacts"));
}

TEST_F(CardCanvasTest, ResizeSettlesTheScrollRangeBeforePainting)
{
    OpenCards(60);
    canvas->Refresh();
    canvas->Update();
    ProcessPending();
    canvas->Scroll(0, 10);
    ProcessPending();
    const int columnsBefore = canvas->GetClientSize().GetWidth() / 170;
    // No paint may run until the check: the range must not wait for one.
    canvas->Freeze();
    frame->SetClientSize(frame->GetClientSize().GetWidth() + 400, 700);
    const int cards = static_cast<int>(Shapes().cardShapes.GetCount());
    auto rows = [&]() { return cards / std::max(1, canvas->GetClientSize().GetWidth() / 170) + 1; };
    EXPECT_TRUE(WaitFor(
        [&]() { return canvas->GetClientSize().GetWidth() / 170 != columnsBefore && canvas->GetRowCount() == rows(); }))
        << "rows " << canvas->GetRowCount() << " for a width of " << canvas->GetClientSize().GetWidth();
    EXPECT_EQ(rows() * 5 * 22, canvas->GetVirtualSize().GetHeight());
    EXPECT_EQ(0, canvas->GetViewStart().y) << "the first row is at the top, where the bar is";
    canvas->Thaw();
}

TEST_F(CardCanvasTest, DoubleClickEditsEvenAnAlreadySelectedCard)
{
    OpenCards(3);
    canvas->LayoutCards(canvas->GetClientSize().GetWidth());
    Mouse(wxEVT_LEFT_DOWN, 50, 50);
    CardShape* card = canvas->GetSelectedCard();
    ASSERT_TRUE(card);
    const int id = static_cast<ContactInfoEx*>(card->data)->id;

    int shown = 0;
    wxTEST_DIALOG(Mouse(wxEVT_LEFT_DCLICK, 50, 50), EditAnswer(wxID_CANCEL, &shown));
    EXPECT_EQ(1, shown);

    wxTEST_DIALOG(Mouse(wxEVT_LEFT_DCLICK, 50, 50),
                  EditAnswer(wxID_OK, &shown, [](ContactInfoEx* c) { c->company = "Card Co"; }));
    EXPECT_EQ(2, shown);
    EXPECT_EQ("Card Co", dir.Scalar(wxString::Format("select company from contacts where id=%d", id)));

    wxTEST_DIALOG(Mouse(wxEVT_LEFT_DCLICK, 5, 5), NoDialog());
    wxTEST_DIALOG(Mouse(wxEVT_RIGHT_UP, 5, 5), NoDialog()); // no menu on empty space either
}
