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

class wxLocale;
// Translates the program into the language for this run. The C library
// locale is switched too when the system has it; without it the catalogues
// still apply (they need no system locale), and one line on standard error
// says so. A language without a catalogue of the program gets the English
// one, whose labels read better than the raw message ids. Returns true when
// the program's catalogue is loaded.
bool SetUpLanguage(wxLocale& locale, wxLanguage language);
