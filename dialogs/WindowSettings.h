// Preferences shared between the main window and the settings dialog.
#pragma once

// Whether the main window remembers its size and position (greater than 0:
// yes). Owned and defined by the main window, which starts it at 1, reads it
// from and writes it to the configuration store; the settings dialog only
// changes it.
extern int g_rememberSizePos;
