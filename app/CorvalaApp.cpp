#include "app/CorvalaApp.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/wxsqlite3.h>

#include "app/Language.h"
#include "app/Platform.h"
#include "frame/CorvalaFrame.h"
#include "storage/Adapter.h"
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
    SetVendorName("Marrowind");
    SetAppName("Corvala");

    wxConfigBase* config = wxConfigBase::Get();
    if (config)
        config->SetRecordDefaults(true);

    wxLocale::AddCatalogLookupPathPrefix("locales");
    SetUpLanguage(locale, GetConfiguredLanguage());

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

    CorvalaFrame* frame = new CorvalaFrame(nullptr, wxID_ANY);
    if (icon.IsOk())
        frame->SetIcon(icon);
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
