#include "platform/Platform.h"

#include <wx/app.h>
#include <wx/config.h>
#include <wx/evtloop.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <ctime>

#ifdef __UNIX__
#include <clocale>
#include <cstring>
#endif

namespace
{
#ifndef __WINDOWS__
// The toolkit logs a failed write of the settings file, and its own last
// write comes after the application object is gone, when the log can no
// longer be shown and the program crashes.
class QuietFileConfig : public wxFileConfig
{
public:
    using wxFileConfig::wxFileConfig;

    bool Flush(bool currentOnly = false) override
    {
        wxLogNull quiet;
        return wxFileConfig::Flush(currentOnly);
    }
};
#endif
} // namespace

namespace Platform
{
wxConfigBase* CreateConfiguration(const wxString& localFile)
{
#ifdef __WINDOWS__
    (void)localFile;
    return wxConfigBase::Create();
#else
    const wxString app = wxTheApp ? wxTheApp->GetAppName() : wxString("Corvala");
    const wxString vendor = wxTheApp ? wxTheApp->GetVendorName() : wxString("Marrowind");
    if (!localFile.empty())
        return new QuietFileConfig(app, vendor, localFile, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
    return new QuietFileConfig(app, vendor);
#endif
}

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

wxString AnyCasePattern(const wxString& extension)
{
#ifdef __WXMSW__
    return "*." + extension;
#else
    wxString pattern = "*.";
    for (wxUniChar c : extension)
    {
        const wxString lower = wxString(c).Lower(), upper = wxString(c).Upper();
        pattern += lower == upper ? lower : "[" + lower + upper + "]";
    }
    return pattern;
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
