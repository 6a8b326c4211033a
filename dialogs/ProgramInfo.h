// The program's own facts shown to the user: version, build, toolkit and the
// addresses of its web site.
#pragma once

#include <wx/string.h>

namespace ProgramInfo
{
constexpr const char* VERSION = "3.4.45.0";
constexpr const char* RELEASE = "Release";
constexpr const char* BUILD_YEAR = "2010";
constexpr const char* BUILD_MONTH = "01";
constexpr const char* BUILD_DAY = "22";

// The maker's web site, the download page and the contact address. The
// site link uses http:// because that is what the hyperlink control opens.
constexpr const char* WEB_SITE_URL = "http://www.marrowind.example/";
constexpr const char* WEB_SITE_HOST = "www.marrowind.example";
constexpr const char* DOWNLOAD_URL = "https://www.marrowind.example/corvala/download.html";
constexpr const char* CONTACT_EMAIL = "support@marrowind.example";

// "Version 3.4.45.0 Release (Build: 2010/01/22)"
wxString GetVersionLine();

// The toolkit the program runs on: "wxWidgets 3.2.2"; the long form adds the
// port and the character build: "wxWidgets 3.2.2-GTK-Unicode build".
wxString GetToolkitInfo(bool longForm);
} // namespace ProgramInfo
