// Files as spreadsheet programs write them (tests/exchange/data): LibreOffice's
// "MS Excel 2003 XML" export of a CSV file and of a formatted sheet, the same
// contacts re-encoded as UTF-16 and ISO-8859-1, and a file in the manner of
// the office suite that introduced the format (byte-order mark, comments,
// named cells, styled empty cells, several worksheets).
#include <gtest/gtest.h>

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/strconv.h>
#include <wx/xml/xml.h>

#include <vector>

#include "exchange/SpreadsheetReader.h"
#include "tests/exchange/SheetTestUtil.h"

namespace
{
std::vector<wxString> Columns(const ContactInfoEx& c)
{
    return {c.last_name, c.first_name, c.business_phone, c.business_mobile, c.home_phone, c.home_mobile, c.email};
}

SpreadsheetReader::Contacts ReadFile(const wxString& name)
{
    SpreadsheetReader reader;
    SpreadsheetReader::Contacts contacts;
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, reader.ReadAll(SheetDataPath(name), contacts)) << name;
    return contacts;
}

// What a file gave, with everything the import shows along the way.
struct Reading
{
    std::vector<std::vector<wxString>> rows; // the seven columns and the two alphabet names
    size_t skipped = 0;
    std::vector<wxString> texts; // every Data text, in order
    int tableChildren = 0;
};

// How the files were read before the reader streamed them: the whole
// document as the toolkit's tree, then a walk over Workbook / Worksheet /
// Table / Row / Cell / Data, with the same rules for names, indexes, merged
// cells, rich text and white space. The files here are in encodings the
// toolkit's parser reads itself.
wxString LocalName(const wxString& name)
{
    const int colon = name.Find(':');
    return colon == wxNOT_FOUND ? name : name.Mid(colon + 1);
}

bool IsElement(const wxXmlNode* node, const char* name)
{
    return node->GetType() == wxXML_ELEMENT_NODE && LocalName(node->GetName()).IsSameAs(name, false);
}

bool FindAttribute(const wxXmlNode* node, const char* name, wxString* value)
{
    for (const wxXmlAttribute* a = node->GetAttributes(); a; a = a->GetNext())
    {
        if (LocalName(a->GetName()).IsSameAs(name, false))
        {
            *value = a->GetValue();
            return true;
        }
    }
    return false;
}

long long ToNumber(const wxString& text)
{
    wxString digits = text.Strip(wxString::both);
    const bool negative = digits.StartsWith("-");
    if (negative || digits.StartsWith("+"))
        digits.erase(0, 1);
    long long value = 0;
    for (wxUniChar c : digits)
    {
        if (c < '0' || c > '9')
            return 0;
        value = std::min(1000000000LL, value * 10 + (c - '0'));
    }
    return negative ? -value : value;
}

wxString Trimmed(const wxString& text)
{
    auto space = [](wxUniChar c)
    {
        const wxUint32 v = c.GetValue();
        return (v >= 0x09 && v <= 0x0D) || v == 0x20 || v == 0x85 || v == 0xA0 || v == 0x1680 ||
               (v >= 0x2000 && v <= 0x200B) || v == 0x2028 || v == 0x2029 || v == 0x202F || v == 0x205F ||
               v == 0x3000 || v == 0xFEFF;
    };
    wxString::const_iterator begin = text.begin(), end = text.end();
    while (begin != end && space(*begin))
        ++begin;
    while (end != begin && space(*(end - 1)))
        --end;
    return wxString(begin, end);
}

// Every text and CDATA below the element, in document order.
void CollectText(const wxXmlNode* node, wxString& text)
{
    for (const wxXmlNode* child = node->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() == wxXML_TEXT_NODE || child->GetType() == wxXML_CDATA_SECTION_NODE)
            text += child->GetContent();
        else if (child->GetType() == wxXML_ELEMENT_NODE)
            CollectText(child, text);
    }
}

