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
// False when the keyring has none for the account or cannot be asked.
bool Lookup(const wxString& account, std::string& password);
void Forget(const wxString& account);
} // namespace Keyring
