// An underlined text that opens its target: red under the mouse, purple once
// visited. Used by the about box and the import dialog.
#pragma once

#include <functional>

#include <wx/control.h>
#include <wx/cursor.h>

class wxHyperLink : public wxControl
{
public:
    // How a target is opened. Replaceable so that tests can watch what would
    // be started without starting anything.
    struct Launcher
    {
        // The open command registered for the MIME type with the target
        // substituted, or empty when there is none.
        std::function<wxString(const wxString& mimeType, const wxString& target)> openCommand;
        // Runs a command without waiting for it.
        std::function<void(const wxString& command)> execute;
        // Opens an address in the default browser (wxBROWSER_* flags).
        std::function<void(const wxString& url, int flags)> browse;
    };

    wxHyperLink();
    wxHyperLink(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0, const wxString& name = "wxHyperLink");

    bool Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0, const wxString& name = "wxHyperLink");

    void SetURL(const wxString& url)
    {
        this->url = url;
    }
    wxString GetURL() const
    {
        return url;
    }
    bool IsVisited() const
    {
        return visited;
    }

    void SetLinkColour(const wxColour& colour);
    wxColour GetLinkColour() const
    {
        return linkColour;
    }
    void SetVisitedColour(const wxColour& colour);
    wxColour GetVisitedColour() const
    {
        return visitedColour;
    }
    void SetHoverColour(const wxColour& colour)
    {
        hoverColour = colour;
    }
    wxColour GetHoverColour() const
    {
        return hoverColour;
    }
    void SetHoverCursor(const wxCursor& cursor)
    {
        hoverCursor = cursor;
    }
    wxCursor GetHoverCursor() const
    {
        return hoverCursor;
    }

    // Opens the target with the program the MIME database names for it:
    // "http://" and "ftp://" as "text/html", "mailto:" as "message/rfc822".
    // Without a registered program those three go to the default browser.
    // Anything else is not opened. Returns whether something was started.
    static bool OpenLink(const wxString& target);
    // Opens an address in the default browser through the current launcher.
    static void LaunchBrowser(const wxString& url, int flags = 0);

    // Installs a launcher (missing functions keep the default ones) and
    // returns the previous one.
    static Launcher SetLauncher(const Launcher& launcher);
    static Launcher DefaultLauncher();

    void OnPaint(wxPaintEvent& event);
    void OnEnterWindow(wxMouseEvent& event);
    void OnLeaveWindow(wxMouseEvent& event);
    void OnClick(wxMouseEvent& event);

protected:
    wxSize DoGetBestSize() const override;

private:
    wxString url;
    bool visited = false;
    wxCursor hoverCursor;
    wxColour hoverColour;
    wxColour linkColour;
    wxColour visitedColour;
    wxColour backgroundColour;
    int bestWidth = 0;
    int bestHeight = 0;

    static Launcher launcher;

    wxDECLARE_DYNAMIC_CLASS(wxHyperLink);
};