void ReadTreeRow(const wxXmlNode* row, Reading& reading)
{
    ContactInfoEx c;
    wxString* const fields[] = {&c.last_name,  &c.first_name,  &c.business_phone, &c.business_mobile,
                                &c.home_phone, &c.home_mobile, &c.email};
    bool hasText = false;
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
        for (const wxXmlNode* data = cell->GetChildren(); data; data = data->GetNext())
        {
            if (!IsElement(data, "Data"))
                continue;
            wxString text;
            CollectText(data, text);
            text = Trimmed(text);
            reading.texts.push_back(text);
            hasText = hasText || !text.empty();
            if (column >= 1 && column <= 7)
                *fields[column - 1] = text;
            end = std::max(end, column);
            column = std::min(column + 1, 2000000000LL);
        }
        last = std::min(end, 2000000000LL);
    }
    if (SpreadsheetReader::IsImportable(c))
    {
        std::vector<wxString> columns = Columns(c);
        columns.push_back(c.last_name);
        columns.push_back(c.first_name);
        reading.rows.push_back(columns);
    }
    else if (hasText && !SpreadsheetReader::IsHeader(c))
        ++reading.skipped;
}

Reading ReadAsTree(const wxString& path)
{
    Reading reading;
    wxXmlDocument document;
    if (!document.Load(path, "UTF-8", wxXMLDOC_KEEP_WHITESPACE_NODES) || !document.GetRoot())
    {
        ADD_FAILURE() << "the toolkit cannot read " << path;
        return reading;
    }
    const wxXmlNode* root = document.GetRoot();
    EXPECT_EQ("Workbook", LocalName(root->GetName())) << path;
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
                ++reading.tableChildren;
                if (IsElement(child, "Row"))
                    ReadTreeRow(child, reading);
            }
        }
    }
    return reading;
}

Reading ReadStreaming(const wxString& path)
{
    Reading reading;
    SpreadsheetReader reader;
    reader.onTableChild = [&] { ++reading.tableChildren; };
    reader.onCellText = [&](const wxString& text) { reading.texts.push_back(text); };
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, reader.Open(path)) << path;
    while (const ContactInfoEx* c = reader.Next())
    {
        EXPECT_FALSE(c->birthday.IsValid());
        std::vector<wxString> columns = Columns(*c);
        columns.push_back(c->last_name_alpha);
        columns.push_back(c->first_name_alpha);
        reading.rows.push_back(columns);
    }
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, reader.Result()) << path;
    EXPECT_EQ(reading.rows.size(), reader.ImportableRows()) << path;
    reading.skipped = reader.SkippedRows();
    return reading;
}

using Rows = std::vector<std::vector<wxString>>;

Rows AllColumns(const SpreadsheetReader::Contacts& contacts)
{
    Rows rows;
    for (const auto& c : contacts)
        rows.push_back(Columns(*c));
    return rows;
}

const std::vector<wxString> LINDQVIST = {
    "Lindqvist", "Maren", "+46 8 555 0101", "070 555 0102", "", "", "maren.lindqvist@example.com"};
const std::vector<wxString> OKAFOR = {"Okafor", "Chidi", "", "0803 555 0199", "01 555 0123", "", "chidi@example.org"};
const std::vector<wxString> MUELLER = {wxString::FromUTF8("M\xC3\xBCller"),
                                       wxString::FromUTF8("J\xC3\xBCrgen"),
                                       "030 5550 1234",
                                       "",
                                       "",
                                       "",
                                       "j.mueller@example.de"};
const std::vector<wxString> YAMADA = {wxString::FromUTF8("\xE5\xB1\xB1\xE7\x94\xB0"),
                                      wxString::FromUTF8("\xE5\xA4\xAA\xE9\x83\x8E"),
                                      "03-5555-0100",
                                      "090-5555-0101",
                                      "",
                                      "",
                                      "taro.yamada@example.jp"};
