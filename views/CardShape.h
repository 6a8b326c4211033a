// One contact drawn as a 160 x 100 business card.
#pragma once

#include <vector>

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
};
