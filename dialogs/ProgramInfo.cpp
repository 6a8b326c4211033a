#include "dialogs/ProgramInfo.h"

#include <wx/platinfo.h>
#include <wx/utils.h>
#include <wx/versioninfo.h>

namespace ProgramInfo
{
wxString GetVersionLine()
{
    return wxString("Version ") + VERSION + " " + RELEASE + " (Build: " + BUILD_YEAR + "/" + BUILD_MONTH + "/" +
           BUILD_DAY + ")";
}

wxString GetToolkitInfo(bool longForm)
{
    // The library actually loaded, not the headers compiled against.
    wxString info = wxGetLibraryVersionInfo().GetVersionString();
    if (!longForm)
        return info;

    const wxPlatformInfo& platform = wxPlatformInfo::Get();
    wxString port;
    if (platform.GetPortId() == wxPORT_MSW)
        port = "Windows";
    else
    {
        port = platform.GetPortIdName();
        if (port.StartsWith("wx"))
            port = port.Mid(2);
    }
    info << "-" << port;
#if wxUSE_UNICODE
    info << "-Unicode build";
#else
    info << "-ANSI build";
#endif
    return info;
}
} // namespace ProgramInfo
