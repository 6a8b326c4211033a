#include "app/CorvalaApp.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>
#include <wx/wxsqlite3.h>

#include "app/Language.h"
#include "app/Platform.h"
#include "frame/CorvalaFrame.h"
#include "storage/Adapter.h"
#include "storage/DatabaseIndexes.h"
#include "storage/StorageHooks.h"

void CorvalaApp::InstallStorageHooks()
{
    SetErrorReporter([](const wxString& message) { wxMessageBox(message, wxMessageBoxCaptionStr, wxOK | wxCENTRE); });
    SetMessagePump(&Platform::PumpOneMessage);
}

bool CorvalaApp::CheckDatabase()
{
    wxString path = Adapter::GetDatabasePath();
    wxString error;
    try
    {
        Adapter probe;
        probe.Open();
        probe.Close();
        return true;
    }
    catch (const wxSQLite3Exception& e)
    {
        error = e.GetMessage();
    }
    wxMessageBox(wxString::Format(_("Corvala cannot open its database:\n%s\n\n%s"), path, error), _("Corvala"),
                 wxOK | wxICON_ERROR | wxCENTRE);
    return false;
}

bool CorvalaApp::OnInit()
{
    Platform::RememberTimeZone();
    SetVendorName("Marrowind");
    SetAppName("Corvala");

    wxConfigBase* config = wxConfigBase::Get();
    if (config)
        config->SetRecordDefaults(true);

    wxLocale::AddCatalogLookupPathPrefix("locales");
    wxLanguage language = GetConfiguredLanguage();
    locale.Init(language, wxLOCALE_LOAD_DEFAULT);
    locale.AddCatalog("Corvala");

    // GTK reads .ico files through the toolkit's own handler, so the
    // handlers come before the icon.
    wxInitAllImageHandlers();
    wxIcon icon;
    wxString iconPath = Platform::CwdPath("img", "Corvala_02.ico");
    if (wxFileName::FileExists(iconPath))
        icon.LoadFile(iconPath, wxBITMAP_TYPE_ICO);

    InstallStorageHooks();
    // The storage layer cannot report a file it could not open at all; the
    // program would otherwise end without a word.
    if (!CheckDatabase())
        return false;
    {
        // A file made by an older version gets the indexes its searches
        // need; on a large book that takes a moment, once.
        wxBusyCursor wait;
        AddMissingIndexes();
    }

    CorvalaFrame* frame = new CorvalaFrame(nullptr, wxID_ANY);
    if (icon.IsOk())
        frame->SetIcon(icon);
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
