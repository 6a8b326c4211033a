// Imports one vCard file as one batch: every card that qualifies is stored,
// or none is. The cards stream from the file into the batch's transaction,
// so a file of any number of cards needs the memory of one. Headless: the dialog and the drop target are built on it.
#pragma once

#include <cstddef>
#include <functional>

#include <wx/string.h>

class ContactManager;
class TagManager;

class VCardImport
{
public:
    // What to do with a card whose name, e-mail or phone matches an
    // existing contact.
    enum class Duplicates
    {
        SKIP,
        IMPORT
    };

    struct Result
    {
        bool opened = false; // false: the file could not be read at all
        bool stored = false; // the whole batch is in the database
        size_t cards = 0;    // cards found in the file
        size_t imported = 0;
        size_t malformed = 0;
        size_t noName = 0;
        size_t tooLarge = 0;
        size_t duplicates = 0;
        size_t kept = 0; // values of the imported cards kept without a field
        wxString error;  // why nothing was stored

        size_t Skipped() const
        {
            return malformed + noName + tooLarge + duplicates;
        }
    };

    VCardImport(TagManager& tags, ContactManager& contacts);

    // A failure is reported once, in the result's error: database messages
    // on the way are taken over, not shown.
    Result Run(const wxString& path, Duplicates duplicates);

    // One line for the status: how many were imported, how many skipped and why.
    static wxString Describe(const Result& result, const wxString& fileName);

    // Called once per card read (the cards are stored as they are read);
    // the dialog lets one window message through here.
    std::function<void(size_t cardsRead)> onCard;

private:
    TagManager& tags;
    ContactManager& contacts;
};
