#include "exchange/SheetRow.h"

#include <algorithm>
#include <cstring>

namespace
{
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
        value = std::min(SheetRow::COLUMN_LIMIT, value * 10 + (c - '0'));
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

void SheetRow::Start()
{
    // The sheet has no sex column: a row says nothing about it.
    contact = blank;
    contact.sex = SEX_NOT_STATED;
    hasText = false;
    lastColumn = 0;
}

void SheetRow::StartCell(const char* index, const char* mergeAcross)
{
    // A cell without an index follows the last column taken so far.
    long long column = lastColumn + 1;
    if (index && std::strcmp(index, "-") != 0)
        column = ToNumber(wxString::FromUTF8(index));
    cellEnd = column;
    if (mergeAcross)
        cellEnd = column + std::max(0LL, ToNumber(wxString::FromUTF8(mergeAcross)));
    dataColumn = column;
}

void SheetRow::EndCell()
{
    lastColumn = std::min(cellEnd, 2 * COLUMN_LIMIT);
}

void SheetRow::AddData(const wxString& text)
{
    hasText = hasText || !text.empty();
    StoreColumn(contact, dataColumn, text);
    cellEnd = std::max(cellEnd, dataColumn);
    // Past the limit every column is ignored anyway.
    dataColumn = std::min(dataColumn + 1, 2 * COLUMN_LIMIT);
}

void SheetRow::Complete()
{
    contact.birthday = wxInvalidDateTime;
    contact.last_name_alpha = contact.last_name;
    contact.first_name_alpha = contact.first_name;
}

wxString SheetRow::CellText(const std::string& utf8)
{
    return TrimSpace(wxString::FromUTF8(utf8.data(), utf8.size()));
}
