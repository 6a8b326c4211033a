// Reads the cards of a vCard file (.vcf) one at a time, so that files of
// any size stream: only the card being read is held in memory. Each card's
// text goes to the vCard library and then through VCardMapping. Headless.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <wx/arrstr.h>
#include <wx/ffile.h>
#include <wx/string.h>

#include "storage/ContactInfoEx.h"

class VCardReader
{
public:
    enum CardResult
    {
        CARD_OK,
        CARD_MALFORMED, // no END line, or nothing the library could read
        CARD_NO_NAME,   // read, but it names no one
        CARD_TOO_LARGE
    };

    struct Card
    {
        CardResult result = CARD_OK;
        std::unique_ptr<ContactInfoEx> contact; // set for CARD_OK
        wxArrayString categories;
    };

    // A card holds a few kilobytes; a large photo makes it a few megabytes.
    static constexpr size_t MAX_CARD_SIZE = 16 * 1024 * 1024;

    VCardReader();
    ~VCardReader();
    VCardReader(const VCardReader&) = delete;
    VCardReader& operator=(const VCardReader&) = delete;

    // False when the file cannot be opened.
    bool Open(const wxString& path);
    // Reads from memory that stays the caller's until the reader is done.
    void OpenMemory(const void* data, size_t size);

    // The next card; false at the end of the input (or after a read error).
    bool Next(Card& card);

    // True when reading the file failed part of the way.
    bool ReadFailed() const
    {
        return readFailed;
    }
    // Whether anything that looked like a card was seen.
    size_t CardsSeen() const
    {
        return cardsSeen;
    }

    // Turns one card's text (BEGIN to END) into a record. Used by Next.
    static void ParseCard(const std::string& text, Card& card);

private:
    // The next physical line without its line end; false at the end.
    bool NextLine(std::string& line);
    // Refills the buffer; false at the end of the input.
    bool Fill();
    void DecodeUtf16(const char* data, size_t size);

    wxFFile file;
    const char* memory = nullptr;
    size_t memorySize = 0;
    size_t memoryPos = 0;

    std::string buffer; // UTF-8 text not yet split into lines
    size_t bufferPos = 0;
    // A BEGIN line that ended an unterminated card starts the next call.
    std::string held;
    bool heldLine = false;
    bool atStart = true;
    bool atEnd = false;
    bool readFailed = false;
    size_t cardsSeen = 0;
    // UTF-16 files (some Windows programs) are turned into UTF-8 as they are read.
    enum class Encoding
    {
        BYTES,
        UTF16LE,
        UTF16BE
    } encoding = Encoding::BYTES;
    std::string pendingUtf16; // an odd byte or a lone surrogate between chunks
};
