#include "app/CorvalaApp.h"

#include <wx/busyinfo.h>
#include <wx/config.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>
#include <wx/wxsqlite3.h>

#include <memory>

#include "dialogs/Language.h"
#include "frame/CorvalaFrame.h"
#include "platform/Platform.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/DatabaseIndexes.h"
#include "storage/DatabaseSchema.h"
#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

void CorvalaApp::InstallStorageHooks()
{
    SetErrorReporter([](const wxString& message) { wxMessageBox(message, wxMessageBoxCaptionStr, wxOK | wxCENTRE); });
    SetMessagePump(&Platform::PumpOneMessage);
}

bool CorvalaApp::CheckDatabase()
{
    const wxString path = Database::Path();
    const DatabaseSchema::Check check = DatabaseSchema::CheckFile(path);
    switch (check.state)
    {
    case DatabaseSchema::READY:
        return true;

    case DatabaseSchema::NO_FILE:
    case DatabaseSchema::EMPTY_FILE:
    {
        const wxString question =
            check.state == DatabaseSchema::NO_FILE
                ? wxString::Format(_("There is no address book at\n%s\n\nCreate a new, empty address book there?"),
                                   path)
                : wxString::Format(_("The address book file\n%s\nis empty.\n\nCreate a new, empty address book in it?"),
                                   path);
        if (wxMessageBox(question, _("Corvala"), wxYES_NO | wxICON_QUESTION | wxCENTRE) != wxYES)
            return false;
        wxString error;
        if (DatabaseSchema::CreateEmpty(path, &error))
            return true;
        wxMessageBox(wxString::Format(_("Corvala cannot create its database:\n%s\n\n%s"), path, error), _("Corvala"),
                     wxOK | wxICON_ERROR | wxCENTRE);
        return false;
    }

    case DatabaseSchema::MISSING_TABLES:
    {
        const int n = static_cast<int>(check.missing.GetCount());
        wxString tables;
        for (const wxString& table : check.missing)
            tables += (tables.empty() ? wxString() : wxGETTEXT_IN_CONTEXT("joining list items", ", ")) + table;
        wxMessageBox(
            wxString::Format(wxPLURAL("The address book file\n%s\nlacks the table %s.\n\nCorvala cannot use it "
                                      "and will close.",
                                      "The address book file\n%s\nlacks the tables %s.\n\nCorvala cannot use "
                                      "it and will close.",
                                      n),
                             path, tables),
            _("Corvala"), wxOK | wxICON_ERROR | wxCENTRE);
        return false;
    }

    case DatabaseSchema::UNUSABLE:
        break;
    }
    wxMessageBox(wxString::Format(_("Corvala cannot open its database:\n%s\n\n%s"), path, check.error), _("Corvala"),
                 wxOK | wxICON_ERROR | wxCENTRE);
    return false;
}

void CorvalaApp::SaveConfiguration()
{
    wxConfigBase* config = wxConfigBase::Set(nullptr);
    if (!config)
        return;
    bool saved;
    {
        // Deleting writes once more; that write must not log either.
        wxLogNull quiet;
        saved = config->Flush();
        delete config;
    }
    if (!saved)
        wxMessageBox(_("The window size, position and panes could not be saved: the settings file cannot be written."),
                     _("Corvala"), wxOK | wxICON_WARNING | wxCENTRE);
}

int CorvalaApp::OnExit()
{
    // The toolkit would write the store after this object is gone, when a
    // failure could no longer be shown.
    SaveConfiguration();
    return wxApp::OnExit();
}

bool CorvalaApp::OnInit()
{
    Platform::RememberTimeZone();
    SetVendorName("Marrowind");
    SetAppName("Corvala");

    if (!wxConfigBase::Get(false))
        wxConfigBase::Set(Platform::CreateConfiguration());
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
    // One look at the file before any window uses it: a missing, empty or
    // incomplete file would otherwise fail every statement of the start-up.
    if (!CheckDatabase())
    {
        // OnExit does not run when OnInit fails.
        SaveConfiguration();
        return false;
    }
    {
        // A file made by an older version gets the indexes its searches
        // need; on a large book that takes a moment, once. Only a file the
        // check accepted gets here.
        wxBusyCursor wait;
        std::unique_ptr<wxBusyInfo> info;
        AddMissingIndexes(
            [&info]
            {
                info = std::make_unique<wxBusyInfo>(
                    _("Preparing the address book for faster searches. This happens once and takes a moment..."));
                // No event loop runs yet: let the note be drawn before the
                // work holds the program.
                for (int i = 0; i < 5; ++i)
                    wxTheApp->Yield(true);
            });
        // What was deleted longer ago than the deleted contacts are kept goes.
        ContactManager().EmptyOldTrash();
    }

    CorvalaFrame* frame = nullptr;
    {
        // Whatever fails while the window loads its data is one message.
        UnitOfWork startUp;
        frame = new CorvalaFrame(nullptr, wxID_ANY);
    }
    if (icon.IsOk())
        frame->SetIcon(icon);
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
