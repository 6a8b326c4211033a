// One tag drawn as a small labelled box at a random place.
#pragma once

#include "views/BaseShape.h"

class TagInfo;

class TagShape : public BaseShape
{
public:
    explicit TagShape(TagInfo* tag);

    void Draw(wxDC& dc) override;
    int GetId() const override;

    TagInfo* GetTag() const
    {
        return static_cast<TagInfo*>(data);
    }
};
