#include "platform/Autostart.h"

#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <cerrno>
#include <cstring>

namespace
{
const char* const ENTRY_NAME = "example.marrowind.Corvala.desktop";

// One argument of an Exec line: in double quotes, with the four characters
// the desktop entry format reserves inside them escaped; "%" doubled, as field
// codes start with it.
wxString QuoteArgument(const wxString& argument)
{
    wxString quoted = "\"";
    for (wxUniChar c : argument)
    {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += "\"";
    // The value of a desktop entry key escapes its backslashes once more.
    quoted.Replace("\\", "\\\\");
    return quoted;
}

// A value of a key: no line break may end the line early.
wxString KeyValue(const wxString& value)
{
    wxString escaped = value;
    escaped.Replace("\\", "\\\\");
    escaped.Replace("\n", "\\n");
    escaped.Replace("\r", "\\r");
    return escaped;
}

wxString Reason()
{
    return wxString::FromUTF8(std::strerror(errno));
}
} // namespace

namespace Autostart
{
wxString EntryPath()
{
    wxString config;
    if (!wxGetEnv("XDG_CONFIG_HOME", &config) || !wxIsAbsolutePath(config))
        config = wxGetHomeDir() + "/.config";
    return config + "/autostart/" + ENTRY_NAME;
}

bool IsEnabled()
{
    const wxString path = EntryPath();
    if (!wxFileName::FileExists(path))
        return false;
    wxLogNull quiet;
    wxFFile file(path, "rb");
    wxString text;
    if (!file.IsOpened() || !file.ReadAll(&text, wxConvUTF8))
        return false;
    // An entry switched off by the desktop's own settings.
    for (const char* off : {"\nHidden=true", "\nX-GNOME-Autostart-enabled=false"})
    {
        if (text.Find(off) != wxNOT_FOUND)
            return false;
    }
    return true;
}

wxString ExecLine()
{
    wxString launcher;
    if (wxGetEnv("CORVALA_LAUNCHER", &launcher) && wxIsAbsolutePath(launcher) && wxFileName::FileExists(launcher))
        return "env " + QuoteArgument("CORVALA_HOME=" + wxGetCwd()) + " " + QuoteArgument(launcher);
    return QuoteArgument(wxStandardPaths::Get().GetExecutablePath());
}

bool Enable(wxString& error)
{
    const wxFileName entry(EntryPath());
    const wxString folder = entry.GetPath();
    {
        wxLogNull quiet;
        if (!wxFileName::DirExists(folder) && !wxFileName::Mkdir(folder, 0700, wxPATH_MKDIR_FULL))
        {
            error = wxString::Format(_("The folder \"%s\" cannot be created."), folder);
            return false;
        }
    }
    const wxString text = "[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Corvala\n"
                          "Comment=" +
                          KeyValue(_("Keep your contacts, their history and their birthdays")) +
                          "\n"
                          "Exec=" +
                          ExecLine() +
                          "\n"
                          "Path=" +
                          KeyValue(wxGetCwd()) +
                          "\n"
                          "Icon=example.marrowind.Corvala\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n";
    // Written beside and renamed over, so that a full disk never leaves
    // half an entry.
    const wxString temporary = entry.GetFullPath() + ".new";
    const wxScopedCharBuffer bytes = text.utf8_str();
    errno = 0;
    bool written = false;
    {
        wxLogNull quiet;
        wxFFile file(temporary, "wb");
        written = file.IsOpened() && file.Write(bytes.data(), bytes.length()) == bytes.length() && file.Flush() &&
                  file.Close();
    }
    if (!written || !wxRenameFile(temporary, entry.GetFullPath(), true))
    {
        error = wxString::Format(_("The file \"%s\" cannot be written: %s"), entry.GetFullPath(), Reason());
        wxLogNull quiet;
        wxRemoveFile(temporary);
        return false;
    }
    return true;
}

bool Disable(wxString& error)
{
    const wxString path = EntryPath();
    if (!wxFileName::Exists(path, wxFILE_EXISTS_SYMLINK | wxFILE_EXISTS_REGULAR))
        return true;
    errno = 0;
    wxLogNull quiet;
    if (!wxRemoveFile(path))
    {
        error = wxString::Format(_("The file \"%s\" cannot be removed: %s"), path, Reason());
        return false;
    }
    return true;
}
} // namespace Autostart
