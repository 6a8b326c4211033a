#include "exchange/SpreadsheetReader.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/fontmap.h>
#include <wx/log.h>

#include <expat.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

namespace
{
// Columns far outside the seven we read all behave alike; clamping keeps the
// running column clear of overflow.
const long long COLUMN_LIMIT = 1000000000LL;

// How much of the file is read, converted and parsed at a time.
const size_t CHUNK_SIZE = 64 * 1024;

// ---------------------------------------------------------------------------
// Encodings. The parser reads UTF-8 and UTF-16 itself and tells them apart
// by the first bytes; a document declaring any other encoding is converted
// to UTF-8 on its way to the parser, so that every check sees the
// characters the parser sees.

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

// Converts a document from a legacy encoding to UTF-8 a piece at a time,
// with the system's converter (the one the toolkit's character set
// conversion uses here), keeping a character split between two pieces and
// the shift state of encodings that have one.
class Utf8Converter
{
public:
    ~Utf8Converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }

    // False when the system cannot convert from this encoding.
    bool Open(const wxString& encoding)
    {
        const wxString name = encoding.Lower();
        // Sixteen- and thirty-two-bit names on a byte-oriented document.
        if (name.StartsWith("utf-16") || name.StartsWith("utf-32") || name.StartsWith("ucs"))
            return false;
        cd = iconv_open("UTF-8", encoding.ToAscii());
        if (cd != reinterpret_cast<iconv_t>(-1))
            return true;
        // The other names the toolkit knows the encoding by, as its own
        // conversion tries them ("windows1252" for "windows-1252").
        const wxFontEncoding known = wxFontMapperBase::Get()->CharsetToEncoding(encoding, false);
        if (known == wxFONTENCODING_SYSTEM || known == wxFONTENCODING_DEFAULT)
            return false;
        for (const wxChar* const* names = wxFontMapperBase::GetAllEncodingNames(known); names && *names; ++names)
        {
            cd = iconv_open("UTF-8", wxString(*names).ToAscii());
            if (cd != reinterpret_cast<iconv_t>(-1))
                return true;
        }
        return false;
    }

