// Two-way sync of the book with one CardDAV address book. Headless: it runs
// in the database tool (corvala-db sync), which the window starts in a
// process of its own, so the window never waits for the network.
//
// The order of a sync: what changed on the server (sync-collection with the
// stored token where the address book offers it, else a listing of hrefs
// and ETags), the changed cards fetched in bounded batches (multiget) and
// merged in; cards gone from the server; then what changed here: deletes,
// edits and new contacts sent with If-Match / If-None-Match. Every step is
// written to the book before and after its request, each in a short
// transaction, so a sync stopped at any point is finished by the next one
// with nothing lost and nothing doubled. The token is kept only when the
// server's changes were all taken in.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "storage/SyncStore.h"
#include "sync/CardMerge.h"
#include "sync/DavClient.h"
#include "sync/DavXml.h"

class ContactManager;
class TagManager;

class SyncEngine
{
public:
    struct Report
    {
        bool ok = false;
        wxString reason; // why the sync stopped, when !ok
        size_t received = 0;
        size_t sent = 0;
        size_t deletedHere = 0;
        size_t deletedThere = 0;
        size_t conflicts = 0;
        std::vector<wxString> refused; // cards the server would not take, by name
        size_t unreadable = 0;         // server cards that name no one or cannot be read
        size_t requests = 0;

        // "Synced with NAME: 12 received, 3 sent, ..." or the reason.
        wxString Line(const wxString& account) const;
    };

    enum class FirstSync
    {
        UPLOAD,    // the contacts already here go to the address book
        KEEP_LOCAL // they stay on this computer only
    };

    struct Options
    {
        std::string password;
        std::string caFile;
        const std::atomic<bool>* cancel = nullptr;
        std::function<void(const wxString& line)> progress;
        FirstSync first = FirstSync::UPLOAD;
        size_t batch = 50; // cards per multiget
        long connectSeconds = 15;
        long stallSeconds = 30;
    };

    SyncEngine(ContactManager& contacts, TagManager& tags);
    ~SyncEngine();

    // Syncs the account (finding its address book first when it has none);
    // the account is written back with its token.
    Report Run(SyncStore::Account& account, const Options& options);

private:
    struct Stop
    {
    };

    bool ListChanges(std::map<std::string, std::string>& changed, std::vector<std::string>& removed, bool& full,
                     std::string& token);
    bool Listing(std::map<std::string, std::string>& all);
    void Fetch(const std::vector<std::string>& hrefs);
    void TakeCard(const std::string& href, const std::string& etag, const std::string& card);
    void TakeDelete(const SyncStore::Link& link);
    void SendChanges();
    void SendCreate(const CardMerge::Side& local);
    void SendUpdate(SyncStore::Link link, const CardMerge::Side& local, bool retried);
    void SendDelete(SyncStore::Link link);
    bool FetchOne(const std::string& href, std::string& etag, std::string& card, long& status);
    void InsertFromServer(const std::string& href, const std::string& etag, const std::string& card,
                          const CardMerge::Side& server);
    void StoreMerged(const SyncStore::Link& link, const CardMerge::Side& local, const CardMerge::Side& server,
                     const std::string& etag, const std::string& card, const CardMerge::Side& baseLocal,
                     const CardMerge::Side& baseServer);
    int MatchLocal(const CardMerge::Side& server);
    bool LocalSide(int contactId, CardMerge::Side& side);
    void ToTags(CardMerge::Side& side);
    [[noreturn]] void Fail(const wxString& reason);
    [[noreturn]] void FailStorage();
    // A multistatus answer, read; stops the sync when it cannot be read.
    DavXml::Multistatus Answer(const Dav::Response& response);
    [[noreturn]] void FailRequest(const Dav::Response& response, const std::string& url);
    void CheckCancel();
    void Progress(const wxString& line);
    std::string Url(const std::string& href) const;
    std::string PathOf(const std::string& href) const;
    std::string NewHref(const wxString& uid) const;
    bool SaveLink(const SyncStore::Link& link);
    void RemoveLink(const wxString& href);

    ContactManager& contacts;
    TagManager& tags;
    const Options* options = nullptr;
    SyncStore::Account* account = nullptr;
    std::unique_ptr<Dav::Client> http;
    Report report;
    std::string bookUrl;
    std::string bookPath;
    // False once a change of the server could not be taken in (another
    // program edited the contact meanwhile): the token then stays, and the
    // next sync is told of the change again.
    bool tokenSafe = true;
    wxString dbError;
    // Local contacts without a link, by UID and by name with e-mail or phone,
    // read once when the first new server card comes.
    bool matchesRead = false;
    std::map<wxString, int> matches;
};
