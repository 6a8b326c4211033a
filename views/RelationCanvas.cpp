#include "views/RelationCanvas.h"

#include <wx/dcclient.h>

wxBEGIN_EVENT_TABLE(RelationCanvas, wxScrolledWindow) EVT_PAINT(RelationCanvas::OnPaint) wxEND_EVENT_TABLE()

    RelationCanvas::RelationCanvas(wxWindow* parent)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL)
{
    SetScrollbars(20, 20, 100, 100);
    Bind(wxEVT_LEFT_DOWN, &RelationCanvas::OnMouse, this);
    Bind(wxEVT_LEFT_UP, &RelationCanvas::OnMouse, this);
    Bind(wxEVT_MOTION, &RelationCanvas::OnMouse, this);
    Bind(wxEVT_LEFT_DCLICK, &RelationCanvas::OnMouse, this);
}

void RelationCanvas::OnPaint(wxPaintEvent&)
{
    // Nothing is drawn, but the paint cycle must complete or the window
    // keeps asking to be painted.
    wxPaintDC dc(this);
    DoPrepareDC(dc);
}

void RelationCanvas::OnMouse(wxMouseEvent&)
{
    // The map takes no mouse input yet: the events end here.
}
