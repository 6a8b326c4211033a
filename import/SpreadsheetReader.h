// Reads the contact rows of an XML Spreadsheet document (the Workbook /
// Worksheet / Table / Row / Cell / Data tree that spreadsheet programs save
// as "XML Spreadsheet 2003"). Headless, so that it is tested and reused
// without the import dialog.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <wx/string.h>

#include "storage/ContactInfoEx.h"

class wxXmlDocument;
class wxXmlNode;

class SpreadsheetReader
{
public:
    enum LoadResult
    {
        LOAD_OK,
        LOAD_UNREADABLE, // missing, not a regular file, or a read error
        LOAD_EMPTY,
        LOAD_TOO_LARGE,
        LOAD_MALFORMED,   // not well-formed, or markup this reader refuses
        LOAD_NOT_WORKBOOK // well-formed, but the root is not a Workbook
    };

    // Far beyond any address list; the parsed tree takes many times the
    // file's size in memory.
    static constexpr size_t MAX_FILE_SIZE = 64 * 1024 * 1024;
    // Limits on the markup that keep the toolkit's parser away from its
    // recursive and quadratic paths; real spreadsheets stay far below them
    // (about ten levels of nesting, a few attributes per element, at most
    // 32767 characters in a cell). The text limits count characters, in
    // whatever encoding, and the line breaks and references of one text.
    static constexpr int MAX_DEPTH = 1000;
    static constexpr int MAX_ATTRIBUTES = 256;
    static constexpr size_t MAX_TEXT_LENGTH = 64 * 1024;
    static constexpr size_t MAX_TEXT_PIECES = 4096;

    using Contacts = std::vector<std::unique_ptr<ContactInfoEx>>;
    using TextHook = std::function<void(const wxString& text)>;

    // The document stays the caller's; Load replaces its contents.
    explicit SpreadsheetReader(wxXmlDocument& document);

    // A document declaring a legacy encoding (Shift_JIS, GBK, Big5, ...) is
    // converted to UTF-8 first; one the system cannot convert is refused.
    LoadResult Load(const wxString& path);
    LoadResult Load(const void* data, size_t size);

    // One record per row of every Table of every Worksheet whose first and
    // last names are set and which is not the header row, in document order.
    // The records have no birthday, and alphabet names equal to the names.
    // skippedRows counts the other rows that held some text (the header row
    // aside).
    Contacts ReadContacts(size_t* skippedRows = nullptr) const;

    // Fills the fields of the columns 1 to 7 from one Row element, each
    // value without the white space around it. True when a cell of the row
    // held any text.
    static bool ReadRow(const wxXmlNode* row, ContactInfoEx& contact, const TextHook& onCellText = TextHook());
    static bool IsImportable(const ContactInfoEx& contact);
    // The template's header row.
    static bool IsHeader(const ContactInfoEx& contact);

    // Called before each element of a Table (the dialog lets one window
    // message through there) and with the text of each Data element.
    std::function<void()> onTableChild;
    TextHook onCellText;

private:
    wxXmlDocument& document;
};
