// How the bytes of an XML Spreadsheet document reach the XML parser. The
// parser reads UTF-8 and UTF-16 itself and tells them apart by the first
// bytes; a document declaring any other encoding is converted to UTF-8 on its
// way to the parser, so that every check sees the characters the parser sees.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "storage/LegacyText.h"

// The input as a sequence of code units: bytes, or UTF-16 units.
class SheetUnits
{
public:
    SheetUnits(const unsigned char* data, size_t size, int width, bool bigEndian)
        : data(data), width(width), bigEndian(bigEndian), count(size / width)
    {
    }

    size_t Count() const
    {
        return count;
    }

    char32_t At(size_t i) const
    {
        if (width == 1)
            return data[i];
        const unsigned char* p = data + 2 * i;
        return bigEndian ? (char32_t(p[0]) << 8 | p[1]) : (char32_t(p[1]) << 8 | p[0]);
    }

    // Whether the unit at i continues a character begun before it (a UTF-8
    // continuation byte, the second half of a UTF-16 surrogate pair).
    bool Continues(size_t i) const
    {
        const char32_t c = At(i);
        return width == 1 ? (c & 0xC0) == 0x80 : (c >= 0xDC00 && c <= 0xDFFF);
    }

    bool StartsWith(size_t i, const char* text) const;
    // Index just past the first occurrence of text at or after from, or
    // Count() when there is none.
    size_t SkipPast(size_t from, const char* text) const;

private:
    const unsigned char* data;
    int width;
    bool bigEndian;
    size_t count;
};

class SheetEncoding
{
public:
    // Decides from the first piece of the document, as the parser does: a
    // byte-order mark, else a zero byte first (UTF-16BE) or second
    // (UTF-16LE), else bytes in the declared encoding. False when the
    // declaration names an encoding that cannot be read.
    bool Detect(const char* data, size_t size);

    // The encoding the parser is to be created with; null lets it decide.
    const char* ParserEncoding() const;
    // How the parser's input is written, for counting text as it stands.
    int UnitWidth() const
    {
        return unitWidth;
    }
    bool BigEndian() const
    {
        return bigEndian;
    }

    // The next piece as the parser is to read it (the first one passed must
    // be the one detected from). False when it is not text in the declared
    // encoding, or the document ends inside a character.
    bool Pass(const char*& data, size_t& size, bool last);

private:
    std::unique_ptr<LegacyText::Utf8Stream> converter;
    std::string converted;
    size_t skip = 0; // a converted document's byte-order mark
    bool utf8Alias = false;
    int unitWidth = 1;
    bool bigEndian = false;
};
