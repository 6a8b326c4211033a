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

// The name fonts by point size, made once: making a font costs more than
// drawing with it.
const wxFont& NameFont(int pointSize)
{
    static std::map<int, wxFont> fonts;
    auto found = fonts.find(pointSize);
    if (found == fonts.end())
        found = fonts
                    .emplace(pointSize, wxFont(pointSize, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL,
                                               false, wxEmptyString, wxFONTENCODING_DEFAULT))
                    .first;
    return found->second;
}

// Layouts by the texts they were measured for and the font of the lines
// below the name. A bounded cache: full, it starts again.
const size_t MAX_LAYOUTS = 20000;
std::map<wxString, CardShape::Layout>& LayoutCache()
{
    static std::map<wxString, CardShape::Layout> cache;
    return cache;
}
unsigned long measuredLayouts = 0;

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
    int size = 12;
    dc.SetFont(NameFont(size));
    const int fullHeight = dc.GetCharHeight();
    const int smallest = std::max(9, wxNORMAL_FONT->GetPointSize());
    while (size > smallest && dc.GetTextExtent(name).x > NAME_WIDTH)
        dc.SetFont(NameFont(--size));
    if (lift)
        *lift = (fullHeight - dc.GetCharHeight()) / 2;
    return FitText(dc, name, NAME_WIDTH);
}

namespace
{
wxString LayoutKey(const ContactInfoEx& contact)
{
    // The font of the lines is read once: the program does not change it.
    static const wxString font = wxNORMAL_FONT->GetNativeFontInfoDesc();
    const wxUniChar separator(0x1F);
    return font + separator + contact.last_name + " " + contact.first_name + separator + contact.company + separator +
           contact.business_phone + separator + contact.email;
}
} // namespace

CardShape::Layout CardShape::LayoutFor(wxDC& dc, const ContactInfoEx& contact)
{
    const wxString key = LayoutKey(contact);
    auto& cache = LayoutCache();
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    if (cache.size() >= MAX_LAYOUTS)
        cache.clear();
    ++measuredLayouts;
    Layout measured;
    measured.key = key;
    measured.name = FitName(dc, contact.last_name + " " + contact.first_name, &measured.nameLift);
    measured.namePointSize = dc.GetFont().GetPointSize();
    dc.SetFont(*wxNORMAL_FONT);
    measured.company = FitText(dc, contact.company, LINE_WIDTH);
    measured.phone = FitText(dc, contact.business_phone, LINE_WIDTH);
    measured.email = FitText(dc, contact.email, LINE_WIDTH);
    return cache.emplace(key, measured).first->second;
}

unsigned long CardShape::MeasuredLayouts()
{
    return measuredLayouts;
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
    // off the stars below. A record edited in place gets its texts
    // measured again.
    if (layout.key.empty() || layout.key != LayoutKey(*contact))
        layout = LayoutFor(dc, *contact);
    {
        wxDCClipper clip(dc, wxRect(x + 12, y + 4, NAME_WIDTH, 24));
        // Smaller type keeps the middle of the line where 12-point type has it.
        dc.SetFont(NameFont(layout.namePointSize));
        dc.DrawText(layout.name, x + 12, y + 8 + layout.nameLift);
    }
    {
        wxDCClipper clip(dc, wxRect(x + 12, y + 26, LINE_WIDTH, 52));
        dc.SetFont(*wxNORMAL_FONT);
        dc.DrawText(layout.company, x + 12, y + 28);
        dc.DrawText(layout.phone, x + 12, y + 50);
        dc.DrawText(layout.email, x + 12, y + 64);
    }
}
