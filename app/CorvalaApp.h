// The application object: configuration store, language, catalogue, then
// the main window.
#pragma once

#include <wx/app.h>
#include <wx/intl.h>

class CorvalaApp : public wxApp
{
public:
    bool OnInit() override;

    // Installs the storage layer's error reporter (a modal message box) and
    // message pump. Shared with the tests so they run the program's wiring.
    static void InstallStorageHooks();

    // Opens and closes the database once. When that fails, tells the user
    // which file could not be opened and why, and returns false.
    static bool CheckDatabase();

private:
    wxLocale locale;
};

wxDECLARE_APP(CorvalaApp);
