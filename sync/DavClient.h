// HTTP for WebDAV and CardDAV, on libcurl: one connection kept open for a
// sync's requests, Basic authentication, certificates verified (never
// accepted unverified), redirects followed where asked, the connection and
// every transfer bounded in time, and a cancel flag checked during
// transfers. Headless; the password lives only in this object's memory.
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include <wx/string.h>

typedef void CURL;

namespace Dav
{
enum class Failure
{
    NONE,
    HOST_NOT_FOUND,
    REFUSED,
    CERTIFICATE,
    TIMEOUT,
    CANCELLED,
    OTHER
};

struct Response
{
    long status = 0; // 0 when no answer came
    Failure failure = Failure::NONE;
    std::string errorText; // libcurl's words for a failure
    std::string body;
    std::map<std::string, std::string> headers; // names in lower case; the last of each
    std::string url;                            // where the answer came from (after redirects)

    bool Ok() const
    {
        return failure == Failure::NONE && status >= 200 && status < 300;
    }
    std::string Header(const std::string& name) const;
};

struct Settings
{
    std::string user;
    std::string password;
    long connectSeconds = 15;
    // A transfer slower than lowSpeedBytes per second for this long is cut.
    long stallSeconds = 30;
    long lowSpeedBytes = 1;
    // Extra certificate authorities (tests); empty: the system's.
    std::string caFile;
    const std::atomic<bool>* cancel = nullptr;
};

class Client
{
public:
    explicit Client(const Settings& settings);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    Response Request(const std::string& method, const std::string& url, const std::vector<std::string>& headers,
                     const std::string& body, bool followRedirects = false);

    // The XML requests of WebDAV, with their Content-Type and Depth.
    Response Propfind(const std::string& url, int depth, const std::string& body, bool followRedirects = false);
    Response Report(const std::string& url, int depth, const std::string& body);

    // How many requests were sent (the benchmarks and tests count them).
    size_t RequestCount() const
    {
        return requests;
    }

private:
    Settings settings;
    CURL* curl = nullptr;
    size_t requests = 0;
};

// An href from an answer made absolute against the URL it answers.
std::string Resolve(const std::string& base, const std::string& href);
// The path of a URL ("/alice/book/"), which is how hrefs are kept.
std::string PathOf(const std::string& url);
// A server address as typed ("dav.example.org") made into a URL.
std::string NormalizeUrl(const std::string& typed);
// The one-line reason for a failed answer, naming the server.
wxString Describe(const Response& response, const std::string& url);
} // namespace Dav
