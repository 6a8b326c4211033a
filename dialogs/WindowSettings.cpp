#include "dialogs/WindowSettings.h"

int g_nRemSizePos = 1;
