// Where the main window goes at start-up, from the position and client size
// stored when it last closed.
#pragma once

#include <wx/gdicmn.h>

class WindowPlacement
{
public:
    // The position and client size for a window stored at (x, y) with a
    // client area of w by h, on the displays there are now; decorations is
    // what the window adds around its client area (menu, tool and status
    // bars, borders).
    static wxRect Fit(long x, long y, long w, long h, const wxSize& decorations);
};
