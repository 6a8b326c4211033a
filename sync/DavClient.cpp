#include "sync/DavClient.h"

#include <curl/curl.h>

#include <wx/intl.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <mutex>

namespace
{
size_t WriteBody(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t WriteHeader(char* data, size_t size, size_t count, void* target)
{
    auto& headers = *static_cast<std::map<std::string, std::string>*>(target);
    const std::string line(data, size * count);
    // A new status line (a redirect, a 100 Continue) starts a new set.
    if (line.compare(0, 5, "HTTP/") == 0)
        headers.clear();
    const size_t colon = line.find(':');
    if (colon != std::string::npos)
    {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        size_t start = colon + 1;
        size_t end = line.size();
        while (start < end && (line[start] == ' ' || line[start] == '\t'))
            ++start;
        while (end > start && (line[end - 1] == '\r' || line[end - 1] == '\n' || line[end - 1] == ' '))
            --end;
        headers[name] = line.substr(start, end - start);
    }
    return size * count;
}

// For the tests that kill a sync at a chosen moment: CORVALA_TEST_KILL_AFTER
// = "PUT:3" kills the process (SIGKILL, as kill -9 does) as soon as the
// answer to its third PUT has come, before the sync could record it.
void KillIfAsked(const std::string& method)
{
    static const char* const asked = std::getenv("CORVALA_TEST_KILL_AFTER");
    static int seen = 0;
    if (!asked)
        return;
    const std::string spec(asked);
    const size_t colon = spec.find(':');
    if (colon == std::string::npos || spec.compare(0, colon, method) != 0)
        return;
    if (++seen == std::atoi(spec.c_str() + colon + 1))
        std::raise(SIGKILL);
}

int Progress(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* cancel = static_cast<const std::atomic<bool>*>(flag);
    return cancel && cancel->load() ? 1 : 0;
}

Dav::Failure Classify(CURLcode code)
{
    switch (code)
    {
    case CURLE_OK:
        return Dav::Failure::NONE;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return Dav::Failure::HOST_NOT_FOUND;
    case CURLE_COULDNT_CONNECT:
        return Dav::Failure::REFUSED;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
        return Dav::Failure::CERTIFICATE;
    case CURLE_OPERATION_TIMEDOUT:
        return Dav::Failure::TIMEOUT;
    case CURLE_ABORTED_BY_CALLBACK:
        return Dav::Failure::CANCELLED;
    default:
        return Dav::Failure::OTHER;
    }
}

// One part of a URL (its host, its path); the URL itself when it cannot be read.
std::string UrlPart(const std::string& url, CURLUPart which)
{
    CURLU* u = curl_url();
    std::string part = url;
    char* text = nullptr;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK && curl_url_get(u, which, &text, 0) == CURLUE_OK)
    {
        part = text;
        curl_free(text);
    }
    curl_url_cleanup(u);
    return part;
}
} // namespace

std::string Dav::Response::Header(const std::string& name) const
{
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

Dav::Client::Client(const Settings& settings) : settings(settings)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    curl = curl_easy_init();
}

Dav::Client::~Client()
{
    if (curl)
        curl_easy_cleanup(curl);
    // The password goes with the object.
    std::fill(settings.password.begin(), settings.password.end(), '\0');
}

