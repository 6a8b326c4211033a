// The relation map page: an empty scrollable drawing area reserved for
// drawing tags and contacts as a map.
#pragma once

#include <wx/scrolwin.h>

class ShapeManager;

class RelationCanvas : public wxScrolledWindow
{
public:
    explicit RelationCanvas(wxWindow* parent);

    void SetShapeManager(ShapeManager* manager)
    {
        shapeManager = manager;
    }
    ShapeManager* GetShapeManager() const
    {
        return shapeManager;
    }

private:
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);

    ShapeManager* shapeManager = nullptr;

    wxDECLARE_EVENT_TABLE();
};
