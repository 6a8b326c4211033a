// Reads the contact rows of an XML Spreadsheet document (the Workbook /
// Worksheet / Table / Row / Cell / Data tree that spreadsheet programs save
// as "XML Spreadsheet 2003") as a stream: the file is parsed a piece at a
// time and each row is handed over as soon as it ends, so no more of the
// document than one row is ever held. Headless, so that it is tested and
// reused without the import dialog.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <wx/string.h>

#include "storage/ContactInfoEx.h"
#include "storage/ContactSource.h"

class SpreadsheetReader : public ContactSource
{
public:
    enum LoadResult
    {
        LOAD_OK,
        LOAD_UNREADABLE, // missing, not a regular file, or a read error
        LOAD_EMPTY,
        LOAD_TOO_LARGE,
        LOAD_MALFORMED,   // not well-formed, or markup this reader refuses
        LOAD_NOT_WORKBOOK // well-formed so far, but the root is not a Workbook
    };

    // Whether the file starts as a workbook in Excel's own formats does (the
    // binary .xls and the zipped .xlsx), which this reader cannot read: the
    // user is to save it as XML Spreadsheet instead.
    static bool IsExcelBinary(const wxString& path);

    // Far beyond any address list.
    static constexpr size_t MAX_FILE_SIZE = 64 * 1024 * 1024;
    // Limits on the markup, far above real spreadsheets (about ten levels
    // of nesting, a few attributes per element, at most 32767 characters in
    // a cell), that refuse files built to make a parser work hard. The text
    // limits count characters, in whatever encoding, and the line breaks
    // and references of one text, as they stand in the file.
    static constexpr int MAX_DEPTH = 1000;
    static constexpr int MAX_ATTRIBUTES = 256;
    static constexpr size_t MAX_TEXT_LENGTH = 64 * 1024;
    static constexpr size_t MAX_TEXT_PIECES = 4096;

    using Contacts = std::vector<std::unique_ptr<ContactInfoEx>>;
    using TextHook = std::function<void(const wxString& text)>;

    SpreadsheetReader();
    ~SpreadsheetReader() override;
    SpreadsheetReader(const SpreadsheetReader&) = delete;
    SpreadsheetReader& operator=(const SpreadsheetReader&) = delete;

    // Starts reading a file, or bytes that stay the caller's until reading
    // ends, and reads as far as the root element; whatever was being read
    // before is dropped. LOAD_OK when the root is a Workbook; the rows then
    // come from Next. A document declaring a legacy encoding (Shift_JIS,
    // GBK, Big5, ...) is converted to UTF-8 as it is read; one the system
    // cannot convert is refused.
    LoadResult Open(const wxString& path);
    LoadResult Open(const void* data, size_t size);

    // The record of the next row of every Table of every Worksheet whose
    // first and last names are set and which is not the header row, in
    // document order, each value without the white space around it. The
    // records have no birthday, and alphabet names equal to the names. The
    // record stays the reader's and is reused by the next call. Null at the
    // end of the document, or at the first fault, which Result tells; rows
    // handed over before a fault are then not to be kept.
    ContactInfoEx* Next() override;
    bool Failed() const override;

    // LOAD_OK until a fault. After Next returned null: whether the whole
    // document was read and is good.
    LoadResult Result() const;
    // Rows handed over by Next so far.
    size_t ImportableRows() const;
    // Rows read so far that held some text but are not importable (the
    // header row aside).
    size_t SkippedRows() const;

    // Open, then every row at once, kept only when the whole document is
    // good: empty otherwise.
    LoadResult ReadAll(const wxString& path, Contacts& contacts, size_t* skippedRows = nullptr);
    LoadResult ReadAll(const void* data, size_t size, Contacts& contacts, size_t* skippedRows = nullptr);

    static bool IsImportable(const ContactInfoEx& contact);
    // The template's header row.
    static bool IsHeader(const ContactInfoEx& contact);

    // Called at the start of each element of a Table (the dialog lets one
    // window message through there) and with the text of each Data element.
    std::function<void()> onTableChild;
    TextHook onCellText;

private:
    class Parser;
    LoadResult Collect(LoadResult opened, Contacts& contacts, size_t* skippedRows);

    std::unique_ptr<Parser> parser;
};