Dav::Response Dav::Client::Request(const std::string& method, const std::string& url,
                                   const std::vector<std::string>& headers, const std::string& body,
                                   bool followRedirects)
{
    Response response;
    if (!curl)
    {
        response.failure = Failure::OTHER;
        response.errorText = "libcurl could not start";
        return response;
    }
    ++requests;
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, settings.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, settings.connectSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, settings.stallSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedBytes);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Corvala/1.0");
    if (!settings.user.empty())
    {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(curl, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, settings.password.c_str());
    }
    if (followRedirects)
    {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
        // The credentials go along only while the host stays the same.
        curl_easy_setopt(curl, CURLOPT_UNRESTRICTED_AUTH, 0L);
    }
    if (!body.empty() || method == "PUT")
    {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    }
    else if (method == "HEAD")
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_slist* list = nullptr;
    for (const std::string& header : headers)
        list = curl_slist_append(list, header.c_str());
    // A small body goes at once. A large one (a card with a photo) asks
    // first, so that a server that refuses it (413) can say so before the
    // body is sent, instead of closing the connection under it.
    if (body.size() <= 16 * 1024)
        list = curl_slist_append(list, "Expect:");
    else
        curl_easy_setopt(curl, CURLOPT_EXPECT_100_TIMEOUT_MS, 2000L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, WriteHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response.headers);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, settings.cancel);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, settings.cancel ? 0L : 1L);
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    CURLcode code = curl_easy_perform(curl);
    long answered = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answered);
    if ((code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR || code == CURLE_GOT_NOTHING) && answered == 0)
    {
        // The kept connection was closed by the server meanwhile (after it
        // refused the last request, say): once more on a new one. Every
        // request here may be sent twice (PUT and DELETE carry their
        // If-Match or If-None-Match).
        response.body.clear();
        response.headers.clear();
        curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
        code = curl_easy_perform(curl);
    }
    curl_slist_free_all(list);
    response.failure = Classify(code);
    if (code != CURLE_OK)
        response.errorText = error[0] ? error : curl_easy_strerror(code);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    // A server that answered with a refusal and closed the connection while
    // the body was still being sent: its answer is the answer.
    if ((code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR) && response.status >= 400)
        response.failure = Dav::Failure::NONE;
    // A large body that a fresh connection, too, could not send: the server
    // took the connection and closed it under the body, so it refuses the
    // body (its 413 was lost in the closing). That request fails, not the
    // sync; the card is offered again next time.
    else if (code == CURLE_SEND_ERROR && response.status == 0 && answered == 0 && body.size() > 16 * 1024)
    {
        response.status = 413;
        response.failure = Dav::Failure::NONE;
    }
    char* effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    response.url = effective ? effective : url;
    // Nothing of the password stays in the handle between requests.
    curl_easy_setopt(curl, CURLOPT_PASSWORD, "");
    KillIfAsked(method);
    return response;
}

Dav::Response Dav::Client::Propfind(const std::string& url, int depth, const std::string& body, bool followRedirects)
{
    return Request("PROPFIND", url, {"Content-Type: application/xml; charset=utf-8", "Depth: " + std::to_string(depth)},
                   body, followRedirects);
}

Dav::Response Dav::Client::Report(const std::string& url, int depth, const std::string& body)
{
    return Request("REPORT", url, {"Content-Type: application/xml; charset=utf-8", "Depth: " + std::to_string(depth)},
                   body);
}

std::string Dav::Resolve(const std::string& base, const std::string& href)
{
    CURLU* u = curl_url();
    std::string result = href;
    char* full = nullptr;
    if (curl_url_set(u, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
        curl_url_set(u, CURLUPART_URL, href.c_str(), 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_URL, &full, 0) == CURLUE_OK)
    {
        result = full;
        curl_free(full);
    }
    curl_url_cleanup(u);
    return result;
}

std::string Dav::PathOf(const std::string& url)
{
    return UrlPart(url, CURLUPART_PATH);
}

std::string Dav::NormalizeUrl(const std::string& typed)
{
    std::string url = typed;
    while (!url.empty() && std::isspace(static_cast<unsigned char>(url.back())))
        url.pop_back();
    size_t start = 0;
    while (start < url.size() && std::isspace(static_cast<unsigned char>(url[start])))
        ++start;
    url = url.substr(start);
    if (url.find("://") == std::string::npos)
        url = "https://" + url;
    // A bare host gets the root path.
    if (url.find('/', url.find("://") + 3) == std::string::npos)
        url += "/";
    return url;
}

wxString Dav::Describe(const Response& response, const std::string& url)
{
    const wxString host = wxString::FromUTF8(UrlPart(url, CURLUPART_HOST));
    switch (response.failure)
    {
    case Failure::HOST_NOT_FOUND:
        return wxString::Format(_("The server %s was not found."), host);
    case Failure::REFUSED:
        return wxString::Format(_("The server %s refused the connection."), host);
    case Failure::CERTIFICATE:
        return wxString::Format(_("The certificate of %s could not be verified, so nothing was sent to it."), host);
    case Failure::TIMEOUT:
        return wxString::Format(_("The server %s did not answer in time."), host);
    case Failure::CANCELLED:
        return _("Cancelled.");
    case Failure::OTHER:
        return wxString::Format(_("The connection to %s failed: %s"), host, wxString::FromUTF8(response.errorText));
    case Failure::NONE:
        break;
    }
    if (response.status == 401)
        return wxString::Format(_("The server %s refused the user name or password."), host);
    if (response.status == 403)
        return wxString::Format(_("The server %s refused access."), host);
    if (response.status == 404)
        return wxString::Format(_("Nothing was found at %s."), wxString::FromUTF8(url));
    if (response.status >= 500)
        return wxString::Format(_("The server %s failed (error %ld)."), host, response.status);
    return wxString::Format(_("The server %s answered with error %ld."), host, response.status);
}
