#include "import/SpreadsheetReader.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/strconv.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// Columns far outside the seven we read all behave alike; clamping keeps the
// running column clear of overflow.
const long long COLUMN_LIMIT = 1000000000LL;

// ---------------------------------------------------------------------------
// A quick pass over the raw markup before the toolkit builds its tree, which
// it does in ways that hostile input turns into a crash or a hang:
// - the tree is freed recursively, so a few megabytes of nested "<a>"
//   overflow the stack, even when the parse itself fails;
// - a text node grows by copying all of it for every piece the parser
//   delivers, and an element's attributes are appended to the end of a
//   list, so one long text or many attributes take quadratic time.
// Document type declarations are refused too: spreadsheet programs never
// write them, and they are the door to entity expansion. The pass may only
// ever see more nesting, longer texts and more attributes than the parser
// does, never less.

enum class Markup
{
    ACCEPTED,
    REFUSED
};

// The input as a sequence of code units: bytes, or UTF-16 units.
class Units
{
public:
    Units(const unsigned char* data, size_t size, int width, bool bigEndian)
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

    bool StartsWith(size_t i, const char* text) const
    {
        for (; *text; ++text, ++i)
        {
            if (i >= count || At(i) != char32_t(static_cast<unsigned char>(*text)))
                return false;
        }
        return true;
    }

    // Index just past the first occurrence of text at or after from, or
    // Count() when there is none.
    size_t SkipPast(size_t from, const char* text) const
    {
        for (size_t i = from; i < count; ++i)
        {
            if (StartsWith(i, text))
                return i + std::strlen(text);
        }
        return count;
    }

private:
    const unsigned char* data;
    int width;
    bool bigEndian;
    size_t count;
};

// The encoding named in the XML declaration of a byte-oriented document
// (empty when none is named). False when the name is not plain ASCII, which
// no parser accepts.
bool DeclaredEncoding(const Units& units, size_t start, wxString* encoding)
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

// The document converted from its declared encoding to UTF-8, with the
// declaration saying so. False when the system cannot convert it: the
// encoding is unknown, or the bytes are not text in it.
bool ConvertToUtf8(const unsigned char* bytes, size_t size, const wxString& encoding, std::string& utf8)
{
    const wxString name = encoding.Lower();
    // Sixteen- and thirty-two-bit names on a byte-oriented document.
    if (name.StartsWith("utf-16") || name.StartsWith("utf-32") || name.StartsWith("ucs"))
        return false;
    wxCSConv conv(encoding);
    if (!conv.IsOk())
        return false;
    const char* source = reinterpret_cast<const char*>(bytes);
    const size_t length = conv.ToWChar(nullptr, 0, source, size);
    if (length == wxCONV_FAILED)
        return false;
    std::wstring wide(length, L'\0');
    if (conv.ToWChar(&wide[0], length, source, size) == wxCONV_FAILED)
        return false;
    utf8 = wxString(wide.data(), wide.size()).utf8_string();

    // The declaration, if the text still starts with one, now names UTF-8.
    if (utf8.compare(0, 5, "<?xml") == 0)
    {
        const size_t close = utf8.find("?>");
        const size_t key = utf8.find("encoding", 0);
        if (close != std::string::npos && key != std::string::npos && key < close)
        {
            const size_t open = utf8.find_first_of("\"'", key);
            const size_t end = open == std::string::npos ? open : utf8.find(utf8[open], open + 1);
            if (end != std::string::npos && end < close)
                utf8.replace(open + 1, end - open - 1, "UTF-8");
        }
    }
    return true;
}

struct MarkupLimits
{
    int depth;
    int attributes;
    size_t text;   // characters
    size_t pieces; // line breaks and references in one text
};

