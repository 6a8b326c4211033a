#include "sync/Keyring.h"

#include <libsecret/secret.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace
{
const SecretSchema* Schema()
{
    static const SecretSchema schema = {
        "org.corvala.Account",
        SECRET_SCHEMA_NONE,
        {{"account", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr};
    return &schema;
}

std::map<wxString, std::string>& Session()
{
    static std::map<wxString, std::string> passwords;
    return passwords;
}
} // namespace

void Keyring::RememberForSession(const wxString& account, const std::string& password)
{
    Session()[account] = password;
}

bool Keyring::Available()
{
    // Without a session bus libsecret would try to start one, or wait.
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return bus && *bus;
}

bool Keyring::Store(const wxString& account, const std::string& password, wxString* error)
{
    if (!Available())
    {
        if (error)
            *error = "no keyring is running";
        return false;
    }
    GError* failure = nullptr;
    const wxString label = "Corvala: " + account;
    const gboolean ok =
        secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.utf8_str(), password.c_str(), nullptr,
                                   &failure, "account", static_cast<const char*>(account.utf8_str()), nullptr);
    if (failure)
    {
        if (error)
            *error = wxString::FromUTF8(failure->message);
        g_error_free(failure);
        return false;
    }
    return ok;
}

bool Keyring::Lookup(const wxString& account, std::string& password)
{
    const auto held = Session().find(account);
    if (held != Session().end())
    {
        password = held->second;
        return true;
    }
    if (!Available())
        return false;
    GError* failure = nullptr;
    gchar* found = secret_password_lookup_sync(Schema(), nullptr, &failure, "account",
                                               static_cast<const char*>(account.utf8_str()), nullptr);
    if (failure)
        g_error_free(failure);
    if (!found)
        return false;
    password = found;
    secret_password_free(found);
    return true;
}

void Keyring::Forget(const wxString& account)
{
    Session().erase(account);
    if (!Available())
        return;
    GError* failure = nullptr;
    secret_password_clear_sync(Schema(), nullptr, &failure, "account", static_cast<const char*>(account.utf8_str()),
                               nullptr);
    if (failure)
        g_error_free(failure);
}
