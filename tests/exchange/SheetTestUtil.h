// Small helpers for the spreadsheet reader tests: workbooks written inline
// and the sample files under tests/exchange/data.
#pragma once

#include <string>

#include <wx/string.h>

#include "exchange/SpreadsheetReader.h"

// The folder of the sample files written by spreadsheet programs.
wxString SheetDataPath(const wxString& name);

// A workbook with the usual namespaces around the given Table content.
std::string Workbook(const std::string& tableContent);

// Reads the whole text and returns the contacts it yields; fails the test
// when the text is refused. LoadText: only whether it is.
SpreadsheetReader::Contacts ReadText(const std::string& xml, size_t* skippedRows = nullptr);
SpreadsheetReader::LoadResult LoadText(const std::string& xml);
