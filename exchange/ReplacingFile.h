// A file written under a temporary name beside its target, which replaces
// the target only when everything was written: a failure (a full disk, a
// folder that cannot be written to) never leaves half a file under the
// chosen name. The exports write through it. Headless.
#pragma once

#include <string>

#include <wx/ffile.h>
#include <wx/log.h>
#include <wx/string.h>

class ReplacingFile
{
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    // Without a Commit, the temporary file goes and the target stays as it was.
    ~ReplacingFile();

    // Creates the temporary file; false, with the reason, when it cannot.
    bool Open(const wxString& target, wxString* error);
    // False once any write failed; later writes are dropped.
    bool Write(const std::string& bytes);
    // Puts the file on disk and renames it over the target.
    bool Commit(wxString* error);

private:
    // An export that was killed left its temporary file behind, hidden;
    // nothing else removes it.
    static void RemoveStale(const wxString& folder, const wxString& prefix);

    // The export says itself what failed; the toolkit's own messages (a
    // window of their own in the program) stay quiet meanwhile.
    wxLogNull quiet;
    wxString target;
    wxString tempPath;
    wxFFile file;
    bool failed = false;
};
