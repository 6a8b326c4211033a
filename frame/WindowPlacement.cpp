#include "frame/WindowPlacement.h"

#include <algorithm>

#include <wx/display.h>

wxRect WindowPlacement::Fit(long x, long y, long w, long h, const wxSize& decorations)
{
    // The stored numbers may be anything: first a range in which nothing
    // below can overflow.
    const long LIMIT = 1000000;
    x = std::clamp(x, -LIMIT, LIMIT);
    y = std::clamp(y, -LIMIT, LIMIT);
    w = std::clamp(w, 1L, LIMIT);
    h = std::clamp(h, 1L, LIMIT);

    // A position saved on a display that is gone would put the window out
    // of reach: its title bar must lie on some display.
    const wxPoint titleBar(static_cast<int>(x + std::min(w, 200L) / 2), static_cast<int>(y + 10));
    int display = wxDisplay::GetFromPoint(titleBar);
    if (display == wxNOT_FOUND)
    {
        x = 40;
        y = 40;
        display = wxDisplay::GetFromPoint(wxPoint(40, 40));
    }
    // Then the window is made to fit that display: no larger than it, and
    // not hanging off its edges.
    if (display == wxNOT_FOUND && wxDisplay::GetCount() > 0)
        display = 0;
    if (display != wxNOT_FOUND)
    {
        const wxRect area = wxDisplay(static_cast<unsigned>(display)).GetClientArea();
        const wxSize& frame = decorations;
        w = std::min(w, static_cast<long>(std::max(1, area.width - frame.x)));
        h = std::min(h, static_cast<long>(std::max(1, area.height - frame.y)));
        x = std::clamp(x, static_cast<long>(area.x), std::max<long>(area.x, area.GetRight() + 1 - (w + frame.x)));
        y = std::clamp(y, static_cast<long>(area.y), std::max<long>(area.y, area.GetBottom() + 1 - (h + frame.y)));
    }
    return wxRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h));
}
