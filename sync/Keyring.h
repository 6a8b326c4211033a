// Account passwords in the desktop keyring (the Secret Service, through
// libsecret). Nothing else in the program keeps a password: where no
// keyring answers, the caller asks for it and holds it for the session.
#pragma once

#include <string>

#include <wx/string.h>

namespace Keyring
{
// Whether a keyring can be asked at all (a desktop session is running).
bool Available();
// False (with the keyring's words) when the password could not be kept.
bool Store(const wxString& account, const std::string& password, wxString* error = nullptr);
// False when neither this session nor the keyring has one for the account.
bool Lookup(const wxString& account, std::string& password);
// Holds a password in this process's memory until it ends (no keyring, or
// a password asked for at a sync); Lookup finds it first.
void RememberForSession(const wxString& account, const std::string& password);
void Forget(const wxString& account);
} // namespace Keyring