Markup ScanMarkup(const Units& units, size_t start, const MarkupLimits& limits)
{
    const size_t n = units.Count();
    int depth = 0;
    // Characters since the last tag: comments and processing instructions
    // may not split a text node, CDATA sections may add to it. The parser
    // hands a text over in pieces, one at every line break and reference,
    // and the tree copies the whole text for each piece: many pieces in a
    // long text cost as much as a long text.
    size_t text = 0;
    size_t pieces = 0;
    auto addText = [&](size_t i)
    {
        const char32_t c = units.At(i);
        if ((c == '\n' || c == '\r' || c == '&') && ++pieces > limits.pieces)
            return false;
        return units.Continues(i) || ++text <= limits.text;
    };
    size_t i = start;
    while (i < n)
    {
        if (units.At(i) != '<')
        {
            if (!addText(i))
                return Markup::REFUSED;
            ++i;
            continue;
        }
        if (units.StartsWith(i, "<!--"))
            i = units.SkipPast(i + 4, "-->");
        else if (units.StartsWith(i, "<![CDATA["))
        {
            size_t end = units.SkipPast(i + 9, "]]>");
            for (size_t j = i; j < end; ++j)
            {
                if (!addText(j))
                    return Markup::REFUSED;
            }
            i = end;
        }
        else if (units.StartsWith(i, "<!"))
            return Markup::REFUSED; // DOCTYPE, or nothing a parser accepts
        else if (units.StartsWith(i, "<?"))
            i = units.SkipPast(i + 2, "?>");
        else if (units.StartsWith(i, "</"))
        {
            --depth;
            text = 0;
            pieces = 0;
            i = units.SkipPast(i + 2, ">");
        }
        else
        {
            // A start tag: find its end outside quoted attribute values.
            char32_t quote = 0;
            int attributes = 0;
            size_t j = i + 1;
            for (; j < n; ++j)
            {
                char32_t c = units.At(j);
                if (c == '<')
                    return Markup::ACCEPTED; // never well-formed: the parse stops here
                if (quote)
                {
                    if (c == quote)
                        quote = 0;
                }
                else if (c == '"' || c == '\'')
                    quote = c;
                else if (c == '=' && ++attributes > limits.attributes)
                    return Markup::REFUSED;
                else if (c == '>')
                    break;
            }
            if (j >= n)
                return Markup::ACCEPTED;
            if (units.At(j - 1) != '/' && ++depth > limits.depth)
                return Markup::REFUSED;
            text = 0;
            pieces = 0;
            i = j + 1;
        }
    }
    return Markup::ACCEPTED;
}

// How the parser will read the bytes, decided from the first two or three
// as it decides: a byte-order mark, else a zero byte first (UTF-16BE) or
// second (UTF-16LE), else bytes in the declared encoding.
struct Detected
{
    int width;
    bool bigEndian;
    size_t start; // past the byte-order mark
};

Detected DetectEncoding(const unsigned char* bytes, size_t size)
{
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return {2, true, 2};
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return {2, false, 2};
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return {1, false, 3};
    if (size >= 2 && bytes[0] == 0)
        return {2, true, 0};
    if (size >= 2 && bytes[1] == 0)
        return {2, false, 0};
    return {1, false, 0};
}

// ---------------------------------------------------------------------------
// The tree walk.

// The part of an element name after its namespace prefix ("ss:Row" -> "Row").
wxString LocalName(const wxString& name)
{
    int colon = name.Find(':');
    return colon == wxNOT_FOUND ? name : name.Mid(colon + 1);
}

bool IsElement(const wxXmlNode* node, const char* localName)
{
    return node->GetType() == wxXML_ELEMENT_NODE && LocalName(node->GetName()).IsSameAs(localName, false);
}

// The value of the attribute with the given local name ("ss:Index").
bool FindAttribute(const wxXmlNode* node, const char* localName, wxString* value)
{
    for (const wxXmlAttribute* attr = node->GetAttributes(); attr; attr = attr->GetNext())
    {
        if (LocalName(attr->GetName()).IsSameAs(localName, false))
        {
            *value = attr->GetValue();
            return true;
        }
    }
    return false;
}

