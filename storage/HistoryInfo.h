#pragma once

#include <wx/datetime.h>
#include <wx/dynarray.h>
#include <wx/string.h>

class HistoryInfo
{
public:
    HistoryInfo();

    int id; // 0 when made; -1 for an entry the user is adding
    wxDateTime his_time;
    int contact_id;
    wxString contact_name; // filled by the main window for the dialog only
    wxString comment;
    int his_type;

    // What the entry held when it was loaded, so that a write can tell
    // whether another program changed or removed it since.
    bool loaded = false;
    wxDateTime readTime;
    wxString readComment;
};

WX_DEFINE_ARRAY_PTR(HistoryInfo*, HistoryInfoArray);
