// The user-interface language: asked for on the first start, stored under
// "ui_language" and applied at every start.
#pragma once

#include <wx/intl.h>

// Shows the language chooser; wxLANGUAGE_UNKNOWN when cancelled.
wxLanguage ChooseLanguage();
// wxLANGUAGE_UNKNOWN stores nothing; the default language stores "default".
void SaveLanguage(wxLanguage language);
// The stored language, asking for one when none is stored yet.
wxLanguage GetConfiguredLanguage();
// The "UI language..." command: choose, store, ask for a restart.
void SelectUiLanguage();
