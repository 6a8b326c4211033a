// A report list for lists that can grow to many thousands of rows (recent
// contacts, birthdays, tag statistics). The rows live in one compact buffer
// and the control asks only for the rows it shows, so filling it is one call
// instead of one insert per row, and a large list costs the memory of its
// texts rather than that of as many native items.
#pragma once

#include <wx/listctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RowListCtrl : public wxListCtrl
{
public:
    // The rows in the order they were added, each with its texts, icon,
    // shading and a number of the caller's (a tag id, for instance). The
    // texts of a row lie together in fixed blocks, so that a growing list
    // never copies what it holds.
    class Rows
    {
    public:
        explicit Rows(int columns);

        void Add(const std::vector<wxString>& texts, int image = -1, bool shaded = false, long data = 0);

        size_t Count() const
        {
            return starts.size();
        }
        int Columns() const
        {
            return columns;
        }
        wxString Text(size_t row, int column) const;
        int Image(size_t row) const
        {
            return images[row];
        }
        bool Shaded(size_t row) const
        {
            return shaded[row];
        }
        long Data(size_t row) const
        {
            return row < data.size() ? data[row] : 0;
        }

    private:
        int columns;
        // Each row's texts in UTF-8, one after another, each ended by a zero
        // byte (database texts hold none); a row never spans two blocks.
        std::vector<std::unique_ptr<char[]>> blocks;
        size_t used = 0;              // in the last block
        std::vector<uint32_t> starts; // block number and offset of each row
        std::vector<int8_t> images;
        std::vector<bool> shaded;
        std::vector<long> data; // empty while no row has a number
    };

    // style: wxLC_REPORT and the like; wxLC_VIRTUAL is added.
    RowListCtrl(wxWindow* parent, wxWindowID id, long style, const wxString& name);

    // Shows the rows, the last added on top when lastFirst is set (the
    // order of lists that insert each new row at the top).
    void ShowRows(Rows rows, bool lastFirst);
    // Empties the list.
    void ClearRows();

    // The caller's number of the row shown at a position.
    long GetRowData(long item) const;

protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

private:
    size_t RowAt(long item) const;

    Rows rows;
    bool lastFirst = false;
    mutable wxItemAttr shade;
};
