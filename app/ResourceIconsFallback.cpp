// Temporary stand-in for the built-in icons until they are compiled in:
// plain coloured squares, so image lists keep their indices.
#include <wx/dcmemory.h>

#include "app/Platform.h"

wxBitmap Platform::LoadResourceIcon(const wxString& name)
{
    wxColour colour = name == "icon_group"            ? wxColour(90, 130, 200)
                      : name == "icon_contact_male"   ? wxColour(70, 120, 180)
                      : name == "icon_contact_female" ? wxColour(200, 90, 120)
                                                      : wxColour(120, 160, 90);
    wxBitmap bitmap(16, 16);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetBrush(wxBrush(colour));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRoundedRectangle(2, 2, 12, 12, 3);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}
