// The reading of XML Spreadsheet documents into contact records: columns,
// names, the rows that qualify, and the document shapes that must load or
// be refused.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filename.h>

#include <string>
#include <vector>

#include "exchange/SpreadsheetReader.h"
#include "tests/exchange/SheetTestUtil.h"
#include "tests/support/TestEnv.h"

namespace
{
// The seven imported fields of a record, in column order.
std::vector<wxString> Columns(const ContactInfoEx& c)
{
    return {c.last_name, c.first_name, c.business_phone, c.business_mobile, c.home_phone, c.home_mobile, c.email};
}

std::string Cell(const std::string& text, const std::string& attributes = "")
{
    return "<Cell" + attributes + "><Data ss:Type=\"String\">" + text + "</Data></Cell>";
}

std::string Row(const std::string& cells)
{
    return "<Row>" + cells + "</Row>";
}

const std::string NAMES = Cell("Doe") + Cell("Jane");
} // namespace

TEST(SpreadsheetReaderColumns, CellsWithoutIndexFollowThePreviousCell)
{
    auto contacts = ReadText(Workbook(Row(NAMES + Cell("b-phone") + Cell("b-mobile") + Cell("h-phone") +
                                          Cell("h-mobile") + Cell("mail") + Cell("column 8"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "b-phone", "b-mobile", "h-phone", "h-mobile", "mail"}),
              Columns(*contacts[0]));
    EXPECT_EQ(-1, contacts[0]->id) << "imported records are new";
    EXPECT_TRUE(contacts[0]->company.empty()) << "columns beyond the seventh are ignored";
}

TEST(SpreadsheetReaderColumns, IndexSetsTheColumnAndRealignsTheFollowingCells)
{
    // Indexes 2 and 7 fill the given name and the e-mail only.
    size_t skipped = 0;
    auto contacts = ReadText(
        Workbook(Row(Cell("Jane", " ss:Index=\"2\"") + Cell("jane@example.com", " ss:Index=\"7\"")) +
                 Row(Cell("Doe") + Cell("Jane", " ss:Index=\"2\"") + Cell("jane@example.com", " ss:Index=\"7\""))),
        &skipped);
    ASSERT_EQ(1u, contacts.size()) << "a row without a family name is not imported";
    EXPECT_EQ(1u, skipped);
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "", "", "", "", "jane@example.com"}), Columns(*contacts[0]));

    // An index realigns every cell after it.
    contacts = ReadText(Workbook(Row(NAMES + Cell("h-phone", " ss:Index=\"5\"") + Cell("h-mobile"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "", "", "h-phone", "h-mobile", ""}), Columns(*contacts[0]));

    // Index 9 is ignored, and so is the cell after it (column 10); an index
    // may also go back and replace a column.
    contacts = ReadText(
        Workbook(Row(NAMES + Cell("nine", " ss:Index=\"9\"") + Cell("ten") + Cell("again", " ss:Index=\"3\""))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "again", "", "", "", ""}), Columns(*contacts[0]));
}

