#include "app/Platform.h"

#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <ctime>

namespace Platform
{
void PumpOneMessage()
{
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop && loop->Pending())
        loop->Dispatch();
}

wxString GetExecutableDir()
{
    wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    return exe.GetPath(wxPATH_GET_VOLUME);
}

wxString CwdPath(const wxString& folder, const wxString& file)
{
    wxFileName path(wxGetCwd(), file);
    if (!folder.empty())
        path.AppendDir(folder);
    return path.GetFullPath();
}

void RememberTimeZone()
{
#ifdef __UNIX__
    // While TZ is unset, glibc looks at /etc/localtime again on every
    // conversion to or from local time: reading one date from the database
    // cost 14 microseconds, most of it in that look. Naming the same file
    // lets it read the zone once. A TZ of the user's own is kept.
    if (!wxGetEnv("TZ", nullptr) && wxFileName::FileExists("/etc/localtime"))
        wxSetEnv("TZ", ":/etc/localtime");
    tzset();
#endif
}

wxBitmap LoadPicture(const wxString& file)
{
    const wxString path = CwdPath("img", file);
    if (!wxFileName::FileExists(path))
        return wxBitmap();
    wxLogNull quiet;
    wxImage image(path, wxBITMAP_TYPE_ANY);
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}
} // namespace Platform

BatchInputBlocker::BatchInputBlocker(wxWindow* keepEnabled)
{
    // wxWindowDisabler disables every top-level window except the one given;
    // disabled windows still repaint. The main window itself is disabled
    // too, so it is passed only when a dialog is the one that stays usable.
    disabler.reset(new wxWindowDisabler(keepEnabled));
}

BatchInputBlocker::~BatchInputBlocker() = default;
