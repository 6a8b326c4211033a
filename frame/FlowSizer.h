// A horizontal sizer that moves its items onto further lines when the width
// cannot hold them all, instead of squeezing them below their least sizes.
// Each line gives its spare width to its items by their proportions (which
// the toolkit's wrap sizer does not do); put controls that belong together
// in one box sizer to keep them on one line.
#pragma once

#include <vector>

#include <wx/sizer.h>

class FlowSizer : public wxSizer
{
public:
    wxSize CalcMin() override;
    void RepositionChildren(const wxSize& minSize) override;
    bool InformFirstDirection(int direction, int size, int availableOtherDir) override;

private:
    struct Line
    {
        std::vector<wxSizerItem*> items;
        int width = 0;  // sum of the items' least widths, with borders
        int height = 0; // the tallest item's least height, with border
    };
    // The visible items in lines no wider than width (an item wider than
    // that gets a line of its own).
    std::vector<Line> Break(int width) const;

    int availableWidth = -1; // the width last offered by the parent
};
