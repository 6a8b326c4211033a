#include "sync/SyncEngine.h"

#include <wx/intl.h>

#include <algorithm>
#include <set>

#include "storage/Adapter.h"
#include "storage/ContactManager.h"
#include "storage/StorageHooks.h"
#include "storage/TagInfo.h"
#include "storage/TagManager.h"
#include "storage/UnitOfWork.h"
#include "sync/DavXml.h"
#include "sync/Discovery.h"

namespace
{

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

wxString Digits(const wxString& text)
{
    wxString digits;
    for (wxUniChar c : text)
    {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return digits;
}

// What tells a person in a card and a contact alike: the UID, and the name
// with each e-mail and each phone number.
std::vector<wxString> MatchKeys(const ContactInfoEx& contact)
{
    std::vector<wxString> keys;
    const wxString uid = CardMerge::UidOf(contact);
    if (!uid.empty())
        keys.push_back("u\t" + uid);
    const wxString name = (contact.last_name + "\t" + contact.first_name).Lower();
    if (name == "\t")
        return keys;
    for (const wxString* email : {&contact.email, &contact.email_2})
    {
        if (!email->empty())
            keys.push_back("e\t" + name + "\t" + email->Lower());
    }
    for (wxString ContactInfoEx::*field :
         {&ContactInfoEx::home_phone, &ContactInfoEx::home_phone_2, &ContactInfoEx::home_mobile,
          &ContactInfoEx::home_mobile_2, &ContactInfoEx::business_phone, &ContactInfoEx::business_phone_2,
          &ContactInfoEx::business_mobile, &ContactInfoEx::business_mobile_2})
    {
        const wxString digits = Digits(contact.*field);
        if (digits.length() >= 5)
            keys.push_back("p\t" + name + "\t" + digits);
    }
    return keys;
}
} // namespace

wxString SyncEngine::Report::Line(const wxString& account) const
{
    if (!ok)
        return wxString::Format(_("Sync with %s stopped: %s"), account, reason);
    const int n = static_cast<int>(conflicts);
    wxString line = wxString::Format(_("Synced with %s: %d received, %d sent, %d deleted here, %d deleted there, %s"),
                                     account, static_cast<int>(received), static_cast<int>(sent),
                                     static_cast<int>(deletedHere), static_cast<int>(deletedThere),
                                     wxString::Format(wxPLURAL("%d conflict", "%d conflicts", n), n));
    if (!refused.empty())
    {
        wxString names;
        for (const wxString& name : refused)
            names << (names.empty() ? "" : ", ") << name;
        line << "; " << wxString::Format(_("not taken: %s"), names);
    }
    if (unreadable > 0)
    {
        const int u = static_cast<int>(unreadable);
        line << "; "
             << wxString::Format(
                    wxPLURAL("%d card of the server could not be read", "%d cards of the server could not be read", u),
                    u);
    }
    return line;
}

SyncEngine::SyncEngine(ContactManager& contacts, TagManager& tags) : contacts(contacts), tags(tags) {}

SyncEngine::~SyncEngine() = default;

SyncEngine::Report SyncEngine::Run(SyncStore::Account& target, const Options& given)
{
    report = Report();
    options = &given;
    account = &target;
    matchesRead = false;
    matches.clear();
    tokenSafe = true;
    dbError.clear();
    Dav::Settings settings;
    settings.user = target.user.utf8_string();
    settings.password = given.password;
    settings.caFile = given.caFile;
    settings.cancel = given.cancel;
    settings.connectSeconds = given.connectSeconds;
    settings.stallSeconds = given.stallSeconds;
    http = std::make_unique<Dav::Client>(settings);
    // A database failure becomes the reason the sync stopped, in one line.
    ScopedErrorReporter capture(
        [this](const wxString& message)
        {
            if (dbError.empty())
                dbError = message;
        });
    // One connection for the whole sync (no transaction: other programs
    // write the book meanwhile); each write has a short transaction.
    UnitOfWork unit;
    try
    {
        Adapter adapter;
        if (!SyncStore::Ensure(adapter) || !tags.Load())
            FailStorage();
        if (target.book.empty())
        {
            Progress(wxString::Format(_("Looking for the address book of %s..."), target.name));
            const Discovery::Found found = Discovery::Run(*http, target.url.utf8_string());
            if (!found.ok)
                Fail(found.reason);
            if (found.books.size() > 1)
                Fail(wxString::Format(_("%s has %d address books: choose one in the account."), target.url,
                                      static_cast<int>(found.books.size())));
            target.book = wxString::FromUTF8(found.books.front().url);
            if (!SyncStore::SaveAccount(adapter, target))
                FailStorage();
        }
        bookUrl = WithSlash(target.book.utf8_string());
        bookPath = WithSlash(Dav::PathOf(bookUrl));
        if (!target.firstDone && given.first == FirstSync::KEEP_LOCAL)
        {
            std::vector<int> ids;
            if (!contacts.AllContactIds(ids))
                FailStorage();
            target.keepLocalUpTo = ids.empty() ? -1 : ids.back();
            if (!SyncStore::SaveAccount(adapter, target))
                FailStorage();
        }

        Progress(wxString::Format(_("Asking %s what changed..."), target.name));
        std::map<std::string, std::string> changed;
        std::vector<std::string> removed;
        bool full = false;
        std::string token;
        ListChanges(changed, removed, full, token);

        std::map<std::string, std::string> known; // href -> ETag of the links
        if (!SyncStore::ForEachLink(adapter, target.id,
                                    [&known](const SyncStore::Link& link)
                                    { known[link.href.utf8_string()] = link.etag.utf8_string(); }))
            FailStorage();
        std::vector<std::string> fetch;
        for (const auto& [href, etag] : changed)
        {
            const auto it = known.find(href);
            if (it == known.end() || it->second != etag || etag.empty())
                fetch.push_back(href);
        }
        Fetch(fetch);
        if (full)
        {
            for (const auto& [href, etag] : known)
            {
                if (!changed.count(href))
                    removed.push_back(href);
            }
        }
        for (const std::string& href : removed)
        {
            CheckCancel();
            SyncStore::Link link;
            if (SyncStore::ReadLink(adapter, target.id, wxString::FromUTF8(href), link))
                TakeDelete(link);
            else if (adapter.LastFailed())
                FailStorage();
        }
        SendChanges();
        // The server's changes are all in: the token may move on.
        if (tokenSafe)
            target.token = wxString::FromUTF8(token);
        target.firstDone = true;
        if (!SyncStore::SaveAccount(adapter, target))
            FailStorage();
        report.ok = true;
    }
    catch (const Stop&)
    {
        report.ok = false;
    }
    report.requests = http->RequestCount();
    http.reset();
    return report;
}

void SyncEngine::Fail(const wxString& reason)
{
    report.reason = reason;
    throw Stop();
}

void SyncEngine::FailStorage()
{
    if (!dbError.empty())
        Fail(dbError);
    if (!contacts.GetLastBatchError().empty())
        Fail(wxString::Format(_("The address book could not be written: %s"), contacts.GetLastBatchError()));
    Fail(_("The address book could not be read or written."));
}

void SyncEngine::FailRequest(const Dav::Response& response, const std::string& url)
{
    Fail(Dav::Describe(response, url));
}

DavXml::Multistatus SyncEngine::Answer(const Dav::Response& response)
{
    DavXml::Multistatus status = DavXml::Parse(response.body);
    if (!status.parsed)
        Fail(wxString::Format(_("The answer of %s could not be read."), account->name));
    return status;
}

void SyncEngine::CheckCancel()
{
    if (options->cancel && options->cancel->load())
        Fail(_("Cancelled."));
}

void SyncEngine::Progress(const wxString& line)
{
    if (options->progress)
        options->progress(line);
}

std::string SyncEngine::Url(const std::string& href) const
{
    return Dav::Resolve(bookUrl, href);
}

std::string SyncEngine::PathOf(const std::string& href) const
{
    return Dav::PathOf(Dav::Resolve(bookUrl, href));
}

std::string SyncEngine::NewHref(const wxString& uid) const
{
    std::string name;
    for (char c : uid.utf8_string())
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ? c : '-';
    if (name.empty())
        name = "contact";
    return bookPath + name + ".vcf";
}

bool SyncEngine::ListChanges(std::map<std::string, std::string>& changed, std::vector<std::string>& removed, bool& full,
                             std::string& token)
{
    std::string asked = account->token.utf8_string();
    full = asked.empty();
    bool reconciled = false;
    for (int round = 0; round < 1000; ++round)
    {
        CheckCancel();
        const Dav::Response response = http->Report(bookUrl, 0, DavXml::SyncCollection(asked));
        if (response.failure != Dav::Failure::NONE)
            FailRequest(response, bookUrl);
        if (response.status == 207)
        {
            const DavXml::Multistatus status = Answer(response);
            for (const DavXml::Item& item : status.items)
            {
                const std::string path = PathOf(item.href);
                if (WithSlash(path) == bookPath || item.collection)
                    continue;
                if (item.status == 404)
                {
                    changed.erase(path);
                    removed.push_back(path);
                }
                else if (item.found)
                    changed[path] = item.etag;
            }
            token = status.syncToken;
            // Cut short by the server: go on from where it stopped.
            if (status.truncated && !token.empty() && token != asked)
            {
                asked = token;
                continue;
            }
            return true;
        }
        // The token is no longer good: one full reconciliation. Some servers
        // answer a token they cannot read with a server error instead.
        const bool badToken =
            ((response.status == 403 || response.status == 409) && DavXml::NamesInvalidToken(response.body)) ||
            (response.status >= 500 && response.status != 501);
        if (badToken && !asked.empty() && !reconciled)
        {
            reconciled = true;
            full = true;
            asked.clear();
            changed.clear();
            removed.clear();
            continue;
        }
        if (response.status == 401)
            FailRequest(response, bookUrl);
        if (response.status >= 500 && response.status != 501)
            FailRequest(response, bookUrl);
        // No sync-collection here: the listing of every card.
        break;
    }
    full = true;
    token.clear();
    removed.clear();
    changed.clear();
    return Listing(changed);
}

bool SyncEngine::Listing(std::map<std::string, std::string>& all)
{
    const Dav::Response response = http->Propfind(bookUrl, 1, DavXml::PropfindEtags());
    if (response.failure != Dav::Failure::NONE || response.status != 207)
        FailRequest(response, bookUrl);
    const DavXml::Multistatus status = Answer(response);
    for (const DavXml::Item& item : status.items)
    {
        const std::string path = PathOf(item.href);
        if (WithSlash(path) == bookPath || item.collection || !item.found)
            continue;
        all[path] = item.etag;
    }
    return true;
}

void SyncEngine::Fetch(const std::vector<std::string>& hrefs)
{
    const size_t batch = std::max<size_t>(1, options->batch);
    for (size_t start = 0; start < hrefs.size(); start += batch)
    {
        CheckCancel();
        Progress(wxString::Format(_("Receiving cards from %s: %d of %d"), account->name, static_cast<int>(start),
                                  static_cast<int>(hrefs.size())));
        const std::vector<std::string> part(hrefs.begin() + start,
                                            hrefs.begin() + std::min(hrefs.size(), start + batch));
        const Dav::Response response = http->Report(bookUrl, 1, DavXml::Multiget(part));
        if (response.failure != Dav::Failure::NONE)
            FailRequest(response, bookUrl);
        if (response.status == 207)
        {
            const DavXml::Multistatus status = Answer(response);
            // The cards of one answer are stored in one transaction.
            const bool stored = contacts.SyncBatch(
                [&]
                {
                    for (const DavXml::Item& item : status.items)
                    {
                        if (item.hasCard)
                            TakeCard(PathOf(item.href), item.etag, item.card);
                    }
                    return true;
                });
            if (!stored)
            {
                tags.Load();
                FailStorage();
            }
            continue;
        }
        if (response.status >= 500 && response.status != 501)
            FailRequest(response, bookUrl);
        // No multiget: one card at a time.
        for (const std::string& href : part)
        {
            std::string etag, card;
            long status = 0;
            if (FetchOne(href, etag, card, status))
                TakeCard(href, etag, card);
        }
    }
}

bool SyncEngine::FetchOne(const std::string& href, std::string& etag, std::string& card, long& status)
{
    const Dav::Response response = http->Request("GET", Url(href), {"Accept: text/vcard"}, std::string());
    if (response.failure != Dav::Failure::NONE || (response.status >= 500 && response.status != 501))
        FailRequest(response, Url(href));
    status = response.status;
    if (!response.Ok())
        return false;
    etag = response.Header("etag");
    card = response.body;
    return true;
}

bool SyncEngine::LocalSide(int contactId, CardMerge::Side& side)
{
    std::unique_ptr<ContactInfoEx> contact = contacts.ReadSynced(contactId);
    if (!contact)
    {
        if (contacts.LastSyncFailed())
            FailStorage();
        return false;
    }
    side.contact = *contact;
    side.tags.clear();
    for (int id : contact->tagIds)
    {
        if (const TagInfo* tag = tags.FindById(id))
            side.tags.Add(tag->name);
    }
    side.tags.Sort();
    return true;
}

void SyncEngine::ToTags(CardMerge::Side& side)
{
    side.contact.tagIds.clear();
    for (const wxString& name : side.tags)
    {
        const int id = tags.IdForName(name);
        if (id == -1)
            FailStorage();
        if (side.contact.tagIds.Index(id) == wxNOT_FOUND)
            side.contact.tagIds.Add(id);
    }
}

void SyncEngine::RemoveLink(const wxString& href)
{
    if (!contacts.WriteSynced([&](Adapter& adapter) { return SyncStore::RemoveLink(adapter, account->id, href); }))
        FailStorage();
}

bool SyncEngine::SaveLink(const SyncStore::Link& link)
{
    const bool saved =
        contacts.WriteSynced([&](Adapter& adapter) { return SyncStore::SaveLink(adapter, account->id, link); });
    if (!saved)
        FailStorage();
    return saved;
}

int SyncEngine::MatchLocal(const CardMerge::Side& server)
{
    if (!matchesRead)
    {
        matchesRead = true;
        Adapter adapter;
        std::vector<int> ids, linked;
        if (!contacts.AllContactIds(ids) || !SyncStore::LinkedContacts(adapter, account->id, linked))
            FailStorage();
        std::vector<int> unlinked;
        std::set_difference(ids.begin(), ids.end(), linked.begin(), linked.end(), std::back_inserter(unlinked));
        for (int id : unlinked)
        {
            CardMerge::Side side;
            if (!LocalSide(id, side))
                continue;
            for (const wxString& key : MatchKeys(side.contact))
                matches.emplace(key, id);
        }
    }
    if (matches.empty())
        return -1;
    for (const wxString& key : MatchKeys(server.contact))
    {
        const auto it = matches.find(key);
        if (it == matches.end())
            continue;
        const int id = it->second;
        // One card per contact.
        for (auto m = matches.begin(); m != matches.end();)
            m = m->second == id ? matches.erase(m) : std::next(m);
        return id;
    }
    return -1;
}
