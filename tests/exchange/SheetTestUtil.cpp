#include "tests/exchange/SheetTestUtil.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

wxString SheetDataPath(const wxString& name)
{
    return wxString(CORVALA_SOURCE_DIR) + "/tests/exchange/data/" + name;
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
    SpreadsheetReader reader;
    SpreadsheetReader::Contacts contacts;
    return reader.ReadAll(xml.data(), xml.size(), contacts);
}

SpreadsheetReader::Contacts ReadText(const std::string& xml, size_t* skippedRows)
{
    SpreadsheetReader reader;
    SpreadsheetReader::Contacts contacts;
    SpreadsheetReader::LoadResult result = reader.ReadAll(xml.data(), xml.size(), contacts, skippedRows);
    EXPECT_EQ(SpreadsheetReader::LOAD_OK, result) << "the workbook should load:\n" << xml;
    return contacts;
}
