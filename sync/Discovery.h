// Finding the address books of an account from what the user typed: the
// address itself (an address book, a principal or a home), else the host's
// /.well-known/carddav, then current-user-principal, addressbook-home-set
// and the address books in it. Redirects are followed.
#pragma once

#include <string>
#include <vector>

#include <wx/string.h>

#include "sync/DavClient.h"

namespace Discovery
{
struct Book
{
    std::string url; // absolute
    wxString name;   // its display name, or the last part of its path
};

struct Found
{
    bool ok = false;
    wxString reason; // what failed, in one line
    std::vector<Book> books;
};

Found Run(Dav::Client& client, const std::string& typedUrl);
} // namespace Discovery