    // Appends the UTF-8 of the bytes to out. False when they are not text in
    // the encoding, or when the last piece ends inside a character.
    bool Convert(const char* data, size_t size, bool last, std::string& out)
    {
        carry.append(data, size);
        char* in = &carry[0];
        size_t inLeft = carry.size();
        while (inLeft > 0)
        {
            char buffer[16384];
            char* o = buffer;
            size_t oLeft = sizeof buffer;
            const size_t done = iconv(cd, &in, &inLeft, &o, &oLeft);
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
        if (iconv(cd, nullptr, nullptr, &o, &oLeft) == static_cast<size_t>(-1))
            return false;
        out.append(buffer, o - buffer);
        return true;
    }

private:
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    std::string carry;
};

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
// Names and values.

// The part of an element or attribute name after its namespace prefix
// ("ss:Row" -> "Row").
const char* LocalName(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

// Whether a name's local part is the given one, without regard to case.
bool IsNamed(const char* name, const char* localName)
{
    const char* local = LocalName(name);
    for (const char* p = local;; ++p)
    {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return wxString::FromUTF8(local).IsSameAs(localName, false);
        if (!*p)
            break;
    }
    for (; *local && *localName; ++local, ++localName)
    {
        const char a = *local >= 'A' && *local <= 'Z' ? *local - 'A' + 'a' : *local;
        const char b = *localName >= 'A' && *localName <= 'Z' ? *localName - 'A' + 'a' : *localName;
        if (a != b)
            return false;
    }
    return *local == *localName;
}

// The value of the first attribute with the given local name ("ss:Index").
const char* FindAttribute(const char** attributes, const char* localName)
{
    for (const char** a = attributes; *a; a += 2)
    {
        if (IsNamed(a[0], localName))
            return a[1];
    }
    return nullptr;
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

// ---------------------------------------------------------------------------
// The parser's events, turned into rows as they come. Only the elements on
// the way to a cell's text matter: Workbook / Worksheet / Table / Row /
// Cell / Data, each a child of the one before (names compared after their
// prefix and without regard to case, the root's name exactly). Parsing
// stops after each importable row and after the root's start, and goes on
// from there when the next row is asked for.

class SpreadsheetReader::Parser
{
public:
    explicit Parser(SpreadsheetReader& owner) : owner(owner) {}

    ~Parser()
    {
        if (xml)
            XML_ParserFree(xml);
    }

    LoadResult OpenFile(const wxString& path)
    {
        if (path.empty() || !wxFileName::FileExists(path))
            return Fail(LOAD_UNREADABLE);
        wxLogNull quiet;
        file.reset(new wxFFile(path, "rb"));
        if (!file->IsOpened())
            return Fail(LOAD_UNREADABLE);
        if (file->Length() > static_cast<wxFileOffset>(MAX_FILE_SIZE))
            return Fail(LOAD_TOO_LARGE);
        return Start();
    }

    LoadResult OpenMemory(const void* data, size_t size)
    {
        if (size == 0)
            return Fail(LOAD_EMPTY);
        if (size > MAX_FILE_SIZE)
            return Fail(LOAD_TOO_LARGE);
        memory = static_cast<const char*>(data);
        memorySize = size;
        return Start();
    }

    ContactInfoEx* Next()
    {
        if (state != State::SUSPENDED)
            return nullptr;
        rowReady = false;
        Run();
        return rowReady ? &row : nullptr;
    }

    LoadResult result = LOAD_OK;
    size_t importable = 0;
    size_t skipped = 0;

private:
    enum class State
    {
        PARSING,
        SUSPENDED, // after the root's start or an importable row
        DONE       // the end of the document, or a fault (result says)
    };

    enum class Role : unsigned char
    {
        OTHER, // an element whose content is not read
        WORKBOOK,
        WORKSHEET,
        TABLE,
        ROW,
        CELL,
        DATA,
        IN_DATA // any element inside a Data: rich text
    };

    LoadResult Fail(LoadResult why)
    {
        result = why;
        state = State::DONE;
        return why;
    }

    // Stops the parse from inside an event with the given result.
    void Refuse(LoadResult why)
    {
        if (refusal == LOAD_OK)
            refusal = why;
        XML_StopParser(xml, XML_FALSE);
    }

    // The next piece of the input; false when it cannot be read.
    bool Read(const char*& data, size_t& size, bool& last)
    {
        if (memory)
        {
            size = std::min(CHUNK_SIZE, memorySize - memoryPos);
            data = memory + memoryPos;
            memoryPos += size;
            last = memoryPos == memorySize;
            return true;
        }
        // Read to the end rather than trusting the length: the file may change.
        buffer.resize(CHUNK_SIZE);
        size = file->Read(&buffer[0], CHUNK_SIZE);
        if (file->Error())
        {
            Fail(LOAD_UNREADABLE);
            return false;
        }
        fileBytes += size;
        if (fileBytes > MAX_FILE_SIZE)
        {
            Fail(LOAD_TOO_LARGE);
            return false;
        }
        data = buffer.data();
        last = size == 0;
        return true;
    }

    // Works out the encoding from the first piece, as the parser does, sets
    // the parser up and reads as far as the root's start.
    LoadResult Start()
    {
        const char* data = nullptr;
        size_t size = 0;
        bool last = false;
        if (!Read(data, size, last))
            return result;
        if (size == 0)
            return Fail(LOAD_EMPTY);

        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
        const Detected detected = DetectEncoding(bytes, size);
        size_t skip = 0;
        bool utf8Alias = false;
        if (detected.width == 1)
        {
            wxString encoding;
            if (!DeclaredEncoding(Units(bytes, size, 1, false), detected.start, &encoding))
                return Fail(LOAD_MALFORMED);
            utf8Alias = encoding.IsSameAs("utf8", false);
            if (!IsUtf8Compatible(encoding))
            {
                converter.reset(new Utf8Converter());
                if (!converter->Open(encoding))
                    return Fail(LOAD_MALFORMED);
                skip = detected.start;
            }
        }
        else
        {
            unitWidth = 2;
            bigEndian = detected.bigEndian;
        }

        // A converted document is UTF-8 whatever its declaration says; so is
        // one declaring "utf8", a name the parser does not know itself.
        xml = XML_ParserCreate(converter || utf8Alias ? "UTF-8" : nullptr);
        if (!xml)
            throw std::bad_alloc();
        XML_SetUserData(xml, this);
        XML_SetElementHandler(xml, &Parser::OnStart, &Parser::OnEnd);
        XML_SetCharacterDataHandler(xml, &Parser::OnText);
        XML_SetCdataSectionHandler(xml, &Parser::OnCdataStart, &Parser::OnCdataEnd);
        // Spreadsheet programs never write a document type; it is the door
        // to entity expansion.
        XML_SetStartDoctypeDeclHandler(xml, &Parser::OnDoctype);

        state = State::PARSING;
        if (Feed(data + skip, size - skip, last) && state == State::PARSING)
            Run();
        if (result != LOAD_OK)
            return result;
        return atRoot ? LOAD_OK : Fail(LOAD_MALFORMED);
    }

    // Parses one piece; false when the document is refused.
    bool Feed(const char* data, size_t size, bool last)
    {
        lastFed = last;
        if (converter)
        {
            converted.clear();
            if (!converter->Convert(data, size, last, converted))
            {
                Fail(LOAD_MALFORMED);
                return false;
            }
            data = converted.data();
            size = converted.size();
        }
        return Handle(XML_Parse(xml, data, static_cast<int>(size), last));
    }

    bool Handle(XML_Status status)
    {
        switch (status)
        {
        case XML_STATUS_ERROR:
            Fail(refusal != LOAD_OK ? refusal : LOAD_MALFORMED);
            return false;
        case XML_STATUS_SUSPENDED:
            state = State::SUSPENDED;
            return true;
        default:
            if (lastFed)
                state = State::DONE;
            return true;
        }
    }

    // Parses until the next stop: an importable row, the root's start, the
    // end of the document or a fault.
    void Run()
    {
        if (state == State::SUSPENDED)
        {
            state = State::PARSING;
            if (!Handle(XML_ResumeParser(xml)))
                return;
        }
        while (state == State::PARSING)
        {
            const char* data = nullptr;
            size_t size = 0;
            bool last = false;
            if (!Read(data, size, last) || !Feed(data, size, last))
                return;
        }
    }

    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<Parser*>(self)->StartElement(name, attributes);
    }
    static void XMLCALL OnEnd(void* self, const XML_Char*)
    {
        static_cast<Parser*>(self)->EndElement();
    }
    static void XMLCALL OnText(void* self, const XML_Char* text, int length)
    {
        static_cast<Parser*>(self)->Text(text, length);
    }
    static void XMLCALL OnCdataStart(void* self)
    {
        // "<![CDATA[" counts towards the text it is part of.
        static_cast<Parser*>(self)->CountText(9, 0);
    }
    static void XMLCALL OnCdataEnd(void* self)
    {
        static_cast<Parser*>(self)->CountText(3, 0);
    }
    static void XMLCALL OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        static_cast<Parser*>(self)->Refuse(LOAD_MALFORMED);
    }

    void StartElement(const char* name, const char** attributes)
    {
        textChars = textPieces = 0;
        if (roles.size() >= static_cast<size_t>(MAX_DEPTH))
            return Refuse(LOAD_MALFORMED);
        int count = 0;
        for (const char** a = attributes; *a; a += 2)
            ++count;
        if (count > MAX_ATTRIBUTES)
            return Refuse(LOAD_MALFORMED);

        if (roles.empty())
        {
            if (std::strcmp(LocalName(name), "Workbook") != 0)
                return Refuse(LOAD_NOT_WORKBOOK);
            roles.push_back(Role::WORKBOOK);
            atRoot = true;
            XML_StopParser(xml, XML_TRUE);
            return;
        }
        Role role = Role::OTHER;
        switch (roles.back())
        {
        case Role::WORKBOOK:
            if (IsNamed(name, "Worksheet"))
                role = Role::WORKSHEET;
            break;
        case Role::WORKSHEET:
            if (IsNamed(name, "Table"))
                role = Role::TABLE;
            break;
        case Role::TABLE:
            if (owner.onTableChild)
                owner.onTableChild();
            if (IsNamed(name, "Row"))
            {
                role = Role::ROW;
                row = blank;
                rowHasText = false;
                lastColumn = 0;
            }
            break;
        case Role::ROW:
            if (IsNamed(name, "Cell"))
            {
                role = Role::CELL;
                StartCell(attributes);
            }
            break;
        case Role::CELL:
            if (IsNamed(name, "Data"))
            {
                role = Role::DATA;
                dataText.clear();
            }
            break;
        case Role::DATA:
        case Role::IN_DATA:
            role = Role::IN_DATA;
            break;
        case Role::OTHER:
            break;
        }
        roles.push_back(role);
    }

    void StartCell(const char** attributes)
    {
        // A cell without an index follows the last column taken so far.
        long long column = lastColumn + 1;
        const char* index = FindAttribute(attributes, "Index");
        if (index && std::strcmp(index, "-") != 0)
            column = ToNumber(wxString::FromUTF8(index));
        cellEnd = column;
        if (const char* merge = FindAttribute(attributes, "MergeAcross"))
            cellEnd = column + std::max(0LL, ToNumber(wxString::FromUTF8(merge)));
        dataColumn = column;
    }

    void EndElement()
    {
        // The parser still reports the end of an empty element whose start
        // was refused.
        if (refusal != LOAD_OK)
            return;
        textChars = textPieces = 0;
        const Role role = roles.back();
        roles.pop_back();
        switch (role)
        {
        case Role::DATA:
            EndData();
            break;
        case Role::CELL:
            lastColumn = std::min(cellEnd, 2 * COLUMN_LIMIT);
            break;
        case Role::ROW:
            EndRow();
            break;
        default:
            break;
        }
    }

    void EndData()
    {
        // Rich text (<Data><B>Bold</B> plain</Data>) reads whole, without
        // the white space around it.
        const wxString text = TrimSpace(wxString::FromUTF8(dataText.data(), dataText.size()));
        rowHasText = rowHasText || !text.empty();
        if (owner.onCellText)
            owner.onCellText(text);
        StoreColumn(row, dataColumn, text);
        cellEnd = std::max(cellEnd, dataColumn);
        // Past the limit every column is ignored anyway.
        dataColumn = std::min(dataColumn + 1, 2 * COLUMN_LIMIT);
    }

    void EndRow()
    {
        if (IsImportable(row))
        {
            // The file says nothing about a birthday; the alphabet names
            // sort and filter the list, so they follow the names.
            row.birthday = wxInvalidDateTime;
            row.last_name_alpha = row.last_name;
            row.first_name_alpha = row.first_name;
            rowReady = true;
            ++importable;
            XML_StopParser(xml, XML_TRUE);
        }
        else if (rowHasText && !IsHeader(row))
            ++skipped;
    }

    void Text(const char* text, int length)
    {
        CountRawText(text, length);
        if (!roles.empty() && (roles.back() == Role::DATA || roles.back() == Role::IN_DATA))
            dataText.append(text, length);
    }

    // Counts the text as it stands in the input, references unexpanded and
    // line breaks as written.
    void CountRawText(const char* text, int length)
    {
        int offset = 0, size = 0;
        const char* context = XML_GetInputContext(xml, &offset, &size);
        const int count = XML_GetCurrentByteCount(xml);
        const bool raw = context && count > 0 && offset >= 0 && offset + count <= size;
        const Units units = raw ? Units(reinterpret_cast<const unsigned char*>(context + offset),
                                        static_cast<size_t>(count), unitWidth, bigEndian)
                                : Units(reinterpret_cast<const unsigned char*>(text), length, 1, false);
        size_t chars = 0, pieces = 0;
        for (size_t i = 0; i < units.Count(); ++i)
        {
            const char32_t c = units.At(i);
            if (c == '\n' || c == '\r' || c == '&')
                ++pieces;
            if (!units.Continues(i))
                ++chars;
        }
        CountText(chars, pieces);
    }

    // Characters since the last tag: comments and processing instructions
    // do not split a text, CDATA sections add to it.
    void CountText(size_t chars, size_t pieces)
    {
        textChars += chars;
        textPieces += pieces;
        if (textChars > MAX_TEXT_LENGTH || textPieces > MAX_TEXT_PIECES)
            Refuse(LOAD_MALFORMED);
    }

    SpreadsheetReader& owner;

    std::unique_ptr<wxFFile> file;
    size_t fileBytes = 0;
    std::string buffer;
    const char* memory = nullptr;
    size_t memorySize = 0;
    size_t memoryPos = 0;
    std::unique_ptr<Utf8Converter> converter;
    std::string converted;
    // How the parser's input is written, for counting text as it stands.
    int unitWidth = 1;
    bool bigEndian = false;

    XML_Parser xml = nullptr;
    State state = State::DONE;
    bool lastFed = false;
    LoadResult refusal = LOAD_OK;
    bool atRoot = false;
    bool rowReady = false;

    std::vector<Role> roles;
    size_t textChars = 0;
    size_t textPieces = 0;

    // Every row starts as a new record; making one asks the clock three
    // times, which costs more than reading the row.
    const ContactInfoEx blank;
    ContactInfoEx row;
    bool rowHasText = false;
    long long lastColumn = 0;
    long long cellEnd = 0;
    long long dataColumn = 0;
    std::string dataText;
};

SpreadsheetReader::SpreadsheetReader() = default;

SpreadsheetReader::~SpreadsheetReader() = default;

SpreadsheetReader::LoadResult SpreadsheetReader::Open(const wxString& path)
{
    parser.reset(new Parser(*this));
    return parser->OpenFile(path);
}

SpreadsheetReader::LoadResult SpreadsheetReader::Open(const void* data, size_t size)
{
    parser.reset(new Parser(*this));
    return parser->OpenMemory(data, size);
}

ContactInfoEx* SpreadsheetReader::Next()
{
    return parser ? parser->Next() : nullptr;
}

bool SpreadsheetReader::Failed() const
{
    return Result() != LOAD_OK;
}

SpreadsheetReader::LoadResult SpreadsheetReader::Result() const
{
    return parser ? parser->result : LOAD_UNREADABLE;
}

size_t SpreadsheetReader::ImportableRows() const
{
    return parser ? parser->importable : 0;
}

size_t SpreadsheetReader::SkippedRows() const
{
    return parser ? parser->skipped : 0;
}

SpreadsheetReader::LoadResult SpreadsheetReader::ReadAll(const wxString& path, Contacts& contacts, size_t* skippedRows)
{
    return Collect(Open(path), contacts, skippedRows);
}

SpreadsheetReader::LoadResult SpreadsheetReader::ReadAll(const void* data, size_t size, Contacts& contacts,
                                                         size_t* skippedRows)
{
    return Collect(Open(data, size), contacts, skippedRows);
}

SpreadsheetReader::LoadResult SpreadsheetReader::Collect(LoadResult opened, Contacts& contacts, size_t* skippedRows)
{
    contacts.clear();
    if (opened == LOAD_OK)
    {
        while (const ContactInfoEx* contact = Next())
            contacts.push_back(std::make_unique<ContactInfoEx>(*contact));
    }
    const LoadResult result = Result();
    if (result != LOAD_OK)
        contacts.clear();
    if (skippedRows)
        *skippedRows = result == LOAD_OK ? SkippedRows() : 0;
    return result;
}

bool SpreadsheetReader::IsHeader(const ContactInfoEx& contact)
{
    return contact.last_name.IsSameAs("last_name", false);
}

bool SpreadsheetReader::IsImportable(const ContactInfoEx& contact)
{
    return !contact.first_name.empty() && !contact.last_name.empty() && !IsHeader(contact);
}
