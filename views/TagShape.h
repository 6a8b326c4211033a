// One tag drawn as a small labelled box at a random place.
#pragma once

#include "storage/TagInfo.h"
#include "views/BaseShape.h"

// The tag cache is rebuilt by every tag list refresh while the tag shapes
// live on, so a shape keeps its own copy of the tag and points at that.
class TagShape : public BaseShape
{
public:
    explicit TagShape(TagInfo* tag);
    TagShape(const TagShape&) = delete;
    TagShape& operator=(const TagShape&) = delete;

    void Draw(wxDC& dc) override;
    int GetId() const override;

    TagInfo* GetTag() const
    {
        return static_cast<TagInfo*>(data);
    }

private:
    TagInfo tagCopy;
};
