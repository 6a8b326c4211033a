#include "views/CardCanvas.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "storage/ContactManager.h"
#include "views/ContactEvent.h"
#include "views/ShapeManager.h"

CardCanvas::CardCanvas(wxWindow* parent)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL),
      contactManager(nullptr), shapeManager(nullptr), shownCount(0), previousSelected(nullptr), selected(nullptr),
      previousHighlighted(nullptr), highlighted(nullptr), rowCount(1), cardGeneration(0)
{
    SetScrollbars(20, 20, 0, 100);
    SetBackgroundStyle(wxBG_STYLE_PAINT);

    Bind(wxEVT_PAINT, &CardCanvas::OnPaint, this);
    Bind(wxEVT_SIZE, &CardCanvas::OnSize, this);
    Bind(wxEVT_MOTION, &CardCanvas::OnMouseMove, this);
    Bind(wxEVT_LEFT_DOWN, &CardCanvas::OnLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &CardCanvas::OnLeftDClick, this);
    Bind(wxEVT_RIGHT_UP, &CardCanvas::OnRightUp, this);
}

void CardCanvas::SetContactManager(const ContactManager* manager)
{
    contactManager = manager;
}

void CardCanvas::SetShapeManager(ShapeManager* manager)
{
    shapeManager = manager;
    cardGeneration = manager ? manager->GetCardGeneration() : 0;
    previousSelected = selected = previousHighlighted = highlighted = nullptr;
}

void CardCanvas::DropStaleCards()
{
    if (shapeManager && shapeManager->GetCardGeneration() != cardGeneration)
    {
        cardGeneration = shapeManager->GetCardGeneration();
        previousSelected = selected = previousHighlighted = highlighted = nullptr;
    }
}

CardShape* CardCanvas::GetSelectedCard()
{
    DropStaleCards();
    return selected;
}

CardShape* CardCanvas::GetHighlightedCard()
{
    DropStaleCards();
    return highlighted;
}

int CardCanvas::LayoutCards(int clientWidth)
{
    // Narrower than one column still shows one column.
    const int columns = wxMax(1, clientWidth / COLUMN_PITCH);
    int column = 1;
    int y = MARGIN;
    int rows = 1;
    int drawn = 0;
    if (!shapeManager)
        return rows;
    for (CardShape* card : shapeManager->cardShapes)
    {
        card->x = column * COLUMN_PITCH - 160;
        card->y = y;
        ++drawn;
        if (drawn % columns == 0)
        {
            ++rows;
            column = 1;
            y += ROW_PITCH;
        }
        else
            ++column;
    }
    return rows;
}

void CardCanvas::SettleScrollRange()
{
    DropStaleCards();
    const int rows = LayoutCards(GetClientSize().GetWidth());
    if (rows == rowCount)
        return;
    rowCount = rows;
    // A new row count starts again at the top.
    SetScrollbars(0, SCROLL_UNIT, 0, rows * UNITS_PER_ROW, 0, 0, true);
    Refresh();
}

void CardCanvas::CardsChanged()
{
    SettleScrollRange();
    Refresh();
}

void CardCanvas::OnPaint(wxPaintEvent&)
{
    // Normally settled by the size handler or the card rebuild already;
    // settling here, before the context takes its offset, keeps a paint
    // that comes first from drawing at an offset the bars no longer show.
    SettleScrollRange();

    wxPaintDC dc(this);
    PrepareDC(dc);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();

    // Only the cards in the part to be painted are drawn.
    if (shapeManager)
    {
        wxRect damaged = GetUpdateRegion().GetBox();
        damaged.SetPosition(CalcUnscrolledPosition(damaged.GetPosition()));
        for (CardShape* card : shapeManager->cardShapes)
        {
            if (card->GetRect().Intersects(damaged))
                card->Draw(dc);
        }
    }
}

void CardCanvas::OnSize(wxSizeEvent& event)
{
    SettleScrollRange();
    const wxSize size = GetClientSize();
    RefreshRect(wxRect(0, 0, size.GetWidth(), size.GetHeight()), true);
    event.Skip();
}

CardShape* CardCanvas::HitTestAt(const wxPoint& windowPoint)
{
    if (!shapeManager)
        return nullptr;
    // Cards rebuilt since the last paint still stand at (0, 0): place them
    // first, so a click before the repaint hits the card the user sees.
    LayoutCards(GetClientSize().GetWidth());
    const wxPoint logical = CalcUnscrolledPosition(windowPoint);
    return shapeManager->HitTest(wxRect(logical.x - 2, logical.y - 2, 4, 4));
}

void CardCanvas::RefreshCard(CardShape* card)
{
    const wxPoint topLeft = CalcScrolledPosition(wxPoint(card->x, card->y));
    RefreshRect(wxRect(topLeft.x, topLeft.y, card->width, card->height), true);
}

void CardCanvas::OnMouseMove(wxMouseEvent& event)
{
    DropStaleCards();
    CardShape* card = HitTestAt(event.GetPosition());
    if (!card)
    {
        SetCursor(wxCursor(wxCURSOR_ARROW));
        return;
    }
    SetCursor(wxCursor(wxCURSOR_HAND));
    if (card->highlighted)
        return;
    card->highlighted = true;
    highlighted = card;
    if (card != previousHighlighted)
    {
        if (previousHighlighted)
        {
            previousHighlighted->highlighted = false;
            RefreshCard(previousHighlighted);
        }
        previousHighlighted = card;
    }
    RefreshCard(card);
}

CardShape* CardCanvas::SelectAt(const wxPoint& windowPoint)
{
    SetFocus();
    DropStaleCards();
    CardShape* card = HitTestAt(windowPoint);
    if (!card)
        return card;
    ContactInfoEx* contact = card->GetContact();
    // A card that is selected among others (mirrored from the list) is not
    // yet the one contact every command acts on.
    if (card->selected && selected == card && contactManager && contactManager->currentContact == contact &&
        shownCount == 1)
        return card;

    // The window highlights the contact's row, makes it current and shows
    // it; its selection comes back through ShowSelection.
    if (!Post(EVT_CONTACT_SELECT, contact))
    {
        wxArrayPtrVoid only;
        only.Add(contact);
        ShowSelection(only);
    }
    return card;
}

bool CardCanvas::Post(wxEventType type, ContactInfoEx* contact)
{
    ContactEvent event(type, contact);
    event.SetEventObject(this);
    return ProcessWindowEvent(event);
}

void CardCanvas::ShowSelection(const wxArrayPtrVoid& contacts)
{
    shownCount = contacts.GetCount();
    DropStaleCards();
    if (!shapeManager)
        return;
    CardShape* last = nullptr;
    for (CardShape* card : shapeManager->cardShapes)
    {
        const bool select = contacts.Index(card->data) != wxNOT_FOUND;
        if (select)
            last = card;
        if (card->selected == select)
            continue;
        card->selected = select;
        RefreshCard(card);
    }
    selected = previousSelected = last;
}

void CardCanvas::OnLeftDown(wxMouseEvent& event)
{
    SelectAt(event.GetPosition());
}

void CardCanvas::OnLeftDClick(wxMouseEvent& event)
{
    CardShape* card = SelectAt(event.GetPosition());
    if (!card || !card->data)
        return;
    Post(EVT_CONTACT_EDIT, static_cast<ContactInfoEx*>(card->data));
}

void CardCanvas::OnRightUp(wxMouseEvent& event)
{
    if (CardShape* card = SelectAt(event.GetPosition()))
        Post(EVT_CONTACT_MENU, card->GetContact());
}
