#include "tools/SyncCommands.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/utils.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "storage/Adapter.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/StorageHooks.h"
#include "storage/SyncStore.h"
#include "storage/TagManager.h"
#include "sync/DavClient.h"
#include "sync/DavXml.h"
#include "sync/Discovery.h"
#include "sync/Keyring.h"
#include "sync/SyncEngine.h"

namespace
{
std::atomic<bool> cancelled{false};

extern "C" void OnSignal(int)
{
    cancelled = true;
}

void Say(FILE* to, const wxString& line)
{
    std::fprintf(to, "%s\n", line.utf8_string().c_str());
    std::fflush(to);
}

int Fail(const wxString& line)
{
    Say(stderr, line);
    return 1;
}

std::string ReadPassword()
{
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    return password;
}

// The value after an option ("--book URL"), taken out of the arguments.
bool TakeOption(std::vector<wxString>& args, const wxString& name, wxString& value)
{
    for (size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] == name && i + 1 < args.size())
        {
            value = args[i + 1];
            args.erase(args.begin() + i, args.begin() + i + 2);
            return true;
        }
    }
    return false;
}

bool TakeFlag(std::vector<wxString>& args, const wxString& name)
{
    for (size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] == name)
        {
            args.erase(args.begin() + i);
            return true;
        }
    }
    return false;
}

bool BookExists()
{
    return wxFileName::FileExists(Database::Path());
}

int AddAccount(std::vector<wxString> args)
{
    wxString book, ca;
    TakeOption(args, "--book", book);
    TakeOption(args, "--ca", ca);
    if (args.size() != 3)
        return Fail(
            "usage: corvala-db [--db FILE] account add NAME URL USER [--book URL] (password on standard input)");
    SyncStore::Account account;
    account.name = args[0];
    account.url = wxString::FromUTF8(Dav::NormalizeUrl(args[1].utf8_string()));
    account.user = args[2];
    Adapter adapter;
    SyncStore::Account existing;
    if (SyncStore::FindAccount(adapter, account.name, existing))
        return Fail(wxString::Format("corvala-db: there is already an account named %s", account.name));
    const std::string password = ReadPassword();
    Dav::Settings settings;
    settings.user = account.user.utf8_string();
    settings.password = password;
    settings.caFile = ca.utf8_string();
    Dav::Client client(settings);
    if (!book.empty())
    {
        const std::string url = Dav::Resolve(account.url.utf8_string(), book.utf8_string());
        const Dav::Response response = client.Propfind(url, 0, DavXml::PropfindCollection(), true);
        if (response.failure != Dav::Failure::NONE || response.status != 207)
            return Fail("corvala-db: " + Dav::Describe(response, url));
        bool isBook = false;
        for (const DavXml::Item& item : DavXml::Parse(response.body).items)
            isBook = isBook || item.addressbook;
        if (!isBook)
            return Fail(wxString::Format("corvala-db: %s is not an address book", wxString::FromUTF8(url)));
        account.book = wxString::FromUTF8(url);
    }
    else
    {
        const Discovery::Found found = Discovery::Run(client, account.url.utf8_string());
        if (!found.ok)
            return Fail("corvala-db: " + found.reason);
        if (found.books.size() > 1)
        {
            Say(stderr, "corvala-db: the account has several address books; choose one with --book:");
            for (const Discovery::Book& b : found.books)
                Say(stderr, "  " + wxString::FromUTF8(b.url) + "  " + b.name);
            return 1;
        }
        account.book = wxString::FromUTF8(found.books.front().url);
    }
    if (!SyncStore::SaveAccount(adapter, account))
        return Fail("corvala-db: the account could not be saved");
    wxString why;
    if (!Keyring::Store(account.name, password, &why))
        Say(stderr, wxString::Format("corvala-db: the password was not kept (%s); give it to each sync with "
                                     "--password-stdin",
                                     why));
    Say(stdout, wxString::Format("Added %s: %s", account.name, account.book));
    return 0;
}

int ListAccounts()
{
    Adapter adapter;
    std::vector<SyncStore::Account> accounts;
    if (!SyncStore::ListAccounts(adapter, accounts))
        return Fail("corvala-db: the accounts cannot be read");
    for (const SyncStore::Account& a : accounts)
        Say(stdout, a.name + "\t" + a.url + "\t" + a.user + "\t" + a.book);
    return 0;
}

