// The steps of a sync that change one card or one contact: taking in a
// server card or its deletion, and sending a local edit, delete or new
// contact. Each records what it is about to do before its request and what
// came of it after.
#include <wx/intl.h>

#include <set>

#include "exchange/VCardMapping.h"
#include "storage/Adapter.h"
#include "storage/ContactManager.h"
#include "sync/DavXml.h"
#include "sync/SyncEngine.h"

namespace
{
bool Refused(long status)
{
    return status == 400 || status == 403 || status == 409 || status == 413 || status == 415 || status == 422;
}
} // namespace

void SyncEngine::TakeCard(const std::string& href, const std::string& etag, const std::string& card)
{
    CheckCancel();
    CardMerge::Side server;
    if (!CardMerge::FromCard(card, server))
    {
        // A card that names no one, as the import skips it; counted.
        ++report.unreadable;
        return;
    }
    Adapter adapter;
    SyncStore::Link link;
    if (!SyncStore::ReadLink(adapter, account->id, wxString::FromUTF8(href), link))
    {
        if (adapter.LastFailed())
            FailStorage();
        // New on the server: the same person here is linked, not doubled.
        const int id = MatchLocal(server);
        CardMerge::Side local;
        if (id >= 0 && LocalSide(id, local))
        {
            link.href = wxString::FromUTF8(href);
            link.contactId = id;
            StoreMerged(link, local, server, etag, card, CardMerge::Side(), CardMerge::Side());
            return;
        }
        InsertFromServer(href, etag, card, server);
        return;
    }
    CardMerge::Side local;
    if (link.contactId < 0 || !LocalSide(link.contactId, local))
    {
        // Deleted here, changed there: the edit wins and the card comes back.
        InsertFromServer(href, etag, card, server);
        return;
    }
    CardMerge::Side baseLocal, baseServer;
    if (!CardMerge::FromCard(link.local, baseLocal))
        baseLocal = CardMerge::Side();
    if (!CardMerge::FromCard(link.card, baseServer))
        baseServer = CardMerge::Side();
    StoreMerged(link, local, server, etag, card, baseLocal, baseServer);
}

void SyncEngine::StoreMerged(const SyncStore::Link& link, const CardMerge::Side& local, const CardMerge::Side& server,
                             const std::string& etag, const std::string& card, const CardMerge::Side& baseLocal,
                             const CardMerge::Side& baseServer)
{
    CardMerge::Result merge =
        CardMerge::Merge(baseLocal, baseServer, local, CardMerge::Seen(local, CardMerge::VersionOf(card)), server);
    ToTags(merge.merged);
    SyncStore::Link next = link;
    next.contactId = local.contact.id;
    next.etag = wxString::FromUTF8(etag);
    next.uid = CardMerge::UidOf(server.contact);
    next.card = card;
    next.local = CardMerge::ToCard(merge.unsent, CardMerge::VersionOf(card));
    next.state = SyncStore::LINK_CLEAN;
    next.pending.clear();
    const bool changedHere = CardMerge::Differ(merge.merged, local);
    const auto write = [&](Adapter& adapter)
    {
        if (!SyncStore::SaveLink(adapter, account->id, next))
            return false;
        for (const CardMerge::Conflict& conflict : merge.conflicts)
        {
            const wxString note = wxString::Format(
                _("Sync with %s: %s was changed here and on the server. Kept here: %s. The server had: %s."),
                account->name, CardMerge::FieldLabel(conflict.field), conflict.mine, conflict.theirs);
            if (!contacts.AddSyncHistory(adapter, next.contactId, note))
                return false;
        }
        return true;
    };
    bool changedMeanwhile = false;
    const bool stored = changedHere ? contacts.StoreSynced(merge.merged.contact, write, &changedMeanwhile)
                                    : contacts.WriteSynced(write);
    if (!stored)
    {
        // Another program edited the contact just now: its edit stays, and
        // the server's change is taken at the next sync.
        if (changedMeanwhile)
        {
            tokenSafe = false;
            return;
        }
        FailStorage();
    }
    if (changedHere)
        ++report.received;
    report.conflicts += merge.conflicts.size();
}

