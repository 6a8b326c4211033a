#include "frame/MyHtmlWin.h"

#include <wx/utils.h>

namespace
{
MyHtmlWin::LinkOpener& Opener()
{
    static MyHtmlWin::LinkOpener opener;
    return opener;
}
} // namespace

MyHtmlWin::MyHtmlWin(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                     const wxString& name)
    : wxHtmlWindow(parent, id, pos, size, style, name), parentWindow(parent)
{
}

void MyHtmlWin::OnLinkClicked(const wxHtmlLinkInfo& link)
{
    if (!parentWindow)
        return;
    if (Opener())
        Opener()(link.GetHref());
    else
        wxLaunchDefaultBrowser(link.GetHref());
}

void MyHtmlWin::SetLinkOpener(LinkOpener opener)
{
    Opener() = std::move(opener);
}
