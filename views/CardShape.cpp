#include "views/CardShape.h"

#include <map>

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/settings.h>

#include "app/Platform.h"
#include "storage/ContactInfoEx.h"

namespace
{
// Pictures by full path, so a change of working directory reads the other
// folder's files. An invalid bitmap remembers a missing file.
std::map<wxString, wxBitmap>& ImageCache()
{
    static std::map<wxString, wxBitmap> cache;
    return cache;
}

const wxBitmap& CardImage(const wxString& relativePath)
{
    wxString path = Platform::CwdPath("img", relativePath);
    auto& cache = ImageCache();
    auto found = cache.find(path);
    if (found != cache.end())
        return found->second;

    wxBitmap bitmap = Platform::LoadPicture(relativePath);
    if (bitmap.IsOk())
        bitmap.SetMask(new wxMask(bitmap, *wxWHITE));
    return cache.emplace(path, bitmap).first->second;
}

} // namespace

CardShape::CardShape(ContactInfoEx* contact) : BaseShape(contact)
{
    width = WIDTH;
    height = HEIGHT;
}

std::vector<CardShape::Star> CardShape::StarsFor(int historyCount)
{
    std::vector<Star> stars;
    if (historyCount == 0)
        stars.push_back({"Star_s16_00.png", 12});
    if (historyCount > 0)
        stars.push_back({"Star_s16_05.png", 12});
    if (historyCount > 5)
        stars.push_back({"Star_s16_10.png", 28});
    if (historyCount > 50)
        stars.push_back({"Star_s16_50.png", 44});
    return stars;
}

wxString CardShape::PersonImageFor(int sex)
{
    return sex != 0 ? "User_s24_01.png" : "User_s24_00.png";
}

void CardShape::ForgetImages()
{
    ImageCache().clear();
}

void CardShape::Draw(wxDC& dc)
{
    ContactInfoEx* contact = GetContact();
    if (!contact)
        return;

    wxBrush highlightBrush(wxColour(238, 238, 238), wxBRUSHSTYLE_SOLID);
    wxBrush selectedBrush(wxColour(231, 223, 221), wxBRUSHSTYLE_SOLID);
    if (selected)
        dc.SetBrush(selectedBrush);
    else if (highlighted)
        dc.SetBrush(highlightBrush);
    else
        dc.SetBrush(*wxWHITE_BRUSH);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);

    dc.SetPen(*wxGREY_PEN);
    dc.DrawRectangle(x, y, width, height);
    dc.SetPen(wxPen(wxColour(104, 132, 228), 1, wxPENSTYLE_SOLID));
    dc.DrawLine(x + 8, y + 8, x + 8, y + height - 8);
    dc.SetPen(*wxGREY_PEN);

    if (!picturesLooked || picturesSex != contact->sex || picturesHistory != contact->historyCount)
    {
        picturesLooked = true;
        picturesSex = contact->sex;
        picturesHistory = contact->historyCount;
        pictures.clear();
        auto add = [this](const wxString& file, int offsetX, int offsetY)
        {
            const wxBitmap& bitmap = CardImage(file);
            if (bitmap.IsOk())
                pictures.push_back({bitmap, offsetX, offsetY});
        };
        add(PersonImageFor(contact->sex), 132, 4);
        for (const Star& star : StarsFor(contact->historyCount))
            add(star.file, star.offsetX, 78);
    }
    for (const Picture& picture : pictures)
        dc.DrawBitmap(picture.bitmap, x + picture.offsetX, y + picture.offsetY, true);

    // Long texts stop short of the person picture and the card's edge
    // instead of running over them.
    {
        wxDCClipper clip(dc, wxRect(x + 12, y + 4, 118, 24));
        dc.SetFont(wxFont(12, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxEmptyString,
                          wxFONTENCODING_DEFAULT));
        dc.DrawText(contact->last_name + " " + contact->first_name, x + 12, y + 8);
    }
    {
        wxDCClipper clip(dc, wxRect(x + 12, y + 26, width - 16, 52));
        dc.SetFont(*wxNORMAL_FONT);
        dc.DrawText(contact->company, x + 12, y + 28);
        dc.DrawText(contact->business_phone, x + 12, y + 50);
        dc.DrawText(contact->email, x + 12, y + 64);
    }
}
