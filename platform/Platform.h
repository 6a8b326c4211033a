// Everything that differs between platforms lives here, so the rest of the
// program builds unchanged with another port of the toolkit.
#pragma once

#include <memory>

#include <wx/bitmap.h>
#include <wx/string.h>

class wxConfigBase;
class wxWindow;
class wxWindowDisabler;

namespace Platform
{
// Dispatches at most one pending window message; never waits.
void PumpOneMessage();

// One of the icons built into the executable: "icon_group",
// "icon_contact_male", "icon_contact_female", "icon_history",
// "icon_contact_not_stated".
wxBitmap LoadResourceIcon(const wxString& name);

// A picture from img/ below the working directory, in any image format.
// An invalid bitmap, without any message, when the file is missing or
// unreadable: windows still open with a picture gone.
wxBitmap LoadPicture(const wxString& file);

// Folder of the running executable, without a trailing separator.
wxString GetExecutableDir();

// A path below the working directory from parts: Cwd("data", "Corvala.s3db").
wxString CwdPath(const wxString& folder, const wxString& file);

// Lets the toolkit's own texts (stock buttons, standard dialogs) follow the
// program's language, named by its canonical name ("ja_JP"), also where the
// system has no locale for it.
void SetToolkitLanguage(const wxString& canonicalName);

// The per-user configuration store: the registry on Windows, a file
// elsewhere (localFile, when given, instead of the usual one). A file that
// cannot be written is not reported by the toolkit while it is written:
// whoever flushes it hears false, and the program tells the user once.
wxConfigBase* CreateConfiguration(const wxString& localFile = wxString());

// The file dialog's pattern for files ending in ".extension", in any letter
// case: "*.xls" matches only lower case in GTK's dialog, where Windows'
// matches every case by itself.
wxString AnyCasePattern(const wxString& extension);

// Makes the C library read the system's time zone once for the whole run.
// Call before any date is converted.
void RememberTimeZone();
} // namespace Platform

// While alive, no window but the one given (and its children) accepts input;
// every window keeps repainting. Used around every batch operation that pumps
// messages, so that no click can start a search under the batch.
class BatchInputBlocker
{
public:
    explicit BatchInputBlocker(wxWindow* keepEnabled = nullptr);
    ~BatchInputBlocker();

private:
    std::unique_ptr<wxWindowDisabler> disabler;
};