const std::vector<wxString> DUBOIS = {"Dubois", wxString::FromUTF8("\xC3\x89lodie"), "", "", "", "06 55 55 01 02", ""};
const std::vector<wxString> BAKER = {"Baker", "Tom", "5550100", "5550101", "5550102", "5550103", "tom@example.com"};
} // namespace

TEST(SpreadsheetFiles, LibreOfficeExportOfACsvFile)
{
    // Header, accented and CJK names, numbers, skipped empty cells written
    // as indexes, and two rows missing a name.
    EXPECT_EQ((Rows{LINDQVIST, OKAFOR, MUELLER, YAMADA, DUBOIS, BAKER}),
              AllColumns(ReadFile("libreoffice-contacts.xls")));
}

TEST(SpreadsheetFiles, OtherEncodingsReadTheSame)
{
    EXPECT_EQ((Rows{LINDQVIST, OKAFOR, MUELLER, YAMADA, DUBOIS, BAKER}), AllColumns(ReadFile("utf16-bom.xls")))
        << "UTF-16 with a byte-order mark";
    EXPECT_EQ((Rows{LINDQVIST, OKAFOR, MUELLER, DUBOIS, BAKER}), AllColumns(ReadFile("iso-8859-1.xls")))
        << "ISO-8859-1 declared";
    EXPECT_EQ((Rows{{wxString::FromUTF8("\xC5\xA0imek"), wxString::FromUTF8("\xE2\x82\xAC"), "", "", "", "", ""}}),
              AllColumns(ReadText("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<Workbook><Worksheet><Table>"
                                  "<Row><Cell><Data>\x8Aimek</Data></Cell><Cell><Data>\x80</Data></Cell></Row>"
                                  "</Table></Worksheet></Workbook>")))
        << "an encoding the parser learns from the system";
    EXPECT_EQ((Rows{{MUELLER[0], MUELLER[1], "", "", "", "", ""}}),
              AllColumns(ReadText("<?xml version=\"1.0\" encoding=\"utf8\"?>\n<Workbook><Worksheet><Table><Row><Cell>"
                                  "<Data>M\xC3\xBCller</Data></Cell><Cell><Data>J\xC3\xBCrgen</Data></Cell></Row>"
                                  "</Table></Worksheet></Workbook>")))
        << "a name for UTF-8 that the parser does not know itself; non-ASCII letters were dropped";

    // Legacy multi-byte encodings, which the parser cannot read itself, are
    // converted first.
    const char* const TANAKA = "\xE7\x94\xB0\xE4\xB8\xAD"; // 田中
    const char* const HANAKO = "\xE8\x8A\xB1\xE5\xAD\x90"; // 花子
    const char* const KIM = "\xEA\xB9\x80";                // 김
    const char* const MINJUN = "\xEB\xAF\xBC\xEC\xA4\x80"; // 민준
    for (const char* encoding : {"Shift_JIS", "EUC-JP", "GBK", "GB2312", "GB18030", "Big5", "EUC-KR"})
    {
        const bool korean = wxString(encoding) == "EUC-KR";
        const wxString last = wxString::FromUTF8(korean ? KIM : TANAKA);
        const wxString first = wxString::FromUTF8(korean ? MINJUN : HANAKO);
        const wxString xml = "<?xml version=\"1.0\" encoding=\"" + wxString(encoding) +
                             "\"?>\n<Workbook><Worksheet><Table><Row><Cell><Data>" + last +
                             "</Data></Cell><Cell><Data>" + first +
                             "</Data></Cell></Row></Table></Worksheet></Workbook>";
        const wxCharBuffer bytes = xml.mb_str(wxCSConv(encoding));
        ASSERT_TRUE(bytes.length() > 0) << encoding;
        EXPECT_EQ((Rows{{last, first, "", "", "", "", ""}}),
                  AllColumns(ReadText(std::string(bytes.data(), bytes.length()))))
            << encoding;
    }
}

