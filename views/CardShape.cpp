#include "views/CardShape.h"

#include <algorithm>
#include <map>

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/settings.h>

#include "platform/Platform.h"
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
    return wxString::Format("User_s24_0%d.png", SexPictureNumber(sex));
}

void CardShape::ForgetImages()
{
    ImageCache().clear();
}

namespace
{
// Marks drawn on the character before them, and joiners: a text is never
// cut in front of one.
bool ClingsToPrevious(wxUniChar c)
{
    const wxUint32 code = c.GetValue();
    return (code >= 0x0300 && code <= 0x036F) || (code >= 0x1AB0 && code <= 0x1AFF) ||
           (code >= 0x20D0 && code <= 0x20FF) || (code >= 0xFE00 && code <= 0xFE0F) ||
           (code >= 0xFE20 && code <= 0xFE2F) || code == 0x200D || code == 0x3099 || code == 0x309A;
}
} // namespace

wxString CardShape::FitText(const wxDC& dc, const wxString& text, int width)
{
    if (dc.GetTextExtent(text).x <= width)
        return text;
    const wxString ellipsis(wxUniChar(0x2026));
    // The longest run of leading characters that leaves room for the
    // ellipsis; the extent grows with the length, so halving finds it.
    size_t fits = 0, tooLong = text.length();
    while (tooLong - fits > 1)
    {
        const size_t middle = (fits + tooLong) / 2;
        if (dc.GetTextExtent(text.substr(0, middle) + ellipsis).x <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    while (fits > 0 && fits < text.length() && ClingsToPrevious(text[fits]))
        --fits;
    wxString kept = text.substr(0, fits);
    kept.Trim(true);
    return kept + ellipsis;
}

wxString CardShape::FitName(wxDC& dc, const wxString& name, int* lift)
{
    wxFont font(12, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxEmptyString,
                wxFONTENCODING_DEFAULT);
    dc.SetFont(font);
    const int fullHeight = dc.GetCharHeight();
    const int smallest = std::max(9, wxNORMAL_FONT->GetPointSize());
    while (font.GetPointSize() > smallest && dc.GetTextExtent(name).x > NAME_WIDTH)
    {
        font.SetPointSize(font.GetPointSize() - 1);
        dc.SetFont(font);
    }
    if (lift)
        *lift = (fullHeight - dc.GetCharHeight()) / 2;
    return FitText(dc, name, NAME_WIDTH);
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

    // Long texts end in an ellipsis short of the person picture and the
    // card's edge (so no letter is cut); the clipping only keeps the lines
    // off the stars below.
    {
        wxDCClipper clip(dc, wxRect(x + 12, y + 4, NAME_WIDTH, 24));
        // Smaller type keeps the middle of the line where 12-point type has it.
        int lift = 0;
        const wxString name = FitName(dc, contact->last_name + " " + contact->first_name, &lift);
        dc.DrawText(name, x + 12, y + 8 + lift);
    }
    {
        wxDCClipper clip(dc, wxRect(x + 12, y + 26, LINE_WIDTH, 52));
        dc.SetFont(*wxNORMAL_FONT);
        dc.DrawText(FitText(dc, contact->company, LINE_WIDTH), x + 12, y + 28);
        dc.DrawText(FitText(dc, contact->business_phone, LINE_WIDTH), x + 12, y + 50);
        dc.DrawText(FitText(dc, contact->email, LINE_WIDTH), x + 12, y + 64);
    }
}