// A base-10 number, saturated at the column limit; anything else is 0.
long long ToNumber(const wxString& text)
{
    wxString digits = text.Strip(wxString::both);
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+'))
    {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    if (digits.empty())
        return 0;
    long long value = 0;
    for (wxUniChar c : digits)
    {
        if (c < '0' || c > '9')
            return 0;
        value = std::min(COLUMN_LIMIT, value * 10 + (c - '0'));
    }
    return negative ? -value : value;
}

// White space as Unicode defines it, and the invisible no-width space and
// byte-order mark that pasted text brings along.
bool IsSpaceChar(wxUniChar c)
{
    const wxUint32 v = c.GetValue();
    return (v >= 0x09 && v <= 0x0D) || v == 0x20 || v == 0x85 || v == 0xA0 || v == 0x1680 ||
           (v >= 0x2000 && v <= 0x200B) || v == 0x2028 || v == 0x2029 || v == 0x202F || v == 0x205F || v == 0x3000 ||
           v == 0xFEFF;
}

wxString TrimSpace(const wxString& text)
{
    wxString::const_iterator begin = text.begin(), end = text.end();
    while (begin != end && IsSpaceChar(*begin))
        ++begin;
    while (end != begin && IsSpaceChar(*(end - 1)))
        --end;
    return wxString(begin, end);
}

// The text of every text and CDATA node below the element, in document
// order, so that rich text (<Data><B>Bold</B> plain</Data>) reads whole,
// without the white space around it.
wxString DataText(const wxXmlNode* data)
{
    wxString text;
    const wxXmlNode* node = data->GetChildren();
    while (node)
    {
        if (node->GetType() == wxXML_TEXT_NODE || node->GetType() == wxXML_CDATA_SECTION_NODE)
            text += node->GetContent();
        if (node->GetType() == wxXML_ELEMENT_NODE && node->GetChildren())
        {
            node = node->GetChildren();
            continue;
        }
        while (node && node != data && !node->GetNext())
            node = node->GetParent();
        if (!node || node == data)
            break;
        node = node->GetNext();
    }
    return TrimSpace(text);
}

void StoreColumn(ContactInfoEx& contact, long long column, const wxString& text)
{
    static wxString ContactInfoEx::*const COLUMNS[] = {&ContactInfoEx::last_name,      &ContactInfoEx::first_name,
                                                       &ContactInfoEx::business_phone, &ContactInfoEx::business_mobile,
                                                       &ContactInfoEx::home_phone,     &ContactInfoEx::home_mobile,
                                                       &ContactInfoEx::email};
    if (column >= 1 && column <= 7)
        contact.*COLUMNS[column - 1] = text;
}
} // namespace

SpreadsheetReader::SpreadsheetReader(wxXmlDocument& document) : document(document) {}

SpreadsheetReader::LoadResult SpreadsheetReader::Load(const wxString& path)
{
    if (path.empty() || !wxFileName::FileExists(path))
        return LOAD_UNREADABLE;
    wxLogNull quiet;
    wxFFile file(path, "rb");
    if (!file.IsOpened())
        return LOAD_UNREADABLE;
    wxFileOffset length = file.Length();
    if (length > static_cast<wxFileOffset>(MAX_FILE_SIZE))
        return LOAD_TOO_LARGE;

    // Read to the end rather than trusting the length: the file may change.
    std::vector<char> content;
    content.reserve(length > 0 ? static_cast<size_t>(length) : 0);
    char chunk[65536];
    for (;;)
    {
        size_t got = file.Read(chunk, sizeof chunk);
        if (file.Error())
            return LOAD_UNREADABLE;
        content.insert(content.end(), chunk, chunk + got);
        if (content.size() > MAX_FILE_SIZE)
            return LOAD_TOO_LARGE;
        if (got < sizeof chunk)
            break;
    }
    return Load(content.data(), content.size());
}

SpreadsheetReader::LoadResult SpreadsheetReader::Load(const void* data, size_t size)
{
    // Whatever happens, no rows of an earlier file stay behind.
    document = wxXmlDocument();
    if (size == 0)
        return LOAD_EMPTY;
    if (size > MAX_FILE_SIZE)
        return LOAD_TOO_LARGE;

    // Every check below looks at the characters the parser will see: the
    // encoding is worked out first, as the parser works it out, and a
    // legacy encoding the parser cannot read itself is converted to UTF-8.
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    const Detected detected = DetectEncoding(bytes, size);
    std::string converted;
    if (detected.width == 1)
    {
        Units units(bytes, size, 1, false);
        wxString encoding;
        if (!DeclaredEncoding(units, detected.start, &encoding))
            return LOAD_MALFORMED;
        if (!IsUtf8Compatible(encoding))
        {
            if (!ConvertToUtf8(bytes + detected.start, size - detected.start, encoding, converted))
                return LOAD_MALFORMED;
            data = converted.data();
            size = converted.size();
            bytes = reinterpret_cast<const unsigned char*>(converted.data());
        }
    }
    const size_t start = converted.empty() ? detected.start : 0;
    const Units units(bytes + start, size - start, detected.width, detected.bigEndian);
    if (ScanMarkup(units, 0, {MAX_DEPTH, MAX_ATTRIBUTES, MAX_TEXT_LENGTH, MAX_TEXT_PIECES}) == Markup::REFUSED)
        return LOAD_MALFORMED;

    wxLogNull quiet; // the toolkit would log the parse error in a window of its own
    wxMemoryInputStream stream(data, size);
    // Whitespace between rich-text runs is part of the cell's text.
    if (!document.Load(stream, "UTF-8", wxXMLDOC_KEEP_WHITESPACE_NODES) || !document.GetRoot())
    {
        document = wxXmlDocument();
        return LOAD_MALFORMED;
    }
    const wxXmlNode* root = document.GetRoot();
    if (LocalName(root->GetName()) != "Workbook")
        return LOAD_NOT_WORKBOOK;
    return LOAD_OK;
}

