// The detail page's HTML window: links open in the default browser and the
// page itself never navigates away.
#pragma once

#include <functional>

#include <wx/html/htmlwin.h>

class MyHtmlWin : public wxHtmlWindow
{
public:
    using LinkOpener = std::function<void(const wxString& target)>;

    MyHtmlWin(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = wxHW_SCROLLBAR_AUTO,
              const wxString& name = "htmlWindow");

    void OnLinkClicked(const wxHtmlLinkInfo& link) override;

    // Replaces the default browser call (tests); an empty function restores it.
    static void SetLinkOpener(LinkOpener opener);

private:
    wxWindow* parentWindow;
};
