// The business card view: the contacts of the current page as cards in a
// grid that reflows with the window. Pointing highlights a card, clicking
// selects it (and makes its contact current), double-clicking edits it and
// right-clicking opens the contact menu: each of these is a ContactEvent
// posted up to the window that shows the view.
#pragma once

#include <wx/dynarray.h>
#include <wx/scrolwin.h>

class CardShape;
class ContactInfoEx;
class ContactManager;
class ShapeManager;

class CardCanvas : public wxScrolledWindow
{
public:
    static const int COLUMN_PITCH = 170;
    static const int ROW_PITCH = 110;
    static const int MARGIN = 10;
    static const int SCROLL_UNIT = 22;
    static const int UNITS_PER_ROW = 5;

    explicit CardCanvas(wxWindow* parent);

    void SetShapeManager(ShapeManager* manager);
    // Read for the current contact: a click on the card that already is the
    // only selection and the current contact asks for nothing.
    void SetContactManager(const ContactManager* manager);

    // Rows used by the last paint: one more than the number of full rows.
    int GetRowCount() const
    {
        return rowCount;
    }
    // Places the cards for a client width; returns the row count.
    int LayoutCards(int clientWidth);

    CardShape* GetSelectedCard();
    CardShape* GetHighlightedCard();

    // Marks the cards of the window's selected contacts (ContactInfoEx
    // pointers) as selected and no other, so the cards agree with the list.
    void ShowSelection(const wxArrayPtrVoid& contacts);
    // The shape manager rebuilt its cards: settle the scroll range for them
    // and repaint.
    void CardsChanged();

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnRightUp(wxMouseEvent& event);

private:
    // The card under a point given in window coordinates, or null.
    CardShape* HitTestAt(const wxPoint& windowPoint);
    // The first part of every click: focus, select, report. Returns the card
    // under the pointer (null for empty space).
    CardShape* SelectAt(const wxPoint& windowPoint);
    void RefreshCard(CardShape* card);
    // Sends a ContactEvent up the window tree; true when it was handled.
    bool Post(wxEventType type, ContactInfoEx* contact);
    // Lays the cards out for the client width and sets the scroll range for
    // their rows, so the next paint draws at the offset the bars show.
    void SettleScrollRange();
    // The remembered cards die with every rebuild of the shape manager.
    void DropStaleCards();

    const ContactManager* contactManager;
    ShapeManager* shapeManager;
    // How many contacts the last ShowSelection named.
    size_t shownCount;
    CardShape* previousSelected;
    CardShape* selected;
    CardShape* previousHighlighted;
    CardShape* highlighted;
    int rowCount;
    unsigned cardGeneration;
};
