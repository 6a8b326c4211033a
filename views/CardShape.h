// One contact drawn as a 160 x 100 business card.
#pragma once

#include <vector>

#include <wx/bitmap.h>
#include <wx/string.h>

#include "views/BaseShape.h"

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
    bool picturesLooked = false;
    int picturesSex = 0;
    int picturesHistory = 0;
};
