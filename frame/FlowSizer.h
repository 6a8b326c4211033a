// A horizontal sizer that moves its items onto further lines when the width
// cannot hold them all, instead of squeezing them below their least sizes.
// Each line gives its spare width to its items by their proportions (which
// the toolkit's wrap sizer does not do); put controls that belong together
// in one box sizer to keep them on one line.
#pragma once

#include <vector>

#include <wx/sizer.h>

class wxButton;
class wxWindow;

// A push button that hugs its label with a little room to spare (but is
// never narrower than 64 pixels), so that a row of them fits a narrow pane;
// GTK's own padding would double its width.
wxButton* MakeCompactButton(wxWindow* parent, wxWindowID id, const wxString& label, const char* name);

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
