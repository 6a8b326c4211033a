#pragma once

#include <wx/string.h>

class SearchCondition
{
public:
    virtual ~SearchCondition() = default;

    int tagId = -1;    // -1: all contacts
    wxString alphabet; // last_name_alpha starts with this
    wxString keyword;  // first_name contains this
    // The find box's text: when set, the contacts any of whose texts
    // contain it, whatever the three filters above say.
    wxString find;
    int pageIndex = 1; // counted from 1
    int pageSize = 50;
    bool changed = true; // the manager's copy: the next Search must query
};