TEST(SpreadsheetReaderColumns, IndexesThatAreNotColumnsAreIgnored)
{
    // Not a number reads as column 0: ignored, and the next cell is column 1.
    auto contacts = ReadText(Workbook(Row(Cell("lost", " ss:Index=\"x\"") + Cell("Doe") + Cell("Jane") +
                                          Cell("negative", " ss:Index=\"-4\"") + Cell("still ignored") +
                                          Cell("zero", " ss:Index=\"0\"") + Cell("Doe2"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe2", "Jane", "", "", "", "", ""}), Columns(*contacts[0]))
        << "columns 0 and below store nothing; counting goes on from them";

    // Indexes beyond any integer neither wrap around into the table nor crash.
    contacts = ReadText(Workbook(Row(NAMES + Cell("big", " ss:Index=\"99999999999999999999999\"") + Cell("after") +
                                     Cell("wide", " ss:Index=\"2147483647\" ss:MergeAcross=\"2147483647\"") +
                                     Cell("after") + Cell("small", " ss:Index=\"-9223372036854775808\"") + Cell("x") +
                                     Cell("mail", " ss:Index=\" 7 \""))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "", "", "", "", "mail"}), Columns(*contacts[0]));
}

TEST(SpreadsheetReaderColumns, CellsTakeColumnsWithoutData)
{
    // Formatted templates write empty styled cells; they occupy their column.
    auto contacts = ReadText(Workbook(Row(NAMES + "<Cell ss:StyleID=\"s21\"/>" + Cell("b-mobile") +
                                          "<Cell ss:StyleID=\"s21\"></Cell><Cell/>" + Cell("mail"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "", "b-mobile", "", "", "mail"}), Columns(*contacts[0]))
        << "an e-mail behind empty styled cells must not land in a phone field";

    // A merged cell covers MergeAcross + 1 columns; the next cell has no index.
    contacts = ReadText(Workbook(Row(NAMES + Cell("b-phone", " ss:MergeAcross=\"1\"") + Cell("h-phone") +
                                     "<Cell ss:MergeAcross=\"0\"/>" + Cell("mail"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "b-phone", "", "h-phone", "", "mail"}), Columns(*contacts[0]));

    // An empty merged cell, and a merge with an index.
    contacts = ReadText(Workbook(Row(NAMES + "<Cell ss:MergeAcross=\"2\"/>" + Cell("h-mobile") +
                                     Cell("b-phone", " ss:Index=\"3\" ss:MergeAcross=\"3\"") + Cell("mail"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "b-phone", "", "", "h-mobile", "mail"}), Columns(*contacts[0]));
}

TEST(SpreadsheetReaderColumns, SeveralDataInOneCellTakeConsecutiveColumns)
{
    auto contacts =
        ReadText(Workbook(Row("<Cell><Data>Doe</Data><Data>Jane</Data></Cell>" + Cell("b-phone") +
                              "<Cell ss:Index=\"5\"><Data>h-phone</Data><Data>h-mobile</Data></Cell>" + Cell("mail"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "b-phone", "", "h-phone", "h-mobile", "mail"}),
              Columns(*contacts[0]));
}

TEST(SpreadsheetReaderText, RichTextCommentsAndOtherCellContent)
{
    // Rich text: every descendant's text in document order, spaces between
    // runs kept; CDATA counts as text.
    auto contacts =
        ReadText(Workbook(Row("<Cell><ss:Data ss:Type=\"String\" xmlns=\"http://www.w3.org/TR/REC-html40\"><B><Font "
                              "html:Color=\"#FF0000\">Van</Font></B> der <I>Berg</I></ss:Data></Cell>"
                              "<Cell><Data><![CDATA[Jo & <Ann>]]></Data></Cell>")));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ("Van der Berg", contacts[0]->last_name);
    EXPECT_EQ("Jo & <Ann>", contacts[0]->first_name);

    // A comment holds its own Data, which is not the cell's text; elements
    // before and after the Data do not move the column.
    contacts = ReadText(Workbook(
        Row("<Cell><Comment ss:Author=\"A\"><ss:Data><B>note</B></ss:Data></Comment><Data>Doe</Data>"
            "<NamedCell ss:Name=\"Print_Area\"/></Cell>"
            "<Cell><Data>Jane</Data><ss:PhoneticText>ジェーン</ss:PhoneticText><Comment><Data>x</Data></Comment></Cell>"
            "<Cell><Comment><ss:Data>only a note</ss:Data></Comment></Cell>" +
            Cell("b-mobile"))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ((std::vector<wxString>{"Doe", "Jane", "", "b-mobile", "", "", ""}), Columns(*contacts[0]));

    // Values are stored without the white space around them (no-break,
    // ideographic and other Unicode spaces included), and white space alone
    // is no name.
    size_t skipped = 0;
    contacts = ReadText(Workbook(Row(Cell("  ") + Cell("Jane")) + Row(Cell("\xC2\xA0\xE3\x80\x80") + Cell("Ann")) +
                                 Row(Cell(" Doe\xE2\x80\xAF") + Cell("\tJane Ann \r\n") +
                                     Cell("\xEF\xBB\xBF"
                                          "1 2"))),
                        &skipped);
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ("Doe", contacts[0]->last_name);
    EXPECT_EQ("Jane Ann", contacts[0]->first_name) << "spaces inside stay";
    EXPECT_EQ("1 2", contacts[0]->business_phone);
    EXPECT_EQ(2u, skipped);
}

TEST(SpreadsheetReaderRows, OnlyNamedRowsThatAreNotTheHeaderAreImported)
{
    auto contacts =
        ReadText(Workbook("<Column ss:Width=\"80\"/>" + Row(Cell("Last_Name") + Cell("first_name")) +
                          Row(Cell("LAST_NAME") + Cell("x")) + Row(Cell("Doe")) + Row(Cell("Jane", " ss:Index=\"2\"")) +
                          Row("") + "<Row/>" + Row(Cell("last_names") + Cell("Kept")) + Row(NAMES) + "<Other>" +
                          Row(Cell("Nested") + Cell("Row")) + "</Other>"));
    ASSERT_EQ(2u, contacts.size()) << "header rows, rows missing a name and non-Row children are skipped";
    EXPECT_EQ("last_names", contacts[0]->last_name);
    EXPECT_EQ("Doe", contacts[1]->last_name);

    // An imported contact has no birthday, and its alphabet names are its
    // names, so that the first-letter filter finds it.
    EXPECT_FALSE(contacts[1]->birthday.IsValid());
    EXPECT_EQ(SEX_NOT_STATED, contacts[1]->sex) << "the sheet says nothing about it";
    EXPECT_EQ("Doe", contacts[1]->last_name_alpha);
    EXPECT_EQ("Jane", contacts[1]->first_name_alpha);
}

TEST(SpreadsheetReaderRows, HooksSeeEveryTableElementAndEveryText)
{
    SpreadsheetReader reader;
    int tableChildren = 0;
    std::vector<wxString> texts;
    reader.onTableChild = [&] { ++tableChildren; };
    reader.onCellText = [&](const wxString& text) { texts.push_back(text); };

    std::string xml = Workbook("<Column/>\n  " + Row(Cell("last_name") + Cell("first_name")) + "\n" +
                               Row(NAMES + "<Cell/>" + Cell("x", " ss:Index=\"12\"")) + "<Row/>");
    SpreadsheetReader::Contacts contacts;
    ASSERT_EQ(SpreadsheetReader::LOAD_OK, reader.ReadAll(xml.data(), xml.size(), contacts));
    EXPECT_EQ(1u, contacts.size());
    EXPECT_EQ(4, tableChildren) << "one call per element child of a Table, not per whitespace";
    EXPECT_EQ((std::vector<wxString>{"last_name", "first_name", "Doe", "Jane", "x"}), texts);
}

TEST(SpreadsheetReaderNames, ElementNamesIgnoreCaseAndPrefixButTheRootIsExact)
{
    auto contacts =
        ReadText("<Workbook><worksheet><TABLE><row><cell><data>Doe</data></cell><CELL><DATA>Jane</DATA></CELL>"
                 "</row></TABLE></worksheet></Workbook>");
    ASSERT_EQ(1u, contacts.size()) << "lower- and upper-case element names are accepted";
    EXPECT_EQ("Jane", contacts[0]->first_name);

    contacts = ReadText("<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><ss:Worksheet>"
                        "<Table><ss:Row><Cell><ss:Data>Doe</ss:Data></Cell><x:Cell xmlns:x=\"urn:x\" x:INDEX=\"2\">"
                        "<Data>Jane</Data></x:Cell></ss:Row></Table></ss:Worksheet></ss:Workbook>");
    ASSERT_EQ(1u, contacts.size()) << "names are compared after their namespace prefix";
    EXPECT_EQ("Jane", contacts[0]->first_name);

    EXPECT_EQ(SpreadsheetReader::LOAD_NOT_WORKBOOK, LoadText("<workbook><Worksheet/></workbook>"));
    EXPECT_EQ(SpreadsheetReader::LOAD_NOT_WORKBOOK, LoadText("<ss:WORKBOOK xmlns:ss=\"urn:x\"/>"));
    EXPECT_EQ(SpreadsheetReader::LOAD_NOT_WORKBOOK, LoadText("<html><body>Workbook</body></html>"));
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, LoadText("<Workbook/>"));

    // Worksheets and tables that are not direct children do not count.
    contacts = ReadText("<Workbook><Other><Worksheet><Table>" + Row(NAMES) +
                        "</Table></Worksheet></Other><Worksheet><Other><Table>" + Row(NAMES) +
                        "</Table></Other></Worksheet></Workbook>");
    EXPECT_TRUE(contacts.empty());
}

TEST(SpreadsheetReaderNames, WorkbooksWithoutRowsLoadAndYieldNothing)
{
    EXPECT_TRUE(ReadText("<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"/>").empty());
    EXPECT_TRUE(ReadText("<Workbook><Worksheet ss:Name=\"a\" xmlns:ss=\"urn:s\"/></Workbook>").empty());
    EXPECT_TRUE(ReadText(Workbook(Row(Cell("last_name") + Cell("first_name")))).empty());
}

TEST(SpreadsheetReaderLoad, FilesThatAreNotWorkbooksAreRefused)
{
    TempWorkDir dir(false);
    SpreadsheetReader reader;
    SpreadsheetReader::Contacts contacts;

    EXPECT_EQ(SpreadsheetReader::LOAD_UNREADABLE, reader.Open(dir.Path() + "/missing.xls"));
    EXPECT_EQ(SpreadsheetReader::LOAD_UNREADABLE, reader.Open(dir.Path())) << "a folder";
    EXPECT_EQ(SpreadsheetReader::LOAD_UNREADABLE, reader.Open(wxString("/dev/zero")));

    wxString empty = dir.Path() + "/empty.xls";
    wxFFile(empty, "wb").Close();
    EXPECT_EQ(SpreadsheetReader::LOAD_EMPTY, reader.Open(empty));
    EXPECT_EQ(nullptr, reader.Next());

    // Far too large: refused before anything is parsed.
    wxString huge = dir.Path() + "/huge.xls";
    {
        wxFFile file(huge, "wb");
        std::string head = Workbook(Row(NAMES));
        file.Write(head.data(), head.size());
        file.Seek(SpreadsheetReader::MAX_FILE_SIZE);
        file.Write(" ", 1);
    }
    EXPECT_EQ(SpreadsheetReader::LOAD_TOO_LARGE, reader.Open(huge));
    EXPECT_EQ(SpreadsheetReader::LOAD_TOO_LARGE, reader.Open("", SpreadsheetReader::MAX_FILE_SIZE + 1));

    std::string good = Workbook(Row(NAMES));
    const std::vector<std::string> malformed = {
        " \n",
        "not xml at all",
        good.substr(0, good.size() / 2),
        Workbook(Row(NAMES + "<Cell><Data>unclosed</Cell>")),
        Workbook(Row(NAMES)) + "<Workbook/>",
        "<Workbook a=\"<\"/>",
        "<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><Workbook/>",
        "<?xml version=\"1.0\" encoding=\"\xC3\xA9\"?><Workbook/>",
        "<?xml version=\"1.0\" encoding=\"IBM037\"?><Workbook/>",
        std::string("<Workbook>\0</Workbook>", 22),
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><Workbook>\x81</Workbook>", // not Shift_JIS
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><Workbook/>",
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><!DOCTYPE Workbook><Workbook/>",
        "<!DOCTYPE Workbook [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
        "<Workbook><Worksheet><Table><Row><Cell><Data>&b;</Data></Cell></Row></Table></Worksheet></Workbook>",
    };
    for (const std::string& text : malformed)
    {
        EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, reader.ReadAll(text.data(), text.size(), contacts)) << text;
        EXPECT_TRUE(contacts.empty()) << "nothing is read from a refused file: " << text;
        EXPECT_TRUE(reader.Failed()) << "so that a batch fed from it is undone: " << text;
    }

    // A good file followed by a failed one leaves nothing of the first.
    ASSERT_EQ(SpreadsheetReader::LOAD_OK, reader.Open(good.data(), good.size()));
    EXPECT_NE(nullptr, reader.Next());
    EXPECT_EQ(SpreadsheetReader::LOAD_EMPTY, reader.Open("", 0));
    EXPECT_EQ(nullptr, reader.Next());
}

TEST(SpreadsheetReaderLoad, DeepNestingIsRefusedWithoutCrashing)
{
    // A few megabytes of nested elements would overflow the stack when the
    // tree is freed, whether or not the document is complete.
    std::string unclosed = "<Workbook>";
    for (int i = 0; i < 400000; ++i)
        unclosed += "<a>";
    std::string closed = unclosed;
    for (int i = 0; i < 400000; ++i)
        closed += "</a>";
    closed += "</Workbook>";
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(unclosed));
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(closed));

    // The limit holds in UTF-16 too (with or without a byte-order mark), on
    // documents that would otherwise load.
    auto nested = [](int depth, bool bigEndian)
    {
        std::u16string wide = u"<Workbook>";
        for (int i = 0; i < depth; ++i)
            wide += u"<a>";
        for (int i = 0; i < depth; ++i)
            wide += u"</a>";
        wide += u"</Workbook>";
        std::string bytes = bigEndian ? "" : "\xFF\xFE";
        for (char16_t c : wide)
        {
            char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        return bytes;
    };
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(nested(SpreadsheetReader::MAX_DEPTH, false)))
        << "UTF-16LE with a byte-order mark";
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(nested(SpreadsheetReader::MAX_DEPTH, true)))
        << "UTF-16BE without one";
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, LoadText(nested(10, false)));
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, LoadText(nested(10, true)));

    // Markup-looking text inside comments, CDATA, processing instructions
    // and attribute values is no nesting.
    std::string fine = "<Workbook><!-- <a><a><a> --><![CDATA[<a><a>]]><x a='/>' b=\"a>b\"/><?pi <a>?>";
    for (int i = 0; i < SpreadsheetReader::MAX_DEPTH - 10; ++i)
        fine += "<a>";
    for (int i = 0; i < SpreadsheetReader::MAX_DEPTH - 10; ++i)
        fine += "</a>";
    fine += Row(NAMES) + "</Workbook>";
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, LoadText(fine)) << "nesting within the limit loads";
}

TEST(SpreadsheetReaderLoad, ADocumentTypeIsRefusedInEveryEncoding)
{
    // The parser tells UTF-16 by a zero in the first two bytes, mark or no
    // mark; a document that starts with white space once slipped past.
    const std::u16string doc = u" \n<!DOCTYPE Workbook [<!ATTLIST Row a CDATA 'x'>]><Workbook><Worksheet><Table>"
                               u"<Row><Cell><Data>Doe</Data></Cell><Cell><Data>Jane</Data></Cell></Row></Table>"
                               u"</Worksheet></Workbook>";
    for (bool bigEndian : {false, true})
    {
        for (const std::u16string& text : {doc, doc.substr(2)})
        {
            std::string bytes;
            for (char16_t c : text)
            {
                const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
                bytes += bigEndian ? high : low;
                bytes += bigEndian ? low : high;
            }
            EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(bytes))
                << (bigEndian ? "big" : "little") << "-endian, " << (text.size() == doc.size() ? "after" : "without")
                << " white space";
        }
    }
}

TEST(SpreadsheetReaderLoad, VeryLongRowsAndTexts)
{
    std::string cells = NAMES;
    for (int i = 0; i < 20000; ++i)
        cells += Cell("c" + std::to_string(i));
    cells += Cell("mail", " ss:Index=\"7\"");
    // Twice what a cell of the widespread spreadsheet program can hold.
    std::string longName(2 * 32767, 'x');
    auto contacts = ReadText(Workbook(Row(cells) + Row(Cell(longName) + Cell("Long"))));
    ASSERT_EQ(2u, contacts.size());
    EXPECT_EQ("c0", contacts[0]->business_phone);
    EXPECT_EQ("mail", contacts[0]->email);
    EXPECT_EQ(longName.size(), contacts[1]->last_name.size());

    // The limit counts characters: a cell of 25,000 Chinese characters
    // (75,000 bytes) and one with a thousand lines are legal.
    std::string chinese, lines;
    for (int i = 0; i < 25000; ++i)
        chinese += "\xE4\xB8\xAD";
    for (int i = 0; i < 1000; ++i)
        lines += "line\n";
    contacts = ReadText(Workbook(Row(NAMES + Cell(chinese) + Cell(lines))));
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ(25000u, contacts[0]->business_phone.length());
}

TEST(SpreadsheetReaderLoad, MarkupThatWouldStallTheParserIsRefused)
{
    // The parser takes quadratic time over one long text or many attributes
    // of one element: 64 MB of either would take hours.
    std::string text(SpreadsheetReader::MAX_TEXT_LENGTH + 1, 'x');
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(Workbook(Row(Cell(text)))));
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED,
              LoadText(Workbook(Row("<Cell><Data><![CDATA[" + text + "]]></Data></Cell>"))));
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED,
              LoadText(Workbook(Row("<Cell><Data>" + text.substr(0, 40000) + "<!-- split? -->" + text.substr(0, 40000) +
                                    "</Data></Cell>"))))
        << "a comment does not end the text run";
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, LoadText(Workbook(Row("<Cell><Data>" + text.substr(0, 40000) + "<B>rich</B>" +
                                                                text.substr(0, 40000) + "</Data></Cell>"))))
        << "separate text nodes are each within the limit";
    // Every line break and reference hands the text over in a piece of its
    // own, and each piece copies the text so far: 64,000 line breaks took
    // seconds.
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED,
              LoadText(Workbook(Row(Cell(std::string(SpreadsheetReader::MAX_TEXT_PIECES + 1, '\n'))))));
    std::string references;
    for (size_t i = 0; i <= SpreadsheetReader::MAX_TEXT_PIECES; ++i)
        references += "&amp;";
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(Workbook(Row(Cell(references)))));

    std::string attributes;
    for (int i = 0; i <= SpreadsheetReader::MAX_ATTRIBUTES; ++i)
        attributes += " a" + std::to_string(i) + "='='";
    EXPECT_EQ(SpreadsheetReader::LOAD_MALFORMED, LoadText(Workbook(Row("<Cell" + attributes + "/>"))));
    attributes = " ss:Index='3' ss:StyleID='s21' ss:MergeAcross='1' ss:HRef='mailto:a@b' ss:Formula='=A1'";
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, LoadText(Workbook(Row("<Cell" + attributes + "/>"))));
}