void SyncEngine::InsertFromServer(const std::string& href, const std::string& etag, const std::string& card,
                                  const CardMerge::Side& server)
{
    CardMerge::Side side = server;
    side.contact.id = -1;
    ToTags(side);
    SyncStore::Link link;
    link.href = wxString::FromUTF8(href);
    link.etag = wxString::FromUTF8(etag);
    link.uid = CardMerge::UidOf(server.contact);
    link.card = card;
    link.state = SyncStore::LINK_CLEAN;
    // The card the stored contact makes, read back in the same transaction.
    const auto write = [&](Adapter& adapter)
    {
        link.contactId = side.contact.id;
        std::unique_ptr<ContactInfoEx> stored = contacts.ReadSynced(side.contact.id);
        if (!stored)
            return false;
        CardMerge::Side now;
        now.contact = *stored;
        now.tags = side.tags;
        link.local = CardMerge::ToCard(now, CardMerge::VersionOf(card));
        return SyncStore::SaveLink(adapter, account->id, link);
    };
    if (!contacts.StoreSynced(side.contact, write))
        FailStorage();
    ++report.received;
}

void SyncEngine::TakeDelete(const SyncStore::Link& link)
{
    CardMerge::Side local;
    if (link.contactId < 0 || !LocalSide(link.contactId, local))
    {
        RemoveLink(link.href);
        return;
    }
    // Never sent yet: the sending below does it.
    if (link.state == SyncStore::LINK_CREATING)
        return;
    const std::string now = CardMerge::ToCard(local, CardMerge::VersionOf(link.card));
    if (now != link.local)
    {
        // Edited here, deleted there: the edit wins, the card is sent again.
        SyncStore::Link again = link;
        again.state = SyncStore::LINK_CREATING;
        again.etag.clear();
        SaveLink(again);
        return;
    }
    if (!contacts.DeleteSynced(link.contactId, [&](Adapter& adapter)
                               { return SyncStore::RemoveLink(adapter, account->id, link.href); }))
        FailStorage();
    ++report.deletedHere;
}

void SyncEngine::SendChanges()
{
    Adapter adapter;
    std::vector<wxString> hrefs;
    if (!SyncStore::ForEachLink(adapter, account->id,
                                [&hrefs](const SyncStore::Link& link) { hrefs.push_back(link.href); }))
        FailStorage();
    std::set<int> linked;
    size_t done = 0;
    for (const wxString& href : hrefs)
    {
        CheckCancel();
        if (++done % 500 == 0)
            Progress(wxString::Format(_("Looking for changes here: %d of %d"), static_cast<int>(done),
                                      static_cast<int>(hrefs.size())));
        SyncStore::Link link;
        if (!SyncStore::ReadLink(adapter, account->id, href, link))
        {
            if (adapter.LastFailed())
                FailStorage();
            continue;
        }
        if (link.contactId >= 0)
            linked.insert(link.contactId);
        CardMerge::Side local;
        if (link.contactId < 0 || !LocalSide(link.contactId, local))
        {
            SendDelete(link);
            continue;
        }
        const std::string now = CardMerge::ToCard(local, CardMerge::VersionOf(link.card));
        if (link.state != SyncStore::LINK_CLEAN || now != link.local)
            SendUpdate(link, local, false);
    }
    std::vector<int> ids;
    if (!contacts.AllContactIds(ids))
        FailStorage();
    std::vector<int> fresh;
    for (int id : ids)
    {
        if (!linked.count(id) && id > account->keepLocalUpTo)
            fresh.push_back(id);
    }
    for (size_t i = 0; i < fresh.size(); ++i)
    {
        CheckCancel();
        if (i % 100 == 0)
            Progress(wxString::Format(_("Sending new contacts to %s: %d of %d"), account->name, static_cast<int>(i),
                                      static_cast<int>(fresh.size())));
        CardMerge::Side local;
        if (LocalSide(fresh[i], local))
            SendCreate(local);
    }
}

void SyncEngine::SendCreate(const CardMerge::Side& local)
{
    wxString uid = CardMerge::UidOf(local.contact);
    if (uid.empty())
        uid = VCardMapping::StableUid(local.contact);
    SyncStore::Link link;
    link.href = wxString::FromUTF8(NewHref(uid));
    // Two contacts with one UID (copies of one card): the second gets its own address.
    Adapter adapter;
    SyncStore::Link other;
    if (SyncStore::ReadLink(adapter, account->id, link.href, other) && other.contactId != local.contact.id)
        link.href = wxString::FromUTF8(NewHref(uid + wxString::Format("-%d", local.contact.id)));
    link.contactId = local.contact.id;
    link.uid = uid;
    link.state = SyncStore::LINK_CREATING;
    SaveLink(link);
    SendUpdate(link, local, false);
}

