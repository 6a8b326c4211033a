#include "frame/RowListCtrl.h"

#include <cstring>
#include <string>

namespace
{
// The background of alternate rows in every list of the window.
const wxColour ALTERNATE_ROW(231, 223, 221);
} // namespace

namespace
{
const size_t BLOCK_SIZE = 1 << 16;
const int OFFSET_BITS = 16;
} // namespace

RowListCtrl::Rows::Rows(int columns) : columns(columns) {}

void RowListCtrl::Rows::Add(const std::vector<wxString>& texts, int image, bool shade, long value)
{
    std::string row;
    for (int column = 0; column < columns; ++column)
    {
        if (column < static_cast<int>(texts.size()))
        {
            const wxScopedCharBuffer utf8 = texts[column].utf8_str();
            row.append(utf8.data(), strnlen(utf8.data(), utf8.length()));
        }
        row += '\0';
    }
    // A row longer than a block is cut at the block's end (65,536 bytes
    // of list texts in one row would not show anyway).
    if (row.size() > BLOCK_SIZE)
    {
        row.resize(BLOCK_SIZE);
        row.back() = '\0';
    }
    if (blocks.empty() || used + row.size() > BLOCK_SIZE)
    {
        blocks.emplace_back(new char[BLOCK_SIZE]);
        used = 0;
    }
    std::memcpy(blocks.back().get() + used, row.data(), row.size());
    starts.push_back(static_cast<uint32_t>(((blocks.size() - 1) << OFFSET_BITS) | used));
    used += row.size();
    images.push_back(static_cast<int8_t>(image));
    shaded.push_back(shade);
    if (value != 0 && data.empty())
        data.resize(starts.size() - 1, 0);
    if (!data.empty())
        data.push_back(value);
}

wxString RowListCtrl::Rows::Text(size_t row, int column) const
{
    if (row >= Count() || column < 0 || column >= columns)
        return wxString();
    const uint32_t start = starts[row];
    const char* block = blocks[start >> OFFSET_BITS].get();
    const char* text = block + (start & ((1u << OFFSET_BITS) - 1));
    const char* end = block + BLOCK_SIZE;
    for (int skip = 0; skip < column && text < end; ++skip)
        text += strnlen(text, end - text) + 1;
    if (text >= end)
        return wxString();
    return wxString::FromUTF8(text, strnlen(text, end - text));
}

RowListCtrl::RowListCtrl(wxWindow* parent, wxWindowID id, long style, const wxString& name)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize, style | wxLC_VIRTUAL, wxDefaultValidator, name), rows(0)
{
    shade.SetBackgroundColour(ALTERNATE_ROW);
}

void RowListCtrl::ShowRows(Rows shown, bool newestFirst)
{
    rows = std::move(shown);
    lastFirst = newestFirst;
    SetItemCount(static_cast<long>(rows.Count()));
    Refresh();
}

void RowListCtrl::ClearRows()
{
    ShowRows(Rows(rows.Columns()), false);
}

size_t RowListCtrl::RowAt(long item) const
{
    const size_t count = rows.Count();
    if (item < 0 || static_cast<size_t>(item) >= count)
        return count;
    return lastFirst ? count - 1 - static_cast<size_t>(item) : static_cast<size_t>(item);
}

long RowListCtrl::GetRowData(long item) const
{
    const size_t row = RowAt(item);
    return row < rows.Count() ? rows.Data(row) : 0;
}

wxString RowListCtrl::OnGetItemText(long item, long column) const
{
    return rows.Text(RowAt(item), static_cast<int>(column));
}

int RowListCtrl::OnGetItemImage(long item) const
{
    const size_t row = RowAt(item);
    return row < rows.Count() ? rows.Image(row) : -1;
}

wxItemAttr* RowListCtrl::OnGetItemAttr(long item) const
{
    const size_t row = RowAt(item);
    return row < rows.Count() && rows.Shaded(row) ? &shade : nullptr;
}
