#include "tests/import/SheetTestUtil.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include "import/wxXmlDocumentEx.h"

wxString SheetDataPath(const wxString& name)
{
    return wxString(CORVALA_SOURCE_DIR) + "/tests/import/data/" + name;
}

std::string Workbook(const std::string& tableContent)
{
    return "<?xml version=\"1.0\"?>\n"
           "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
           " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
           " xmlns:html=\"http://www.w3.org/TR/REC-html40\">\n"
           "<Worksheet ss:Name=\"Sheet1\"><Table>" +
           tableContent + "</Table></Worksheet></Workbook>\n";
}

SpreadsheetReader::LoadResult LoadText(const std::string& xml)
{
    wxXmlDocumentEx document;
    SpreadsheetReader reader(document);
    return reader.Load(xml.data(), xml.size());
}

SpreadsheetReader::Contacts ReadText(const std::string& xml, size_t* skippedRows)
{
    wxXmlDocumentEx document;
    SpreadsheetReader reader(document);
    SpreadsheetReader::LoadResult result = reader.Load(xml.data(), xml.size());
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, result) << "the workbook should load:\n" << xml;
    return reader.ReadContacts(skippedRows);
}
