// Files as spreadsheet programs write them (tests/import/data): LibreOffice's
// "MS Excel 2003 XML" export of a CSV file and of a formatted sheet, the same
// contacts re-encoded as UTF-16 and ISO-8859-1, and a file in the manner of
// the office suite that introduced the format (byte-order mark, comments,
// named cells, styled empty cells, several worksheets).
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/strconv.h>

#include <vector>

#include "import/SpreadsheetReader.h"
#include "import/wxXmlDocumentEx.h"
#include "tests/import/SheetTestUtil.h"

namespace
{
std::vector<wxString> Columns(const ContactInfoEx& c)
{
    return {c.last_name, c.first_name, c.business_phone, c.business_mobile, c.home_phone, c.home_mobile, c.email};
}

SpreadsheetReader::Contacts ReadFile(const wxString& name)
{
    wxXmlDocumentEx document;
    SpreadsheetReader reader(document);
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, reader.Load(SheetDataPath(name))) << name;
    return reader.ReadContacts();
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
    wxXmlDocumentEx document;
    SpreadsheetReader reader(document);
    ASSERT_EQ(SpreadsheetReader::LOAD_OK, reader.Load(path));
    std::vector<wxString> texts;
    reader.onCellText = [&](const wxString& text) { texts.push_back(text); };
    auto contacts = reader.ReadContacts();
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
