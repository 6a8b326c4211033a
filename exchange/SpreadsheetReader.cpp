#include "exchange/SpreadsheetReader.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "exchange/SheetEncoding.h"
#include "exchange/SheetRow.h"

namespace
{
// How much of the file is read, converted and parsed at a time.
const size_t CHUNK_SIZE = 64 * 1024;

// ---------------------------------------------------------------------------
// Names.

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
        return rowReady ? &row.Contact() : nullptr;
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

        if (!encoding.Detect(data, size))
            return Fail(LOAD_MALFORMED);
        xml = XML_ParserCreate(encoding.ParserEncoding());
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
        if (Feed(data, size, last) && state == State::PARSING)
            Run();
        if (result != LOAD_OK)
            return result;
        return atRoot ? LOAD_OK : Fail(LOAD_MALFORMED);
    }

    // Parses one piece; false when the document is refused.
    bool Feed(const char* data, size_t size, bool last)
    {
        lastFed = last;
        if (!encoding.Pass(data, size, last))
        {
            Fail(LOAD_MALFORMED);
            return false;
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
                row.Start();
            }
            break;
        case Role::ROW:
            if (IsNamed(name, "Cell"))
            {
                role = Role::CELL;
                row.StartCell(FindAttribute(attributes, "Index"), FindAttribute(attributes, "MergeAcross"));
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
            row.EndCell();
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
        const wxString text = SheetRow::CellText(dataText);
        if (owner.onCellText)
            owner.onCellText(text);
        row.AddData(text);
    }

    void EndRow()
    {
        if (IsImportable(row.Contact()))
        {
            row.Complete();
            rowReady = true;
            ++importable;
            XML_StopParser(xml, XML_TRUE);
        }
        else if (row.HasText() && !IsHeader(row.Contact()))
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
        const SheetUnits units =
            raw ? SheetUnits(reinterpret_cast<const unsigned char*>(context + offset), static_cast<size_t>(count),
                             encoding.UnitWidth(), encoding.BigEndian())
                : SheetUnits(reinterpret_cast<const unsigned char*>(text), length, 1, false);
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
    SheetEncoding encoding;

    XML_Parser xml = nullptr;
    State state = State::DONE;
    bool lastFed = false;
    LoadResult refusal = LOAD_OK;
    bool atRoot = false;
    bool rowReady = false;

    std::vector<Role> roles;
    size_t textChars = 0;
    size_t textPieces = 0;

    SheetRow row;
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

bool SpreadsheetReader::IsExcelBinary(const wxString& path)
{
    // A file that cannot be opened is simply not one; that was told already.
    wxLogNull quiet;
    wxFFile file(path, "rb");
    unsigned char head[8] = {};
    if (!file.IsOpened() || file.Read(head, sizeof head) != sizeof head)
        return false;
    static const unsigned char compound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    static const unsigned char zip[4] = {'P', 'K', 3, 4};
    return std::memcmp(head, compound, sizeof compound) == 0 || std::memcmp(head, zip, sizeof zip) == 0;
}
