// Reading WebDAV multistatus answers (PROPFIND, REPORT) with expat, and
// writing the requests. Only what a CardDAV client needs is read: per
// response its href and status, and the properties of its successful
// propstats.
#pragma once

#include <string>
#include <vector>

namespace DavXml
{
struct Item
{
    std::string href;
    int status = 0;     // the response's own status (404: removed in a sync report), 0 when it has none
    bool found = false; // a propstat with a 2xx status came
    std::string etag;
    bool hasCard = false;
    std::string card; // address-data
    bool collection = false;
    bool addressbook = false;
    std::string displayName;
    std::string syncToken;
    bool syncCollection = false;    // supported-report-set names sync-collection
    std::vector<std::string> hrefs; // the hrefs inside current-user-principal or addressbook-home-set
    std::string principal;          // current-user-principal
    std::string homeSet;            // addressbook-home-set
};

struct Multistatus
{
    bool parsed = false; // well-formed and a multistatus
    std::vector<Item> items;
    std::string syncToken;     // the multistatus's own (sync-collection)
    bool truncated = false;    // a 507 response for the collection: ask again with the new token
    bool invalidToken = false; // an error body naming valid-sync-token
};

Multistatus Parse(const std::string& body);
// Whether an error body (403, 409) names the precondition valid-sync-token.
bool NamesInvalidToken(const std::string& body);

std::string Escape(const std::string& text);

// The request bodies.
std::string PropfindDiscovery();
std::string PropfindCollection();
std::string PropfindEtags();
std::string SyncCollection(const std::string& token);
std::string Multiget(const std::vector<std::string>& hrefs);
} // namespace DavXml
