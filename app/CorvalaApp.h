// The application object: configuration store, language, catalogue, a check
// of the database file, then the main window.
#pragma once

#include <wx/app.h>
#include <wx/intl.h>

class CorvalaApp : public wxApp
{
public:
    bool OnInit() override;
    int OnExit() override;

    // Installs the storage layer's error reporter (a modal message box) and
    // message pump. Shared with the tests so they run the program's wiring.
    static void InstallStorageHooks();

    // Looks at the database file once before anything uses it. A missing or
    // empty file: offers to create a new, empty address book there (No ends
    // the program and leaves nothing behind). Missing tables: names them in
    // one message. A file that cannot be opened or read: says which and why.
    // True when the program can go on.
    static bool CheckDatabase();

    // Writes the configuration store and destroys it while windows can still
    // be shown; when it cannot be written, tells the user once.
    static void SaveConfiguration();

private:
    wxLocale locale;
};

wxDECLARE_APP(CorvalaApp);