int RemoveAccount(const std::vector<wxString>& args)
{
    if (args.size() != 1)
        return Fail("usage: corvala-db [--db FILE] account remove NAME");
    Adapter adapter;
    SyncStore::Account account;
    if (!SyncStore::FindAccount(adapter, args[0], account))
        return Fail(wxString::Format("corvala-db: there is no account named %s", args[0]));
    if (!SyncStore::RemoveAccount(adapter, account.id))
        return Fail("corvala-db: the account could not be removed");
    Keyring::Forget(account.name);
    Say(stdout, wxString::Format("Removed %s; its contacts stay here", account.name));
    return 0;
}
} // namespace

wxString SyncCommands::DefaultBook()
{
    const wxString here = Database::Path();
    if (wxFileName::FileExists(here))
        return here;
    wxString home, data;
    std::vector<wxString> folders;
    if (wxGetEnv("CORVALA_HOME", &home) && !home.empty())
        folders.push_back(home);
    else
    {
        const wxString user = wxGetHomeDir();
        folders.push_back((wxGetEnv("XDG_DATA_HOME", &data) && !data.empty() ? data : user + "/.local/share") +
                          "/Corvala");
        folders.push_back(user + "/Corvala");
    }
    for (const wxString& folder : folders)
    {
        const wxString book = folder + "/data/Corvala.s3db";
        if (wxFileName::FileExists(book))
            return book;
    }
    return here;
}

int SyncCommands::Account(const std::vector<wxString>& args)
{
    if (!BookExists())
        return Fail(wxString::Format("corvala-db: there is no address book at %s", Database::Path()));
    if (args.empty())
        return Fail("usage: corvala-db [--db FILE] account add|list|remove ...");
    const std::vector<wxString> rest(args.begin() + 1, args.end());
    if (args[0] == "add")
        return AddAccount(rest);
    if (args[0] == "list")
        return ListAccounts();
    if (args[0] == "remove")
        return RemoveAccount(rest);
    return Fail("corvala-db: unknown account command " + args[0]);
}

int SyncCommands::Sync(const std::vector<wxString>& given)
{
    std::vector<wxString> args = given;
    const bool fromStdin = TakeFlag(args, "--password-stdin");
    const bool keepLocal = TakeFlag(args, "--keep-local");
    const bool progress = TakeFlag(args, "--progress");
    wxString ca;
    TakeOption(args, "--ca", ca);
    if (args.size() > 1)
        return Fail("usage: corvala-db [--db FILE] sync [NAME] [--password-stdin] [--keep-local]");
    if (!BookExists())
        return Fail(wxString::Format("corvala-db: there is no address book at %s", Database::Path()));
    // Database messages go into the one-line reason, not out on their own.
    wxString dbError;
    ScopedErrorReporter quiet(
        [&dbError](const wxString& message)
        {
            if (dbError.empty())
                dbError = message;
        });
    Adapter adapter;
    std::vector<SyncStore::Account> accounts;
    if (!SyncStore::ListAccounts(adapter, accounts))
        return Fail("corvala-db: the accounts cannot be read: " + dbError);
    SyncStore::Account account;
    if (args.size() == 1)
    {
        if (!SyncStore::FindAccount(adapter, args[0], account))
            return Fail(wxString::Format("corvala-db: there is no account named %s", args[0]));
    }
    else if (accounts.size() == 1)
        account = accounts.front();
    else
        return Fail(accounts.empty() ? wxString("corvala-db: there is no account; add one with: account add")
                                     : wxString("corvala-db: there are several accounts; name the one to sync"));
    SyncEngine::Options options;
    if (fromStdin)
        options.password = ReadPassword();
    else if (!Keyring::Lookup(account.name, options.password))
        return Fail(
            wxString::Format("corvala-db: no password for %s in the keyring; use --password-stdin", account.name));
    // One sync of a book at a time (the window's, cron's): two at once would
    // each take in the same new cards. The lock goes with the process, so a
    // killed sync leaves none behind.
    const std::string lockPath = (Database::Path() + ".sync-lock").utf8_string();
    const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || flock(lock, LOCK_EX | LOCK_NB) != 0)
    {
        if (lock >= 0)
            close(lock);
        return Fail(wxString::Format(_("Sync with %s stopped: %s"), account.name,
                                     _("another sync of this address book is running.")));
    }
    options.caFile = ca.utf8_string();
    options.first = keepLocal ? SyncEngine::FirstSync::KEEP_LOCAL : SyncEngine::FirstSync::UPLOAD;
    options.cancel = &cancelled;
    if (progress)
        options.progress = [](const wxString& line) { Say(stdout, "progress: " + line); };
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    ContactManager contacts;
    TagManager tags;
    SyncEngine engine(contacts, tags);
    const SyncEngine::Report report = engine.Run(account, options);
    close(lock);
    if (!report.ok)
        return Fail(report.Line(account.name));
    Say(stdout, report.Line(account.name));
    return 0;
}
