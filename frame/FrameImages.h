// Pictures of the main window, read from img/ below the working directory.
// A missing file gives an empty transparent picture of the expected size,
// so toolbars and image lists keep their layout.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

namespace FrameImages
{
wxBitmap Load(const wxString& file, int size);
// One of the built-in 16 x 16 icons.
wxBitmap ResourceIcon(const wxString& name);
} // namespace FrameImages
