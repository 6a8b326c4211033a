#include "storage/LegacyText.h"

#include <wx/fontmap.h>
#include <wx/log.h>

#include <iconv.h>

#include <cerrno>

namespace
{
const iconv_t NO_ICONV = reinterpret_cast<iconv_t>(-1);

wxUint32 Windows1252(unsigned char c)
{
    static const wxUint16 HIGH[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? HIGH[c - 0x80] : c;
}
} // namespace

LegacyText::Utf8Stream::~Utf8Stream()
{
    if (cd)
        iconv_close(static_cast<iconv_t>(cd));
}

bool LegacyText::Utf8Stream::OpenName(const char* name)
{
    const iconv_t opened = iconv_open("UTF-8", name);
    if (opened == NO_ICONV)
        return false;
    if (cd)
        iconv_close(static_cast<iconv_t>(cd));
    cd = opened;
    carry.clear();
    return true;
}

bool LegacyText::Utf8Stream::Open(const wxString& charset)
{
    if (OpenName(charset.ToAscii()))
        return true;
    // The toolkit's own conversion tries the other names too.
    wxLogNull quiet;
    const wxFontEncoding known = wxFontMapperBase::Get()->CharsetToEncoding(charset, false);
    if (known == wxFONTENCODING_SYSTEM || known == wxFONTENCODING_DEFAULT)
        return false;
    return Open(known);
}

bool LegacyText::Utf8Stream::Open(wxFontEncoding encoding)
{
    for (const wxChar* const* names = wxFontMapperBase::GetAllEncodingNames(encoding); names && *names; ++names)
    {
        if (OpenName(wxString(*names).ToAscii()))
            return true;
    }
    return false;
}

bool LegacyText::Utf8Stream::Convert(const char* data, size_t size, bool last, std::string& out)
{
    if (!cd)
        return false;
    const iconv_t conv = static_cast<iconv_t>(cd);
    carry.append(data, size);
    char* in = &carry[0];
    size_t inLeft = carry.size();
    while (inLeft > 0)
    {
        char buffer[16384];
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t done = iconv(conv, &in, &inLeft, &o, &oLeft);
        out.append(buffer, o - buffer);
        if (done != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno != EINVAL)
            return false; // a byte sequence that is no character
        break;            // a character continues in the next piece
    }
    carry.erase(0, carry.size() - inLeft);
    if (!last)
        return true;
    if (!carry.empty())
        return false;
    char buffer[64];
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    if (iconv(conv, nullptr, nullptr, &o, &oLeft) == static_cast<size_t>(-1))
        return false;
    out.append(buffer, o - buffer);
    return true;
}

namespace
{
bool DecodeWith(LegacyText::Utf8Stream& stream, const char* bytes, size_t length, wxString& text)
{
    std::string utf8;
    text.clear();
    if (!stream.Convert(bytes, length, true, utf8))
        return false;
    text = wxString::FromUTF8(utf8.data(), utf8.size());
    return true;
}
} // namespace

bool LegacyText::Decode(const char* bytes, size_t length, const wxString& charset, wxString& text)
{
    Utf8Stream stream;
    text.clear();
    return stream.Open(charset) && DecodeWith(stream, bytes, length, text);
}

bool LegacyText::Decode(const char* bytes, size_t length, wxFontEncoding encoding, wxString& text)
{
    Utf8Stream stream;
    text.clear();
    return stream.Open(encoding) && DecodeWith(stream, bytes, length, text);
}

size_t LegacyText::Utf8Sequence(const unsigned char* p, size_t left, wxUint32& code)
{
    const unsigned char c = p[0];
    size_t n;
    wxUint32 min;
    if (c < 0x80)
    {
        code = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF)
        n = 2, min = 0x80, code = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3, min = 0x800, code = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4, min = 0x10000, code = c & 0x07;
    else
        return 0;
    if (left < n)
        return 0;
    for (size_t i = 1; i < n; ++i)
    {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

wxString LegacyText::DecodeUtf8OrWindows1252(const char* bytes, size_t length)
{
    wxString text;
    text.reserve(length);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < length;)
    {
        wxUint32 code;
        size_t n = Utf8Sequence(p + i, length - i, code);
        if (n == 0)
        {
            code = Windows1252(p[i]);
            n = 1;
        }
        text += wxUniChar(code == 0 ? 0xFFFD : code);
        i += n;
    }
    return text;
}
