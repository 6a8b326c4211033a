#pragma once

#include <wx/hashmap.h>
#include <wx/string.h>

class TagInfo
{
public:
    TagInfo(int id = -1, const wxString& name = wxEmptyString, int displayOrder = -1)
        : id(id), name(name), display_order(displayOrder)
    {
    }
    virtual ~TagInfo() = default;

    int id; // -1: not stored yet
    wxString name;
    int display_order; // -1 until stored
};

// Tag id to owned TagInfo. Its enumeration order is the order of every tag
// list in the program.
WX_DECLARE_HASH_MAP(int, TagInfo*, wxIntegerHash, wxIntegerEqual, TagMap);
