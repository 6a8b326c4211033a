#include "dialogs/WindowSettings.h"

int g_rememberSizePos = 1;
