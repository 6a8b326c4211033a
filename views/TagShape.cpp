#include "views/TagShape.h"

#include <cstdlib>

#include <wx/dc.h>

#include "storage/TagInfo.h"

TagShape::TagShape(TagInfo* tag) : BaseShape(nullptr)
{
    if (tag)
    {
        tagCopy = *tag;
        data = &tagCopy;
    }
    // y is drawn first: the order of the two rand() calls places the box.
    y = rand() % 400;
    x = rand() % 400;
    width = 80;
    height = 20;
}

int TagShape::GetId() const
{
    TagInfo* tag = GetTag();
    return tag ? tag->id : -1;
}

void TagShape::Draw(wxDC& dc)
{
    dc.SetPen(*wxGREY_PEN);
    dc.SetBrush(*wxCYAN_BRUSH);
    if (highlighted)
        dc.SetBrush(*wxWHITE_BRUSH);
    if (selected)
        dc.SetBrush(*wxGREEN_BRUSH);
    dc.SetFont(*wxNORMAL_FONT);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    if (highlighted)
        dc.SetPen(*wxBLACK_DASHED_PEN);
    if (selected)
        dc.SetPen(*wxBLACK_PEN);
    dc.DrawRectangle(x, y, width, height);
    dc.DrawText("TagName", x + 2, y + 2);
}
