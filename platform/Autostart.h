// Starting the program when the user logs in: a desktop entry in the
// autostart folder of the freedesktop desktops
// ($XDG_CONFIG_HOME/autostart, normally ~/.config/autostart), which every
// desktop session reads at login.
#pragma once

#include <wx/string.h>

namespace Autostart
{
// The entry this program writes and removes.
wxString EntryPath();

// Whether that entry is there and not hidden.
bool IsEnabled();

// Writes the entry, starting the program on the address book it runs on
// now (the working folder); false with the reason in words when the folder
// or the file cannot be written.
bool Enable(wxString& error);

// Removes the entry; an entry already gone is no error.
bool Disable(wxString& error);

// The Exec line of the entry: the installed launcher (whose path the
// launcher passes in CORVALA_LAUNCHER) on the current book, or else the
// running executable itself, each argument quoted as desktop entries ask.
wxString ExecLine();
} // namespace Autostart
