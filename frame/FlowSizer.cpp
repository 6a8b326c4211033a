#include "frame/FlowSizer.h"

#include <algorithm>
#include <climits>

#include <wx/button.h>

wxButton* MakeCompactButton(wxWindow* parent, wxWindowID id, const wxString& label, const char* name)
{
    wxButton* button =
        new wxButton(parent, id, label, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT, wxDefaultValidator, name);
    button->SetMinSize(wxSize(std::max(button->GetBestSize().x + button->FromDIP(4), button->FromDIP(64)), -1));
    return button;
}

std::vector<FlowSizer::Line> FlowSizer::Break(int width) const
{
    std::vector<Line> lines;
    for (wxSizerItem* item : m_children)
    {
        if (!item->IsShown())
            continue;
        const wxSize least = item->GetMinSizeWithBorder();
        if (lines.empty() || (!lines.back().items.empty() && lines.back().width + least.x > width))
            lines.emplace_back();
        Line& line = lines.back();
        line.items.push_back(item);
        line.width += least.x;
        line.height = std::max(line.height, least.y);
    }
    return lines;
}

wxSize FlowSizer::CalcMin()
{
    // As narrow as the widest item, as tall as the lines at the width known.
    int widest = 0;
    for (wxSizerItem* item : m_children)
    {
        if (!item->IsShown())
            continue;
        item->CalcMin();
        widest = std::max(widest, item->GetMinSizeWithBorder().x);
    }
    int height = 0;
    for (const Line& line : Break(availableWidth > 0 ? availableWidth : INT_MAX))
        height += line.height;
    return wxSize(widest, height);
}

bool FlowSizer::InformFirstDirection(int direction, int size, int)
{
    if (direction != wxHORIZONTAL || size <= 0 || size == availableWidth)
        return false;
    const int before = CalcMin().y;
    availableWidth = size;
    return CalcMin().y != before;
}

void FlowSizer::RepositionChildren(const wxSize&)
{
    int y = m_position.y;
    for (const Line& line : Break(m_size.x))
    {
        int proportions = 0;
        for (wxSizerItem* item : line.items)
            proportions += item->GetProportion();
        const int spare = std::max(0, m_size.x - line.width);
        int x = m_position.x;
        int before = 0; // proportions of the items left of this one
        for (wxSizerItem* item : line.items)
        {
            const wxSize least = item->GetMinSizeWithBorder();
            int width = least.x;
            if (proportions > 0)
            {
                const int after = before + item->GetProportion();
                width += spare * after / proportions - spare * before / proportions;
                before = after;
            }
            int height = line.height;
            int top = y;
            if (!(item->GetFlag() & wxEXPAND))
            {
                height = least.y;
                if (item->GetFlag() & wxALIGN_CENTER_VERTICAL)
                    top += (line.height - height) / 2;
                else if (item->GetFlag() & wxALIGN_BOTTOM)
                    top += line.height - height;
            }
            item->SetDimension(wxPoint(x, top), wxSize(width, height));
            x += width;
        }
        y += line.height;
    }
}
