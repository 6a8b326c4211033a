// The small list icons built into the executable (resources on Windows,
// embedded PNG data here).
#include <cstddef>

#include <wx/bitmap.h>
#include <wx/image.h>

#include "ResourceIconsData.h"
#include "platform/Platform.h"

namespace
{
struct ResourceIcon
{
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

const ResourceIcon resourceIcons[] = {
    {"icon_group", icon_group_png, sizeof(icon_group_png)},
    {"icon_contact_male", icon_contact_male_png, sizeof(icon_contact_male_png)},
    {"icon_contact_female", icon_contact_female_png, sizeof(icon_contact_female_png)},
    {"icon_history", icon_history_png, sizeof(icon_history_png)},
    {"icon_contact_not_stated", icon_contact_not_stated_png, sizeof(icon_contact_not_stated_png)},
};
} // namespace

wxBitmap Platform::LoadResourceIcon(const wxString& name)
{
    for (const ResourceIcon& icon : resourceIcons)
    {
        if (name != icon.name)
            continue;
        // The frame may ask before the application registers every image
        // handler; decoding needs only the PNG one.
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
            wxImage::AddHandler(new wxPNGHandler);
        return wxBitmap::NewFromPNGData(icon.data, icon.size);
    }
    return wxBitmap();
}
