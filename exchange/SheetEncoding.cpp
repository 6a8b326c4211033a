#include "exchange/SheetEncoding.h"

#include <wx/string.h>

namespace
{
// The encoding named in the XML declaration of a byte-oriented document
// (empty when none is named). False when the name is not plain ASCII, which
// no parser accepts.
bool DeclaredEncoding(const SheetUnits& units, size_t start, wxString* encoding)
{
    encoding->clear();
    if (!units.StartsWith(start, "<?xml"))
        return true;
    size_t end = units.SkipPast(start, "?>");
    std::string decl;
    for (size_t i = start; i < end && i < units.Count(); ++i)
        decl += static_cast<char>(units.At(i));
    size_t pos = decl.find("encoding");
    if (pos == std::string::npos)
        return true;
    pos = decl.find('=', pos);
    if (pos == std::string::npos)
        return true;
    pos = decl.find_first_of("\"'", pos);
    if (pos == std::string::npos)
        return true;
    size_t close = decl.find(decl[pos], pos + 1);
    if (close == std::string::npos)
        return true;
    std::string name = decl.substr(pos + 1, close - pos - 1);
    for (char c : name)
    {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return false;
    }
    *encoding = wxString::FromAscii(name.c_str());
    return true;
}

// Encodings the parser reads itself; any other declared encoding is
// converted to UTF-8 before anything looks at the markup.
bool IsUtf8Compatible(const wxString& encoding)
{
    const wxString name = encoding.Lower();
    return name.empty() || name == "utf-8" || name == "utf8" || name == "us-ascii";
}

// Sixteen- and thirty-two-bit names on a byte-oriented document.
bool IsWideName(const wxString& encoding)
{
    const wxString name = encoding.Lower();
    return name.StartsWith("utf-16") || name.StartsWith("utf-32") || name.StartsWith("ucs");
}
} // namespace

bool SheetUnits::StartsWith(size_t i, const char* text) const
{
    for (; *text; ++text, ++i)
    {
        if (i >= count || At(i) != char32_t(static_cast<unsigned char>(*text)))
            return false;
    }
    return true;
}

size_t SheetUnits::SkipPast(size_t from, const char* text) const
{
    for (size_t i = from; i < count; ++i)
    {
        if (StartsWith(i, text))
            return i + std::strlen(text);
    }
    return count;
}

bool SheetEncoding::Detect(const char* data, size_t size)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t start = 0; // past a byte-order mark
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        unitWidth = 2, bigEndian = true;
    else if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        unitWidth = 2, bigEndian = false;
    else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        start = 3;
    else if (size >= 2 && bytes[0] == 0)
        unitWidth = 2, bigEndian = true;
    else if (size >= 2 && bytes[1] == 0)
        unitWidth = 2, bigEndian = false;
    if (unitWidth == 2)
        return true;

    wxString encoding;
    if (!DeclaredEncoding(SheetUnits(bytes, size, 1, false), start, &encoding))
        return false;
    utf8Alias = encoding.IsSameAs("utf8", false);
    if (IsUtf8Compatible(encoding))
        return true;
    converter.reset(new LegacyText::Utf8Stream());
    if (IsWideName(encoding) || !converter->Open(encoding))
        return false;
    skip = start;
    return true;
}

const char* SheetEncoding::ParserEncoding() const
{
    // A converted document is UTF-8 whatever its declaration says; so is
    // one declaring "utf8", a name the parser does not know itself.
    return converter || utf8Alias ? "UTF-8" : nullptr;
}

bool SheetEncoding::Pass(const char*& data, size_t& size, bool last)
{
    if (!converter)
        return true;
    if (skip)
    {
        data += skip;
        size -= skip;
        skip = 0;
    }
    converted.clear();
    if (!converter->Convert(data, size, last, converted))
        return false;
    data = converted.data();
    size = converted.size();
    return true;
}