SpreadsheetReader::Contacts SpreadsheetReader::ReadContacts(size_t* skippedRows) const
{
    Contacts contacts;
    if (skippedRows)
        *skippedRows = 0;
    const wxXmlNode* root = document.IsOk() ? document.GetRoot() : nullptr;
    if (!root || LocalName(root->GetName()) != "Workbook")
        return contacts;

    for (const wxXmlNode* sheet = root->GetChildren(); sheet; sheet = sheet->GetNext())
    {
        if (!IsElement(sheet, "Worksheet"))
            continue;
        for (const wxXmlNode* table = sheet->GetChildren(); table; table = table->GetNext())
        {
            if (!IsElement(table, "Table"))
                continue;
            for (const wxXmlNode* child = table->GetChildren(); child; child = child->GetNext())
            {
                if (child->GetType() != wxXML_ELEMENT_NODE)
                    continue;
                if (onTableChild)
                    onTableChild();
                if (!IsElement(child, "Row"))
                    continue;
                auto contact = std::make_unique<ContactInfoEx>();
                const bool hasText = ReadRow(child, *contact, onCellText);
                if (IsImportable(*contact))
                {
                    // The file says nothing about a birthday; the alphabet
                    // names sort and filter the list, so they follow the names.
                    contact->birthday = wxInvalidDateTime;
                    contact->last_name_alpha = contact->last_name;
                    contact->first_name_alpha = contact->first_name;
                    contacts.push_back(std::move(contact));
                }
                else if (hasText && skippedRows && !IsHeader(*contact))
                    ++*skippedRows;
            }
        }
    }
    return contacts;
}

bool SpreadsheetReader::ReadRow(const wxXmlNode* row, ContactInfoEx& contact, const TextHook& onCellText)
{
    bool hasText = false;
    // The last column taken so far: a cell without an index follows it.
    long long last = 0;
    for (const wxXmlNode* cell = row->GetChildren(); cell; cell = cell->GetNext())
    {
        if (!IsElement(cell, "Cell"))
            continue;
        wxString value;
        long long column = last + 1;
        if (FindAttribute(cell, "Index", &value) && value != "-")
            column = ToNumber(value);
        long long end = column;
        if (FindAttribute(cell, "MergeAcross", &value))
            end = column + std::max(0LL, ToNumber(value));

        long long dataColumn = column;
        for (const wxXmlNode* data = cell->GetChildren(); data; data = data->GetNext())
        {
            if (!IsElement(data, "Data"))
                continue;
            wxString text = DataText(data);
            hasText = hasText || !text.empty();
            if (onCellText)
                onCellText(text);
            StoreColumn(contact, dataColumn, text);
            end = std::max(end, dataColumn);
            // Past the limit every column is ignored anyway.
            dataColumn = std::min(dataColumn + 1, 2 * COLUMN_LIMIT);
        }
        last = std::min(end, 2 * COLUMN_LIMIT);
    }
    return hasText;
}

bool SpreadsheetReader::IsHeader(const ContactInfoEx& contact)
{
    return contact.last_name.IsSameAs("last_name", false);
}

bool SpreadsheetReader::IsImportable(const ContactInfoEx& contact)
{
    return !contact.first_name.empty() && !contact.last_name.empty() && !IsHeader(contact);
}
