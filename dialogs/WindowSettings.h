// Preferences shared between the main window and the settings dialog.
#pragma once

// Whether the main window remembers its size and position (greater than 0:
// yes). It starts at 1; the main window reads it from and writes it to the
// configuration store, the settings dialog changes it. Defined beside the
// dialog, so that the dialog layer needs nothing from the window above it.
extern int g_rememberSizePos;
