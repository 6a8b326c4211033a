#include "app/Platform.h"

#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>
#include <wx/window.h>

#ifdef __UNIX__
#include <clocale>
#include <cstring>
#endif

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

void SetToolkitLanguage(const wxString& canonicalName)
{
#ifdef __UNIX__
    // GTK translates its texts with gettext, which takes the language list
    // in LANGUAGE before the locale, but ignores it in the plain C locale;
    // C.UTF-8 is always present and lets it apply.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (messages && (std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0))
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    wxString languages = canonicalName;
    if (canonicalName.Find('_') != wxNOT_FOUND)
        languages += ":" + canonicalName.BeforeFirst('_');
    wxSetEnv("LANGUAGE", languages);
#else
    // Elsewhere the toolkit's texts follow the locale the program sets.
    wxUnusedVar(canonicalName);
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
