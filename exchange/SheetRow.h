// One row of a spreadsheet's Table as a contact record: which column holds
// which field, where a cell without an index goes, and the text of a cell as
// it is kept.
#pragma once

#include <string>

#include <wx/string.h>

#include "storage/ContactInfoEx.h"

class SheetRow
{
public:
    // Columns far outside the seven we read all behave alike; clamping keeps
    // the running column clear of overflow.
    static constexpr long long COLUMN_LIMIT = 1000000000LL;

    // A new, empty record.
    void Start();
    // A Cell's ss:Index and ss:MergeAcross attribute values, null when absent.
    void StartCell(const char* index, const char* mergeAcross);
    void EndCell();
    // The text of one Data element of the current cell, as CellText made it.
    void AddData(const wxString& text);
    // The record as it is handed over: no birthday, and alphabet names
    // equal to the names, which sort and filter the list.
    void Complete();

    // A Data element's UTF-8 text without the white space around it, rich
    // text (<Data><B>Bold</B> plain</Data>) whole.
    static wxString CellText(const std::string& utf8);

    ContactInfoEx& Contact()
    {
        return contact;
    }
    // Whether any cell of the row held text.
    bool HasText() const
    {
        return hasText;
    }

private:
    // Every row starts as a new record; making one asks the clock three
    // times, which costs more than reading the row.
    const ContactInfoEx blank;
    ContactInfoEx contact;
    bool hasText = false;
    long long lastColumn = 0;
    long long cellEnd = 0;
    long long dataColumn = 0;
};
