// The "remember window size and position" setting, shared by the main
// window (which reads and stores it) and the settings dialog (which only
// changes it). Starts at 1.
#pragma once

extern int g_rememberSizePos;
