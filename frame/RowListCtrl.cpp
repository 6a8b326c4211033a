#include "frame/RowListCtrl.h"

namespace
{
// The background of alternate rows in every list of the window.
const wxColour ALTERNATE_ROW(231, 223, 221);
} // namespace

RowListCtrl::Rows::Rows(int columns) : columns(columns) {}

void RowListCtrl::Rows::Add(const std::vector<wxString>& texts, int image, bool shade, long value)
{
    for (int column = 0; column < columns; ++column)
    {
        if (column < static_cast<int>(texts.size()))
        {
            const wxScopedCharBuffer utf8 = texts[column].utf8_str();
            text.append(utf8.data(), utf8.length());
        }
        ends.push_back(static_cast<uint32_t>(text.size()));
    }
    images.push_back(static_cast<int16_t>(image));
    shaded.push_back(shade);
    data.push_back(value);
}

wxString RowListCtrl::Rows::Text(size_t row, int column) const
{
    if (row >= Count() || column < 0 || column >= columns)
        return wxString();
    const size_t cell = row * columns + column;
    const size_t begin = cell == 0 ? 0 : ends[cell - 1];
    return wxString::FromUTF8(text.data() + begin, ends[cell] - begin);
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
