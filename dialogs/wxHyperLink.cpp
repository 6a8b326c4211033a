#include "dialogs/wxHyperLink.h"

#include <wx/dcclient.h>
#include <wx/log.h>
#include <wx/mimetype.h>
#include <wx/utils.h>

#include <memory>

wxIMPLEMENT_DYNAMIC_CLASS(wxHyperLink, wxControl);

wxHyperLink::Launcher wxHyperLink::launcher = wxHyperLink::DefaultLauncher();

wxHyperLink::wxHyperLink() = default;

wxHyperLink::wxHyperLink(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos, const wxSize& size,
                         long style, const wxString& name)
{
    Create(parent, id, label, pos, size, style, name);
}

bool wxHyperLink::Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos, const wxSize& size,
                         long style, const wxString& name)
{
    if (!wxControl::Create(parent, id, pos, size, style | wxNO_BORDER, wxDefaultValidator, name))
        return false;
    SetLabel(label);

    url.clear();
    visited = false;
    hoverCursor = wxCursor(wxCURSOR_HAND);
    hoverColour = wxColour("RED");
    linkColour = wxColour("BLUE");
    visitedColour = wxColour("PURPLE");
    backgroundColour = GetBackgroundColour();

    SetForegroundColour(linkColour);
    wxFont font = GetFont();
    font.SetUnderlined(true);
    SetFont(font);

    wxClientDC dc(this);
    dc.SetFont(GetFont());
    dc.GetTextExtent(GetLabel(), &bestWidth, &bestHeight);
    SetInitialSize(wxSize(bestWidth, bestHeight));

    Bind(wxEVT_PAINT, &wxHyperLink::OnPaint, this);
    Bind(wxEVT_ENTER_WINDOW, &wxHyperLink::OnEnterWindow, this);
    Bind(wxEVT_LEAVE_WINDOW, &wxHyperLink::OnLeaveWindow, this);
    Bind(wxEVT_LEFT_DOWN, &wxHyperLink::OnClick, this);
    Bind(wxEVT_LEFT_DCLICK, &wxHyperLink::OnClick, this);
    return true;
}

void wxHyperLink::SetLinkColour(const wxColour& colour)
{
    linkColour = colour;
    if (!visited)
    {
        SetForegroundColour(linkColour);
        Refresh();
    }
}

void wxHyperLink::SetVisitedColour(const wxColour& colour)
{
    visitedColour = colour;
    if (visited)
    {
        SetForegroundColour(visitedColour);
        Refresh();
    }
}

wxSize wxHyperLink::DoGetBestSize() const
{
    return wxSize(bestWidth, bestHeight);
}

void wxHyperLink::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    dc.SetFont(GetFont());
    dc.SetTextForeground(GetForegroundColour());
    dc.DrawText(GetLabel(), 0, 0);
}

void wxHyperLink::OnEnterWindow(wxMouseEvent&)
{
    SetCursor(hoverCursor);
    SetForegroundColour(hoverColour);
    Refresh();
}

void wxHyperLink::OnLeaveWindow(wxMouseEvent&)
{
    SetCursor(wxNullCursor);
    SetForegroundColour(visited ? visitedColour : linkColour);
    Refresh();
}

void wxHyperLink::OnClick(wxMouseEvent&)
{
    visited = true;
    SetForegroundColour(visitedColour);
    SetBackgroundColour(backgroundColour);
    Refresh();
    OpenLink(url.empty() ? GetLabel() : url);
}

bool wxHyperLink::OpenLink(const wxString& target)
{
    wxString mimeType;
    if (target.StartsWith("http://") || target.StartsWith("ftp://"))
        mimeType = "text/html";
    else if (target.StartsWith("mailto:"))
        mimeType = "message/rfc822";
    else
        return false;

    wxString command = launcher.openCommand(mimeType, target);
    if (command.empty())
    {
        // Desktops without a mailcap entry for the type still have a
        // default browser, which also hands mailto: to the mail program.
        launcher.browse(target, 0);
        return true;
    }
    command.Replace("file://", wxEmptyString);
    launcher.execute(command);
    return true;
}

void wxHyperLink::LaunchBrowser(const wxString& url, int flags)
{
    launcher.browse(url, flags);
}

wxHyperLink::Launcher wxHyperLink::SetLauncher(const Launcher& replacement)
{
    Launcher previous = launcher;
    Launcher defaults = DefaultLauncher();
    launcher.openCommand = replacement.openCommand ? replacement.openCommand : defaults.openCommand;
    launcher.execute = replacement.execute ? replacement.execute : defaults.execute;
    launcher.browse = replacement.browse ? replacement.browse : defaults.browse;
    return previous;
}

wxHyperLink::Launcher wxHyperLink::DefaultLauncher()
{
    Launcher defaults;
    defaults.openCommand = [](const wxString& mimeType, const wxString& target)
    {
        // A broken or missing MIME database is not worth a message box.
        wxLogNull quiet;
        std::unique_ptr<wxFileType> type(wxTheMimeTypesManager->GetFileTypeFromMimeType(mimeType));
        wxString command;
        if (!type || !type->GetOpenCommand(&command, wxFileType::MessageParameters(target, wxEmptyString)))
            return wxString();
        return command;
    };
    defaults.execute = [](const wxString& command) { wxExecute(command, wxEXEC_ASYNC); };
    defaults.browse = [](const wxString& url, int flags) { wxLaunchDefaultBrowser(url, flags); };
    return defaults;
}
