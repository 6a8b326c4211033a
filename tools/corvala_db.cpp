// corvala-db: creates the address book's database file, keeps its sync
// accounts and runs a sync.
//
//   corvala-db [--demo] [PATH]
//   corvala-db [--db FILE] account add NAME URL USER [--book URL]
//   corvala-db [--db FILE] account list | account remove NAME
//   corvala-db [--db FILE] sync [NAME] [--password-stdin] [--keep-local]
//
// PATH and FILE default to data/Corvala.s3db below the current directory,
// the book the program opens. An existing file is never replaced.
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/translation.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "storage/Database.h"
#include "tools/DatabaseBuilder.h"
#include "tools/SyncCommands.h"

namespace
{
const char* const USAGE =
    "usage: corvala-db [--demo] [PATH]\n"
    "       corvala-db [--db FILE] account add NAME URL USER [--book URL]   (password on standard input)\n"
    "       corvala-db [--db FILE] account list\n"
    "       corvala-db [--db FILE] account remove NAME\n"
    "       corvala-db [--db FILE] sync [NAME] [--password-stdin] [--keep-local]\n"
    "Creates the Corvala database (default data/Corvala.s3db) with its tables;\n"
    "--demo fills it with demo contacts. An existing file is never touched.\n"
    "The account and sync commands keep CardDAV accounts and sync the book with them.";
}

int main(int argc, char** argv)
{
    // Every new record asks for the time; with TZ unset the C library reads
    // /etc/localtime again each time, which a sync of thousands of cards
    // feels. The same zone, read once.
    setenv("TZ", ":/etc/localtime", 0);
    wxInitializer init;
    if (!init.IsOk())
        return 2;
    // Started by the window: its language, so that the sync's report reads
    // as the rest of the window does.
    wxString language, locales;
    if (wxGetEnv("CORVALA_LANGUAGE", &language) && !language.empty())
    {
        wxTranslations* translations = new wxTranslations;
        wxTranslations::Set(translations);
        translations->SetLanguage(language);
        if (wxGetEnv("CORVALA_LOCALES", &locales))
            wxFileTranslationsLoader::AddCatalogLookupPathPrefix(locales);
        translations->AddCatalog("Corvala");
    }
    std::vector<wxString> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(wxString::FromUTF8(argv[i]));
    const bool chosen = args.size() >= 2 && args[0] == "--db";
    if (chosen)
    {
        Database::SetPath(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (!chosen && !args.empty() && (args[0] == "account" || args[0] == "sync"))
        Database::SetPath(SyncCommands::DefaultBook());
    if (!args.empty() && args[0] == "account")
        return SyncCommands::Account(std::vector<wxString>(args.begin() + 1, args.end()));
    if (!args.empty() && args[0] == "sync")
        return SyncCommands::Sync(std::vector<wxString>(args.begin() + 1, args.end()));
    bool demo = false;
    wxString path;
    for (const wxString& arg : args)
    {
        if (arg == "--demo")
            demo = true;
        else if (arg == "--help" || arg == "-h")
        {
            std::puts(USAGE);
            return 0;
        }
        else if (arg.StartsWith("-"))
        {
            std::fprintf(stderr, "corvala-db: unknown option %s\n", arg.utf8_string().c_str());
            return 2;
        }
        else
            path = arg;
    }
    if (path.empty())
        path = Database::Path();
    wxString error;
    if (!DatabaseBuilder::Create(path, demo, &error))
    {
        std::fprintf(stderr, "corvala-db: %s\n", error.utf8_string().c_str());
        return 1;
    }
    std::printf("Created %s%s\n", path.utf8_string().c_str(), demo ? " with demo data" : "");
    return 0;
}
