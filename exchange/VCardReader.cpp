#include "exchange/VCardReader.h"

#include <libebook-contacts/libebook-contacts.h>

#include <wx/log.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "exchange/VCardMapping.h"
#include "storage/LegacyText.h"

namespace
{
const size_t CHUNK = 64 * 1024;

bool StartsWithNoCase(const std::string& text, size_t pos, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return text.size() - std::min(pos, text.size()) >= n && g_ascii_strncasecmp(text.c_str() + pos, prefix, n) == 0;
}

// "BEGIN:VCARD" / "END:VCARD" as a line of its own (folded continuation
// lines start with white space and never count).
bool IsMarker(const std::string& line, const char* marker)
{
    // Stray NUL bytes (a file padded by some tool) go unseen, as in values.
    size_t start = 0;
    while (start < line.size() && line[start] == '\0')
        ++start;
    if (start == line.size() || line[start] == ' ' || line[start] == '\t')
        return false;
    size_t end = line.size();
    while (end > start && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    return end - start == std::strlen(marker) && g_ascii_strncasecmp(line.c_str() + start, marker, end - start) == 0;
}

// Where a content line's value starts (its colon), or npos: quoted
// parameter values may hold colons of their own.
size_t ValueColon(const std::string& line)
{
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i)
    {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return std::string::npos;
}

// The part of a content line before its value.
std::string Head(const std::string& line)
{
    return line.substr(0, ValueColon(line));
}

bool IsFolded(const std::string& line)
{
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

// UTF-16 without a byte order mark, told by the NUL bytes of every
// character of the first line; a stray NUL elsewhere proves nothing.
bool FirstLineIsUtf16(const unsigned char* b, size_t size, bool bigEndian)
{
    size_t end = 0;
    while (end < size && b[end] != '\n' && b[end] != '\r')
        ++end;
    // The line with its line end, whole characters only.
    end = std::min(size, end + (bigEndian ? 1 : 2)) & ~size_t(1);
    if (end < 4)
        return false;
    for (size_t i = 0; i < end; i += 2)
    {
        const unsigned char high = bigEndian ? b[i] : b[i + 1];
        const unsigned char low = bigEndian ? b[i + 1] : b[i];
        if (high != 0 || low == 0)
            return false;
    }
    return true;
}

bool ContainsNoCase(const std::string& text, const char* word)
{
    const size_t n = std::strlen(word);
    for (size_t i = 0; i + n <= text.size(); ++i)
    {
        if (g_ascii_strncasecmp(text.c_str() + i, word, n) == 0)
            return true;
    }
    return false;
}

void AppendUtf8(std::string& out, char32_t c)
{
    gchar bytes[6];
    out.append(bytes, static_cast<size_t>(g_unichar_to_utf8(static_cast<gunichar>(c), bytes)));
}

// A parameter's value in a property's head ("N;CHARSET=SHIFT_JIS;..."), or
// empty; pos receives where the value starts.
std::string ParamValue(const std::string& head, const char* name, size_t* pos = nullptr)
{
    const size_t n = std::strlen(name);
    for (size_t i = head.find(';'); i != std::string::npos; i = head.find(';', i + 1))
    {
        if (StartsWithNoCase(head, i + 1, name) && head.size() > i + 1 + n && head[i + 1 + n] == '=')
        {
            const size_t start = i + 2 + n;
            if (pos)
                *pos = start;
            return head.substr(start, head.find(';', start) - start);
        }
    }
    return std::string();
}

bool IsUtf8(const std::string& text)
{
    return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

bool HasHighBytes(const std::string& text, size_t from)
{
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// A value in the character set its CHARSET names, line by line: the line
// ends and the blank that starts a folded line are plain ASCII bytes in the
// file whatever the value's set, and decoding them with it (UTF-16, say)
// would swallow them. False when a line does not decode into text.
bool DecodeValue(const std::string& value, const wxString& charset, std::string& out)
{
    out.clear();
    // In a file of 8-bit lines, text in a set of wide characters cannot be
    // told from other bytes unless it starts with its byte order mark.
    const wxString set = charset.Upper();
    if ((set.StartsWith("UTF-16") || set.StartsWith("UTF-32") || set.StartsWith("UCS") || set == "UNICODE") &&
        !(value.size() >= 2 && (value.compare(0, 2, "\xFF\xFE") == 0 || value.compare(0, 2, "\xFE\xFF") == 0)))
        return false;
    for (size_t pos = 0; pos < value.size();)
    {
        size_t end = value.find("\r\n", pos);
        if (end == std::string::npos)
            end = value.size();
        if (IsFolded(value.substr(pos, 1)))
            out += value[pos++];
        if (end > pos)
        {
            wxString text;
            if (!LegacyText::Decode(value.data() + pos, end - pos, charset, text) || text.empty())
                return false;
            for (wxUniChar c : text)
            {
                if ((c < 0x20 && c != '\t') || c == 0xFFFD)
                    return false;
            }
            out += text.utf8_string();
        }
        out.append(value, end, std::min<size_t>(2, value.size() - end));
        pos = end + 2;
    }
    return true;
}

// Older phones and desktop programs write 2.1 values as raw bytes in the
// character set their CHARSET parameter names (Shift_JIS, GBK, Big5,
// ISO-8859-1...). The library reads such bytes as UTF-8 first and garbles
// them, so they are converted here, property by property (with its folded
// lines), and the parameter then says UTF-8. Quoted-printable and base64
// values are left to the library, which converts them itself. A property
// still not UTF-8 afterwards, with or without a CHARSET, is read as
// Windows-1252, of which Latin-1 is a part.
std::string DecodeCharsets(const std::string& text)
{
    // One property: its first line and the folded lines after it.
    std::vector<std::string> properties;
    for (size_t pos = 0; pos < text.size();)
    {
        size_t end = text.find("\r\n", pos);
        end = end == std::string::npos ? text.size() : end + 2;
        const bool folded = text[pos] == ' ' || text[pos] == '\t';
        if (folded && !properties.empty())
            properties.back().append(text, pos, end - pos);
        else
            properties.emplace_back(text, pos, end - pos);
        pos = end;
    }
    std::string out;
    out.reserve(text.size());
    for (std::string& property : properties)
    {
        const size_t colon = ValueColon(property);
        if (colon != std::string::npos && HasHighBytes(property, colon + 1))
        {
            const std::string head = property.substr(0, colon);
            size_t at = 0;
            const std::string charset = ParamValue(head, "CHARSET", &at);
            const bool encoded = ContainsNoCase(head, "QUOTED-PRINTABLE") || !ParamValue(head, "ENCODING").empty();
            // Names of character sets are short and plain ASCII.
            const bool named = !charset.empty() && charset.size() <= 40 &&
                               std::all_of(charset.begin(), charset.end(),
                                           [](char c) { return g_ascii_isalnum(c) || (c && std::strchr("-_.:", c)); });
            if (named && !encoded && g_ascii_strcasecmp(charset.c_str(), "UTF-8") != 0)
            {
                std::string converted;
                if (DecodeValue(property.substr(colon + 1), wxString::FromAscii(charset.c_str()), converted))
                    property = head.substr(0, at) + "UTF-8" + head.substr(at + charset.size()) + ":" + converted;
            }
        }
        if (!IsUtf8(property))
        {
            // The five bytes Windows-1252 leaves undefined would otherwise
            // reach the library as they are and cost the whole value.
            wxString converted;
            if (!LegacyText::Decode(property.data(), property.size(), "windows-1252", converted))
                converted = LegacyText::DecodeUtf8OrWindows1252(property.data(), property.size());
            if (!converted.empty())
                property = converted.utf8_string();
        }
        out += property;
    }
    return out;
}
} // namespace

VCardReader::VCardReader() = default;
VCardReader::~VCardReader() = default;

bool VCardReader::Open(const wxString& path)
{
    wxLogNull quiet;
    return file.Open(path, "rb");
}

void VCardReader::OpenMemory(const void* data, size_t size)
{
    memory = static_cast<const char*>(data);
    memorySize = size;
    memoryPos = 0;
}

bool VCardReader::Fill()
{
    if (atEnd)
        return false;
    char chunk[CHUNK];
    size_t got = 0;
    if (memory)
    {
        got = std::min(CHUNK, memorySize - memoryPos);
        std::memcpy(chunk, memory + memoryPos, got);
        memoryPos += got;
    }
    else if (file.IsOpened())
    {
        got = file.Read(chunk, CHUNK);
        if (file.Error())
        {
            readFailed = true;
            atEnd = true;
            return false;
        }
    }
    if (got == 0)
    {
        atEnd = true;
        return false;
    }

    const char* data = chunk;
    if (atStart)
    {
        atStart = false;
        const unsigned char* b = reinterpret_cast<const unsigned char*>(chunk);
        if (got >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        {
            data += 3;
            got -= 3;
        }
        else if (got >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        {
            encoding = Encoding::UTF16LE;
            data += 2;
            got -= 2;
        }
        else if (got >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        {
            encoding = Encoding::UTF16BE;
            data += 2;
            got -= 2;
        }
        else if (FirstLineIsUtf16(b, got, false))
            encoding = Encoding::UTF16LE;
        else if (FirstLineIsUtf16(b, got, true))
            encoding = Encoding::UTF16BE;
    }
    if (encoding == Encoding::BYTES)
        buffer.append(data, got);
    else
        DecodeUtf16(data, got);
    return true;
}

void VCardReader::DecodeUtf16(const char* data, size_t size)
{
    pendingUtf16.append(data, size);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(pendingUtf16.data());
    const size_t units = pendingUtf16.size() / 2;
    const bool le = encoding == Encoding::UTF16LE;
    auto unit = [&](size_t i) -> char32_t
    { return le ? (char32_t(b[2 * i + 1]) << 8 | b[2 * i]) : (char32_t(b[2 * i]) << 8 | b[2 * i + 1]); };
    size_t i = 0;
    for (; i < units; ++i)
    {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF)
        {
            if (i + 1 >= units)
                break; // the low half comes with the next chunk
            char32_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                AppendUtf8(buffer, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
            c = 0xFFFD;
        }
        else if (c >= 0xDC00 && c <= 0xDFFF)
            c = 0xFFFD;
        AppendUtf8(buffer, c);
    }
    pendingUtf16.erase(0, 2 * i);
}

bool VCardReader::NextLine(std::string& line)
{
    // CR LF, LF, CR and CR CR LF (some phones) each end one line.
    for (;;)
    {
        const size_t end = buffer.find_first_of("\r\n", bufferPos);
        // After a CR, the two bytes that follow tell the endings apart.
        if (end != std::string::npos && (buffer[end] == '\n' || buffer.size() - end >= 3 || atEnd))
        {
            size_t next = end + 1;
            if (buffer[end] == '\r')
            {
                if (next < buffer.size() && buffer[next] == '\n')
                    next += 1;
                else if (next + 1 < buffer.size() && buffer[next] == '\r' && buffer[next + 1] == '\n')
                    next += 2;
            }
            line.assign(buffer, bufferPos, end - bufferPos);
            bufferPos = next;
            return true;
        }
        if (bufferPos > CHUNK && bufferPos * 2 > buffer.size())
        {
            buffer.erase(0, bufferPos);
            bufferPos = 0;
        }
        // A line longer than any card is handed on in pieces; the card it
        // belongs to is too large anyway, and memory stays bounded.
        const bool tooLong = end == std::string::npos && buffer.size() - bufferPos > MAX_CARD_SIZE;
        if (tooLong || !Fill())
        {
            if (!tooLong && end != std::string::npos)
                continue; // the input ended right after a CR
            if (bufferPos >= buffer.size())
                return false;
            line.assign(buffer, bufferPos, std::string::npos);
            bufferPos = buffer.size();
            return true;
        }
    }
}

bool VCardReader::Next(Card& card)
{
    card = Card();
    std::string line, text, property;
    bool inCard = false, tooLarge = false;
    int depth = 0;
    bool qpLine = false, qpContinues = false, emptyAgent = false, headOpen = false;

    // A property's lines join the card's text together, once it is known
    // whether they are a property at all: a parameter value may be folded
    // before the colon. A line that is neither a property nor a
    // continuation is noise; the library would read it and lose memory on
    // the way.
    auto flush = [&]
    {
        if (!tooLarge && (property == "\r\n" || property.find(':') != std::string::npos))
            text += property;
        property.clear();
    };

    while (heldLine || NextLine(line))
    {
        if (heldLine)
        {
            line.swap(held);
            heldLine = false;
        }
        if (!inCard)
        {
            // Anything between cards (blank lines, mail headers) is ignored.
            if (IsMarker(line, "BEGIN:VCARD"))
            {
                inCard = true;
                depth = 1;
                text = "BEGIN:VCARD\r\n";
                ++cardsSeen;
            }
            continue;
        }

        const bool continuation = qpContinues;
        if (!continuation && IsMarker(line, "BEGIN:VCARD"))
        {
            if (!emptyAgent)
            {
                // The card before never ended; this line starts the next one.
                held.swap(line);
                heldLine = true;
                card.result = CARD_MALFORMED;
                return true;
            }
            ++depth; // a 2.1 AGENT card inside this one
        }
        else if (!continuation && IsMarker(line, "END:VCARD") && --depth == 0)
        {
            flush();
            if (tooLarge)
                card.result = CARD_TOO_LARGE;
            else
            {
                text += "END:VCARD\r\n";
                ParseCard(text, card);
            }
            return true;
        }

        if (!continuation && !IsFolded(line))
        {
            flush();
            const std::string head = Head(line);
            qpLine = ContainsNoCase(head, "QUOTED-PRINTABLE");
            emptyAgent = StartsWithNoCase(head, 0, "AGENT") && head.size() + 1 >= line.size();
            headOpen = head.size() == line.size();
        }
        else if (headOpen)
        {
            // The parameters went on in this folded line.
            const std::string head = Head(line);
            qpLine = qpLine || ContainsNoCase(head, "QUOTED-PRINTABLE");
            headOpen = head.size() == line.size();
        }
        // A quoted-printable value ending in "=" goes on in the next line,
        // whatever that line says.
        qpContinues = qpLine && !line.empty() && line.back() == '=';

        if (!tooLarge && text.size() + property.size() + line.size() + 2 > MAX_CARD_SIZE)
        {
            tooLarge = true;
            std::string().swap(text);
            std::string().swap(property);
        }
        if (!tooLarge)
        {
            property += line;
            property += "\r\n";
        }
    }
    if (inCard)
    {
        card.result = CARD_MALFORMED; // the file ends inside a card
        return true;
    }
    return false;
}

void VCardReader::ParseCard(const std::string& raw, Card& card)
{
    // The library warns on standard error about every oddity it passes
    // over; in files from other programs such oddities are normal.
    static const guint quiet = g_log_set_handler(
        "libebook-contacts", G_LOG_LEVEL_WARNING, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    (void)quiet;
    std::string text = raw;
    std::replace(text.begin(), text.end(), '\0', ' ');
    if (!IsUtf8(text))
        text = DecodeCharsets(text);

    // Some writers escape what 3.0 and 4.0 have no escape for ("http\://",
    // "O\'Brien"), which the library keeps as it is: a character other than
    // a backslash, comma, semicolon or n after an odd run of backslashes
    // loses the last one. (2.1 has no backslash escapes.)
    if (text.find('\\') != std::string::npos && !ContainsNoCase(text, "VERSION:2.1"))
    {
        std::string fixed;
        fixed.reserve(text.size());
        size_t run = 0;
        for (char c : text)
        {
            if (run % 2 == 1 && !std::strchr("\\,;nN\r\n", c))
                fixed.pop_back();
            run = c == '\\' ? run + 1 : 0;
            fixed += c;
        }
        text.swap(fixed);
    }

    EVCard* vcard = E_VCARD(g_object_new(E_TYPE_VCARD, nullptr));
    e_vcard_construct_full(vcard, text.data(), static_cast<gssize>(text.size()), nullptr);
    if (!e_vcard_get_attributes(vcard))
        card.result = CARD_MALFORMED;
    else
    {
        // A copy of a blank record: constructing one reads the clock three
        // times, which adds up over a large file.
        static const ContactInfoEx blank;
        card.contact = std::make_unique<ContactInfoEx>(blank);
        if (VCardMapping::ToContact(vcard, *card.contact, card.categories))
            card.result = CARD_OK;
        else
        {
            card.result = CARD_NO_NAME;
            card.contact.reset();
            card.categories.clear();
        }
    }
    g_object_unref(vcard);
}
