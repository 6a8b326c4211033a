#include "frame/FrameImages.h"

#include <wx/image.h>

#include "platform/Platform.h"

namespace FrameImages
{
namespace
{
wxBitmap Blank(int size)
{
    wxImage image(size, size);
    image.InitAlpha();
    memset(image.GetAlpha(), 0, size * size);
    return wxBitmap(image);
}
} // namespace

wxBitmap Load(const wxString& file, int size)
{
    wxBitmap picture = Platform::LoadPicture(file);
    return picture.IsOk() ? picture : Blank(size);
}

wxBitmap ResourceIcon(const wxString& name)
{
    wxBitmap icon = Platform::LoadResourceIcon(name);
    if (icon.IsOk() && icon.GetWidth() == 16 && icon.GetHeight() == 16)
        return icon;
    if (icon.IsOk())
        return wxBitmap(icon.ConvertToImage().Rescale(16, 16, wxIMAGE_QUALITY_HIGH));
    return Blank(16);
}
} // namespace FrameImages
