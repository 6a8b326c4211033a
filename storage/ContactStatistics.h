#pragma once

#include <wx/datetime.h>
#include <wx/dynarray.h>
#include <wx/string.h>

class ContactStatistics
{
public:
    int total = 0;
    int male = 0;
    int female = 0;
    int age30Plus = 0;
    int age30Minus = 0;

    // Neither male nor female.
    int NotStated() const
    {
        return total - male - female;
    }
};

class RecentContact
{
public:
    wxString name; // "last_name first_name"
    wxString comment;
    wxDateTime his_time;
};

// The caller owns the RecentContact objects it receives.
WX_DEFINE_ARRAY_PTR(RecentContact*, RecentContactArray);