TEST(SpreadsheetFiles, LibreOfficeExportOfAFormattedSheet)
{
    // Rich text under a prefixed ss:Data, a merged cell followed by a cell
    // without index, a second worksheet, numbers.
    EXPECT_EQ((Rows{{"Van der Berg", "Anouk", "", "612345678", "", "", "anouk@example.nl"},
                    {"Costa", wxString::FromUTF8("In\xC3\xAAs Maria"), "21 555 0100 (office)", "", "21 555 0101", "",
                     "ines.costa@example.pt"},
                    {"Kowalska", "Zofia", "", "", "", "", "zofia.k@example.pl"},
                    {"Haddad", "Karim", "15550100", "", "", "", ""}}),
              AllColumns(ReadFile("libreoffice-formatted.xls")));
}

TEST(SpreadsheetFiles, OfficeStyleFileWithCommentsNamedCellsAndStyledCells)
{
    EXPECT_EQ((Rows{{"Ferreira",
                     wxString::FromUTF8("L\xC3\xBA"
                                        "cia"),
                     "", "0912 555 010", "", "", "lucia.ferreira@example.com"},
                    {"O'Brien", wxString::FromUTF8("Siobh\xC3\xA1n \xC3\x81ine"), "35315550100", "", "01 555 0199", "",
                     "siobhan@example.ie"},
                    {"Tanaka", "Hanako", "", "", "335550123", "", "hanako@example.jp"},
                    {"Weber", "Lena", "", "", "", "", ""}}),
              AllColumns(ReadFile("excel-style.xls")));
}

TEST(SpreadsheetFiles, ShippedTemplate)
{
    wxString path = SheetDataPath("../../../resources/templates/import_template.xls");
    SpreadsheetReader reader;
    std::vector<wxString> texts;
    reader.onCellText = [&](const wxString& text) { texts.push_back(text); };
    SpreadsheetReader::Contacts contacts;
    ASSERT_EQ(SpreadsheetReader::LOAD_OK, reader.ReadAll(path, contacts));
    ASSERT_GE(texts.size(), 7u);
    EXPECT_EQ((std::vector<wxString>{"last_name", "first_name", "business_phone", "business_mobile", "home_phone",
                                     "home_mobile", "email"}),
              std::vector<wxString>(texts.begin(), texts.begin() + 7))
        << "the header row names the seven columns in order";
    EXPECT_GE(contacts.size(), 3u) << "the template shows a few example rows";
    for (const auto& c : contacts)
        EXPECT_TRUE(c->email.EndsWith("@example.com")) << c->email;

    // The four phone columns are formatted as text, so that a spreadsheet
    // program keeps the leading zeros and "+" of what the user types.
    wxString text;
    ASSERT_TRUE(wxFFile(path).ReadAll(&text));
    EXPECT_NE(wxNOT_FOUND, text.Find("<Style ss:ID=\"phone\"><NumberFormat ss:Format=\"@\"/></Style>"));
    EXPECT_NE(wxNOT_FOUND, text.Find("<Column ss:Index=\"3\" ss:Span=\"3\" ss:StyleID=\"phone\""));
}

TEST(SpreadsheetFiles, StreamingReadsEveryShippedFileAsTheWholeDocumentWasRead)
{
    wxArrayString files;
    wxDir::GetAllFiles(SheetDataPath(""), &files, "*.xls", wxDIR_FILES);
    wxDir::GetAllFiles(SheetDataPath("../../../resources/templates"), &files, "*.xls", wxDIR_FILES);
    ASSERT_GE(files.GetCount(), 6u);
    for (const wxString& file : files)
    {
        const Reading before = ReadAsTree(file), now = ReadStreaming(file);
        EXPECT_FALSE(now.rows.empty()) << file;
        EXPECT_EQ(before.rows, now.rows) << file;
        EXPECT_EQ(before.skipped, now.skipped) << file;
        EXPECT_EQ(before.texts, now.texts) << file;
        EXPECT_EQ(before.tableChildren, now.tableChildren) << file;
    }
}
