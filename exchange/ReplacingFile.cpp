#include "exchange/ReplacingFile.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <algorithm>

#ifdef __WINDOWS__
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

ReplacingFile::~ReplacingFile()
{
    if (!tempPath.empty())
    {
        file.Close();
        wxRemoveFile(tempPath);
    }
}

bool ReplacingFile::Open(const wxString& target, wxString* error)
{
    this->target = target;
    const wxFileName name(target);
    if (name.GetName().empty() && name.GetExt().empty())
    {
        *error = _("no file name was given");
        return false;
    }
    if (wxDirExists(target))
    {
        *error = _("a folder has that name");
        return false;
    }
    if (!wxDirExists(name.GetPath()))
    {
        *error = wxString::Format(_("the folder %s does not exist"), name.GetPath());
        return false;
    }
    const wxString prefix = "." + name.GetFullName() + ".";
    RemoveStale(name.GetPathWithSep(), prefix);
    // Created with a unique name (and exclusively) in the target's folder,
    // so that the final rename stays on one file system.
    tempPath = wxFileName::CreateTempFileName(name.GetPathWithSep() + prefix, &file);
    if (tempPath.empty() || !file.IsOpened())
    {
        tempPath.clear();
        *error = wxString::Format(_("the folder %s cannot be written to"), name.GetPath());
        return false;
    }
    return true;
}

bool ReplacingFile::Write(const std::string& bytes)
{
    if (failed)
        return false;
    if (file.Write(bytes.data(), bytes.size()) != bytes.size())
        failed = true;
    return !failed;
}

bool ReplacingFile::Commit(wxString* error)
{
    bool ok = !failed && file.Flush();
#ifndef __WINDOWS__
    // On disk before the rename, so that a crash leaves the old file or
    // the whole new one.
    ok = ok && fsync(fileno(file.fp())) == 0;
    // The temporary file is private; the export gets the permissions a
    // new file gets, or those of the file it replaces.
    struct stat old;
    mode_t mode = 0;
    if (stat(target.fn_str(), &old) == 0)
        mode = old.st_mode & 07777;
    else
    {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    ok = ok && fchmod(fileno(file.fp()), mode) == 0;
#endif
    ok = file.Close() && ok;
    if (!ok)
    {
        *error = _("writing the file failed (is the disk full?)");
        return false;
    }
    if (!wxRenameFile(tempPath, target, true))
    {
        *error = wxString::Format(_("%s cannot be replaced"), target);
        return false;
    }
    tempPath.clear();
    return true;
}

// (The six characters are those the unique name adds.)
void ReplacingFile::RemoveStale(const wxString& folder, const wxString& prefix)
{
    wxDir dir(folder.empty() ? wxString(".") : folder);
    if (!dir.IsOpened())
        return;
    wxArrayString stale;
    wxString found;
    for (bool more = dir.GetFirst(&found, prefix + "??????", wxDIR_FILES | wxDIR_HIDDEN); more;
         more = dir.GetNext(&found))
    {
        const wxString tail = found.Mid(prefix.length());
        if (tail.length() == 6 && std::all_of(tail.begin(), tail.end(), [](wxUniChar c) { return wxIsalnum(c); }))
            stale.Add(dir.GetNameWithSep() + found);
    }
    for (const wxString& path : stale)
        wxRemoveFile(path);
}
