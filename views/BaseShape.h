// Something a graphic view can draw: a rectangle with hover and selection
// state and the record it shows (borrowed, never deleted here).
#pragma once

#include <wx/gdicmn.h>

class wxDC;

class BaseShape
{
public:
    explicit BaseShape(void* data = nullptr) : data(data) {}
    virtual ~BaseShape()
    {
        data = nullptr;
    }

    virtual void Draw(wxDC& dc) = 0;
    virtual void MoveBy(int dx, int dy)
    {
        x += dx;
        y += dy;
    }
    virtual int GetId() const
    {
        return -1;
    }

    wxRect GetRect() const
    {
        return wxRect(x, y, width, height);
    }

    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool highlighted = false;
    bool selected = false;
    void* data = nullptr;
};
