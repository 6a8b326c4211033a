// One contact drawn as a 160 x 100 business card.
#pragma once

#include <vector>

#include <wx/bitmap.h>
#include <wx/string.h>

#include "views/BaseShape.h"

class wxDC;

class ContactInfoEx;

class CardShape : public BaseShape
{
public:
    static const int WIDTH = 160;
    static const int HEIGHT = 100;

    explicit CardShape(ContactInfoEx* contact);

    void Draw(wxDC& dc) override;

    ContactInfoEx* GetContact() const
    {
        return static_cast<ContactInfoEx*>(data);
    }

    // The star pictures for a number of history entries, with their column
    // offsets from the card's left edge.
    struct Star
    {
        wxString file;
        int offsetX;
    };
    static std::vector<Star> StarsFor(int historyCount);
    // The person picture for a contact's sex value.
    static wxString PersonImageFor(int sex);

    // Drops the pictures read so far (they are read again on the next draw).
    static void ForgetImages();

    // The texts of a card as drawn, measured once per contact texts and
    // fonts and kept across pages: a repaint, or a page shown again,
    // measures nothing.
    struct Layout
    {
        wxString key; // the texts and the font it was measured for
        wxString name;
        int namePointSize = 12;
        int nameLift = 0;
        wxString company, phone, email;
    };
    static Layout LayoutFor(wxDC& dc, const ContactInfoEx& contact);
    // How many layouts were measured (not found kept) since the start.
    static unsigned long MeasuredLayouts();

    // The text as it fits a width in the DC's font: whole, or cut after its
    // last whole character that leaves room for an ellipsis ("Zimmermann
    // Pie…"), so that cards can still be told apart.
    static wxString FitText(const wxDC& dc, const wxString& text, int width);

    // The name line as drawn: a name too long for 12-point type gets
    // smaller type, down to the size of the lines below it, before it ends
    // in an ellipsis. Leaves the font it chose in the DC; lift receives how
    // far to lower the line to keep its middle where 12-point type has it.
    static wxString FitName(wxDC& dc, const wxString& name, int* lift = nullptr);

    // Room for the name line (up to the person picture) and for the lines
    // below it (up to the card's edge).
    static constexpr int NAME_WIDTH = 118;
    static constexpr int LINE_WIDTH = WIDTH - 16;

private:
    // What this card draws from files, looked up again only when the sex or
    // the number of history entries it was looked up for has changed.
    struct Picture
    {
        wxBitmap bitmap;
        int offsetX;
        int offsetY;
    };
    std::vector<Picture> pictures;
    Layout layout;
    bool picturesLooked = false;
    int picturesSex = 0;
    int picturesHistory = 0;
};
