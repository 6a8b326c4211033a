#include "exchange/VCardExport.h"

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#ifdef __WINDOWS__
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/KeptProperties.h"
#include "storage/SearchCondition.h"
#include "storage/TagManager.h"

namespace
{
// The temporary file beside the target; it replaces the target on Commit
// and disappears when the writer is dropped without one.
class ReplacingFile
{
public:
    ~ReplacingFile()
    {
        if (!tempPath.empty())
        {
            file.Close();
            wxRemoveFile(tempPath);
        }
    }

    bool Open(const wxString& target, wxString* error)
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

    bool Write(const std::string& text)
    {
        if (failed)
            return false;
        if (file.Write(text.data(), text.size()) != text.size())
            failed = true;
        return !failed;
    }

    bool Commit(wxString* error)
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

private:
    // An export that was killed left its temporary file behind, hidden;
    // nothing else removes it. (The six characters are those the unique
    // name adds.)
    static void RemoveStale(const wxString& folder, const wxString& prefix)
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

    // The export says itself what failed; the toolkit's own messages (a
    // window of their own in the program) stay quiet meanwhile.
    wxLogNull quiet;
    wxString target;
    wxString tempPath;
    wxFFile file;
    bool failed = false;
};

wxArrayString TagNames(const TagManager& tags, const wxArrayInt& ids)
{
    wxArrayString names;
    tags.GetTagNamesByIds(ids, names);
    return names;
}

// Writes one contact's card and counts it; false when the file could not
// take it.
bool WriteCard(ReplacingFile& file, const ContactInfoEx& contact, const TagManager& tags, VCardVersion version,
               VCardExport::Result& result, const VCardExport::Progress& progress)
{
    if (!file.Write(VCardMapping::FromContact(contact, TagNames(tags, contact.tagIds), version)))
        return false;
    ++result.written;
    if (progress)
        progress(result.written);
    return true;
}
} // namespace

VCardExport::Result VCardExport::WriteContacts(const wxString& path, const ContactArray& contacts,
                                               const TagManager& tags, VCardVersion version, const Progress& progress)
{
    Result result;
    ReplacingFile file;
    if (!file.Open(path, &result.error))
        return result;
    for (void* item : contacts)
    {
        // The records of the page carry no kept properties: read them here,
        // so that an export of the selection loses nothing either.
        ContactInfoEx contact = *static_cast<const ContactInfoEx*>(item);
        if (contact.id >= 0 && !KeptProperties::Load(contact))
        {
            result.error = _("the contacts cannot be read");
            return result;
        }
        if (!WriteCard(file, contact, tags, version, result, progress))
            break;
    }
    result.ok = file.Commit(&result.error);
    if (!result.ok)
        result.written = 0;
    return result;
}

VCardExport::Result VCardExport::WriteSearch(const wxString& path, const SearchCondition& condition,
                                             ContactManager& contacts, const TagManager& tags, VCardVersion version,
                                             const Progress& progress)
{
    Result result;
    ReplacingFile file;
    if (!file.Open(path, &result.error))
        return result;
    const int rows = contacts.ForEachMatching(
        condition, true, [&](ContactInfoEx& contact) { WriteCard(file, contact, tags, version, result, progress); });
    if (rows < 0)
    {
        result.written = 0;
        result.error = _("the contacts cannot be read");
        return result;
    }
    result.ok = file.Commit(&result.error);
    if (!result.ok)
        result.written = 0;
    return result;
}