void SyncEngine::SendUpdate(SyncStore::Link link, const CardMerge::Side& local, bool retried)
{
    const bool create = link.state == SyncStore::LINK_CREATING;
    const std::string card = CardMerge::ToCard(local, CardMerge::VersionOf(link.card));
    link.pending = card;
    link.state = create ? SyncStore::LINK_CREATING : SyncStore::LINK_UPDATING;
    SaveLink(link);
    const std::string url = Url(link.href.utf8_string());
    std::vector<std::string> headers = {"Content-Type: text/vcard; charset=utf-8"};
    if (create)
        headers.push_back("If-None-Match: *");
    else if (!link.etag.empty())
        headers.push_back("If-Match: " + link.etag.utf8_string());
    const Dav::Response response = http->Request("PUT", url, headers, card);
    if (response.failure != Dav::Failure::NONE)
        FailRequest(response, url);
    if (response.Ok())
    {
        link.card = card;
        link.local = card;
        link.pending.clear();
        link.state = SyncStore::LINK_CLEAN;
        std::string etag = response.Header("etag");
        if (etag.empty())
        {
            // Asked once now, so that the next sync need not fetch the card.
            const Dav::Response asked = http->Propfind(url, 0, DavXml::PropfindEtags());
            if (asked.status == 207)
            {
                for (const DavXml::Item& item : DavXml::Parse(asked.body).items)
                {
                    if (!item.etag.empty())
                        etag = item.etag;
                }
            }
        }
        link.etag = wxString::FromUTF8(etag);
        SaveLink(link);
        ++report.sent;
        return;
    }
    if (response.status == 412 && !retried)
    {
        // Changed on the server since: fetch it, merge, and send once more.
        std::string etag, serverCard;
        long status = 0;
        if (!FetchOne(link.href.utf8_string(), etag, serverCard, status))
        {
            if (status == 404 && !create)
            {
                link.state = SyncStore::LINK_CREATING;
                link.etag.clear();
                SendUpdate(link, local, true);
            }
            return;
        }
        TakeCard(link.href.utf8_string(), etag, serverCard);
        Adapter adapter;
        SyncStore::Link now;
        CardMerge::Side merged;
        if (SyncStore::ReadLink(adapter, account->id, link.href, now) && now.contactId >= 0 &&
            LocalSide(now.contactId, merged) && CardMerge::ToCard(merged, CardMerge::VersionOf(now.card)) != now.local)
            SendUpdate(now, merged, true);
        return;
    }
    if (response.status == 404 && !create && !retried)
    {
        // Gone from the server while edited here: the edit wins.
        link.state = SyncStore::LINK_CREATING;
        link.etag.clear();
        SendUpdate(link, local, true);
        return;
    }
    if (Refused(response.status) || response.status == 412)
    {
        report.refused.push_back(local.contact.GetDisplayName());
        if (create)
        {
            RemoveLink(link.href);
        }
        else
        {
            link.state = SyncStore::LINK_CLEAN;
            link.pending.clear();
            SaveLink(link);
        }
        return;
    }
    FailRequest(response, url);
}

void SyncEngine::SendDelete(SyncStore::Link link)
{
    const std::string url = Url(link.href.utf8_string());
    const bool everSent = !link.etag.empty();
    link.state = SyncStore::LINK_DELETING;
    SaveLink(link);
    std::vector<std::string> headers;
    if (everSent)
        headers.push_back("If-Match: " + link.etag.utf8_string());
    const Dav::Response response = http->Request("DELETE", url, headers, std::string());
    if (response.failure != Dav::Failure::NONE)
        FailRequest(response, url);
    if (response.Ok() || response.status == 404 || response.status == 410)
    {
        RemoveLink(link.href);
        if (response.Ok())
            ++report.deletedThere;
        return;
    }
    if (response.status == 412)
    {
        // Changed on the server since it was deleted here: the edit wins.
        std::string etag, card;
        long status = 0;
        CardMerge::Side server;
        if (FetchOne(link.href.utf8_string(), etag, card, status) && CardMerge::FromCard(card, server))
            InsertFromServer(link.href.utf8_string(), etag, card, server);
        return;
    }
    if (Refused(response.status))
    {
        report.refused.push_back(wxString::FromUTF8(link.href.utf8_string()));
        return;
    }
    FailRequest(response, url);
}
