#include "sync/Discovery.h"

#include <wx/intl.h>

#include "sync/DavXml.h"

namespace
{
bool IsMultistatus(const Dav::Response& response)
{
    return response.failure == Dav::Failure::NONE && response.status == 207;
}

wxString BookName(const DavXml::Item& item)
{
    if (!item.displayName.empty())
        return wxString::FromUTF8(item.displayName);
    std::string path = item.href;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return wxString::FromUTF8(path.substr(path.rfind('/') + 1));
}

// The address books among the answers of a PROPFIND.
void CollectBooks(const DavXml::Multistatus& status, const std::string& base, std::vector<Discovery::Book>& books)
{
    for (const DavXml::Item& item : status.items)
    {
        if (item.addressbook)
            books.push_back({Dav::Resolve(base, item.href), BookName(item)});
    }
}
} // namespace

Discovery::Found Discovery::Run(Dav::Client& client, const std::string& typedUrl)
{
    Found found;
    const std::string start = Dav::NormalizeUrl(typedUrl);
    Dav::Response response = client.Propfind(start, 0, DavXml::PropfindDiscovery(), true);
    if (response.failure != Dav::Failure::NONE || response.status == 401)
    {
        found.reason = Dav::Describe(response, start);
        return found;
    }
    std::string base = response.url;
    DavXml::Multistatus status;
    if (IsMultistatus(response))
        status = DavXml::Parse(response.body);
    std::string principal;
    std::string home;
    for (const DavXml::Item& item : status.items)
    {
        if (item.addressbook)
        {
            found.books.push_back({Dav::Resolve(base, item.href), BookName(item)});
            found.ok = true;
            return found;
        }
        if (!item.principal.empty())
            principal = Dav::Resolve(base, item.principal);
        if (!item.homeSet.empty())
            home = Dav::Resolve(base, item.homeSet);
    }
    // Nothing at the address itself: the host's well-known address.
    if (principal.empty() && home.empty())
    {
        const std::string known = Dav::Resolve(start, "/.well-known/carddav");
        response = client.Propfind(known, 0, DavXml::PropfindDiscovery(), true);
        if (response.failure != Dav::Failure::NONE || response.status == 401)
        {
            found.reason = Dav::Describe(response, known);
            return found;
        }
        if (IsMultistatus(response))
        {
            base = response.url;
            for (const DavXml::Item& item : DavXml::Parse(response.body).items)
            {
                if (!item.principal.empty())
                    principal = Dav::Resolve(base, item.principal);
                if (!item.homeSet.empty())
                    home = Dav::Resolve(base, item.homeSet);
            }
        }
    }
    if (home.empty() && !principal.empty())
    {
        response = client.Propfind(principal, 0, DavXml::PropfindDiscovery(), true);
        if (response.failure != Dav::Failure::NONE || response.status == 401)
        {
            found.reason = Dav::Describe(response, principal);
            return found;
        }
        if (IsMultistatus(response))
        {
            for (const DavXml::Item& item : DavXml::Parse(response.body).items)
            {
                if (!item.homeSet.empty())
                    home = Dav::Resolve(response.url, item.homeSet);
            }
        }
    }
    if (home.empty())
    {
        found.reason = wxString::Format(_("No address book was found at %s."), wxString::FromUTF8(start));
        return found;
    }
    response = client.Propfind(home, 1, DavXml::PropfindDiscovery(), true);
    if (!IsMultistatus(response))
    {
        found.reason = Dav::Describe(response, home);
        return found;
    }
    CollectBooks(DavXml::Parse(response.body), response.url, found.books);
    found.ok = !found.books.empty();
    if (!found.ok)
        found.reason = wxString::Format(_("No address book was found at %s."), wxString::FromUTF8(start));
    return found;
}
