// The about box: pictures, version and toolkit lines, the web site link and a
// button to the download page.
#pragma once

#include <wx/dialog.h>

class AboutDlg : public wxDialog
{
public:
    explicit AboutDlg(wxWindow* parent, wxWindowID id = wxID_ANY);

    void OnBitmapButtonDownloadClick(wxCommandEvent& event);
};
