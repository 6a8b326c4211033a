#include "sync/DavXml.h"

#include <expat.h>

#include <cstdlib>
#include <cstring>

namespace
{
const char* const DAV = "DAV:";
const char* const CARDDAV = "urn:ietf:params:xml:ns:carddav";

// Element names come as "namespace local" (the parser splits on a space).
struct Name
{
    std::string ns;
    std::string local;
};

Name Split(const char* full)
{
    const char* space = std::strchr(full, ' ');
    if (!space)
        return {std::string(), full};
    return {std::string(full, space - full), space + 1};
}

int StatusOf(const std::string& line)
{
    // "HTTP/1.1 404 Not Found"
    const size_t space = line.find(' ');
    return space == std::string::npos ? 0 : std::atoi(line.c_str() + space + 1);
}

std::string Trim(const std::string& text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && (text[start] == ' ' || text[start] == '\n' || text[start] == '\r' || text[start] == '\t'))
        ++start;
    while (end > start &&
           (text[end - 1] == ' ' || text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == '\t'))
        --end;
    return text.substr(start, end - start);
}

struct State
{
    DavXml::Multistatus result;
    std::vector<Name> stack;
    std::string text;
    bool inResponse = false;
    bool inPropstat = false;
    bool inProp = false;
    bool rootSeen = false;
    DavXml::Item item;
    DavXml::Item props; // the current propstat's properties
    int propstatStatus = 0;
    bool sawError = false;

    bool Inside(const char* local) const
    {
        for (const Name& name : stack)
        {
            if (name.local == local)
                return true;
        }
        return false;
    }
};

void Start(void* data, const char* full, const char**)
{
    auto& s = *static_cast<State*>(data);
    const Name name = Split(full);
    if (s.stack.empty())
        s.rootSeen = name.ns == DAV && name.local == "multistatus";
    s.text.clear();
    if (name.ns == DAV)
    {
        if (name.local == "response" && s.stack.size() == 1)
        {
            s.inResponse = true;
            s.item = DavXml::Item();
        }
        else if (name.local == "propstat" && s.inResponse)
        {
            s.inPropstat = true;
            s.props = DavXml::Item();
            s.propstatStatus = 0;
        }
        else if (name.local == "prop" && s.inPropstat)
            s.inProp = true;
        else if (s.inProp && name.local == "collection" && s.Inside("resourcetype"))
            s.props.collection = true;
        else if (s.inProp && name.local == "sync-collection" && s.Inside("supported-report-set"))
            s.props.syncCollection = true;
    }
    else if (name.ns == CARDDAV && s.inProp)
    {
        if (name.local == "addressbook" && s.Inside("resourcetype"))
            s.props.addressbook = true;
        else if (name.local == "address-data")
            s.props.hasCard = true;
    }
    s.stack.push_back(name);
}

void End(void* data, const char*)
{
    auto& s = *static_cast<State*>(data);
    if (s.stack.empty())
        return;
    const Name name = s.stack.back();
    s.stack.pop_back();
    const std::string value = s.text;
    s.text.clear();
    if (name.ns == DAV)
    {
        if (name.local == "href")
        {
            const std::string href = Trim(value);
            if (s.inProp && s.Inside("current-user-principal"))
                s.props.principal = href;
            else if (s.inProp && s.Inside("addressbook-home-set"))
            {
                if (s.props.homeSet.empty())
                    s.props.homeSet = href;
                s.props.hrefs.push_back(href);
            }
            else if (s.inResponse && !s.inPropstat && s.item.href.empty())
                s.item.href = href;
        }
        else if (name.local == "status")
        {
            if (s.inPropstat)
                s.propstatStatus = StatusOf(Trim(value));
            else if (s.inResponse)
                s.item.status = StatusOf(Trim(value));
        }
        else if (name.local == "getetag" && s.inProp)
            s.props.etag = Trim(value);
        else if (name.local == "displayname" && s.inProp)
            s.props.displayName = Trim(value);
        else if (name.local == "sync-token")
        {
            if (s.inProp)
                s.props.syncToken = Trim(value);
            else if (!s.inResponse)
                s.result.syncToken = Trim(value);
        }
        else if (name.local == "prop")
            s.inProp = false;
        else if (name.local == "propstat" && s.inPropstat)
        {
            s.inPropstat = false;
            if (s.propstatStatus >= 200 && s.propstatStatus < 300)
            {
                DavXml::Item& item = s.item;
                const DavXml::Item& p = s.props;
                item.found = true;
                if (!p.etag.empty())
                    item.etag = p.etag;
                if (p.hasCard)
                {
                    item.hasCard = true;
                    item.card = p.card;
                }
                item.collection = item.collection || p.collection;
                item.addressbook = item.addressbook || p.addressbook;
                item.syncCollection = item.syncCollection || p.syncCollection;
                if (!p.displayName.empty())
                    item.displayName = p.displayName;
                if (!p.syncToken.empty())
                    item.syncToken = p.syncToken;
                if (!p.principal.empty())
                    item.principal = p.principal;
                if (!p.homeSet.empty())
                    item.homeSet = p.homeSet;
            }
        }
        else if (name.local == "response" && s.inResponse)
        {
            s.inResponse = false;
            if (s.item.status == 507)
                s.result.truncated = true;
            s.result.items.push_back(std::move(s.item));
        }
        else if (name.local == "valid-sync-token")
            s.result.invalidToken = true;
    }
    else if (name.ns == CARDDAV && name.local == "address-data" && s.inProp)
        s.props.card = value;
}

void Text(void* data, const char* text, int length)
{
    static_cast<State*>(data)->text.append(text, length);
}
} // namespace

DavXml::Multistatus DavXml::Parse(const std::string& body)
{
    State state;
    XML_Parser parser = XML_ParserCreateNS("UTF-8", ' ');
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, Start, End);
    XML_SetCharacterDataHandler(parser, Text);
    const bool ok = XML_Parse(parser, body.data(), static_cast<int>(body.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    state.result.parsed = ok && state.rootSeen;
    return std::move(state.result);
}

bool DavXml::NamesInvalidToken(const std::string& body)
{
    return body.find("valid-sync-token") != std::string::npos;
}

std::string DavXml::Escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace
{
const char* const HEAD = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
}

std::string DavXml::PropfindDiscovery()
{
    return std::string(HEAD) + "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
                               "<d:resourcetype/><d:displayname/><d:current-user-principal/>"
                               "<c:addressbook-home-set/></d:prop></d:propfind>";
}

std::string DavXml::PropfindCollection()
{
    return std::string(HEAD) + "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:displayname/>"
                               "<d:supported-report-set/><d:sync-token/></d:prop></d:propfind>";
}

std::string DavXml::PropfindEtags()
{
    return std::string(HEAD) + "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:getetag/></d:prop>"
                               "</d:propfind>";
}

std::string DavXml::SyncCollection(const std::string& token)
{
    return std::string(HEAD) + "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" + Escape(token) +
           "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>";
}

std::string DavXml::Multiget(const std::vector<std::string>& hrefs)
{
    std::string body = std::string(HEAD) + "<c:addressbook-multiget xmlns:d=\"DAV:\" "
                                           "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop><d:getetag/>"
                                           "<c:address-data/></d:prop>";
    for (const std::string& href : hrefs)
        body += "<d:href>" + Escape(href) + "</d:href>";
    return body + "</c:addressbook-multiget>";
}
