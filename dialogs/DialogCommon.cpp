#include "dialogs/DialogCommon.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Platform.h"

wxBitmap LoadDialogBitmap(const wxString& fileName)
{
    return Platform::LoadPicture(fileName);
}

wxButton* MakeButton(wxWindow* parent, int id, const wxString& label, const wxString& name)
{
    return new wxButton(parent, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
}

wxButton* AddCloseFoot(wxWindow* parent, wxSizer* top)
{
    top->Add(new wxStaticLine(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "ID_STATICLINE1"), 0,
             wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 2 * DLG_BORDER);
    wxButton* close = MakeButton(parent, wxID_CANCEL, _("&Close"), "wxID_CANCEL");
    top->Add(close, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM | wxTOP, 2 * DLG_BORDER);
    return close;
}

void FitDialog(wxWindow* dialog, wxSizer* top)
{
    dialog->SetSizer(top);
    top->Fit(dialog);
    top->SetSizeHints(dialog);
    dialog->CentreOnParent(wxBOTH);
}

void KeepOpenWhile(wxWindow* dialog, const bool& busy)
{
    dialog->Bind(wxEVT_CLOSE_WINDOW,
                 [&busy](wxCloseEvent& event)
                 {
                     if (busy && event.CanVeto())
                         event.Veto();
                     else
                         event.Skip();
                 });
}

wxStdDialogButtonSizer* MakeOkCancelButtons(wxWindow* parent)
{
    wxStdDialogButtonSizer* buttons = new wxStdDialogButtonSizer();
    wxButton* ok = MakeButton(parent, wxID_OK, _("&OK"), "wxID_OK");
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->AddButton(MakeButton(parent, wxID_CANCEL, _("&Cancel"), "wxID_CANCEL"));
    buttons->Realize();
    return buttons;
}

class TextLengthLimit::Impl
{
public:
    Impl(wxTextCtrl* text, int maxLength) : text(text), maxLength(maxLength), accepted(text->GetValue()) {}

    void OnText(wxCommandEvent& event, const std::shared_ptr<Impl>& self)
    {
        event.Skip();
        if (fixPending)
            return;
        const wxString now = text->GetValue();
        if (now.length() <= static_cast<size_t>(maxLength) || now.length() <= accepted.length())
        {
            accepted = now;
            return;
        }
        // GTK is still inside the insertion: change the text only afterwards.
        fixPending = true;
        text->CallAfter([self]() { self->Fix(); });
    }

    void Fix()
    {
        fixPending = false;
        const wxString now = text->GetValue();
        if (now.length() <= static_cast<size_t>(maxLength) || now.length() <= accepted.length())
        {
            accepted = now;
            return;
        }
        // now = accepted[0, prefix) + inserted + accepted[end - suffix, end)
        size_t prefix = 0;
        const size_t shorter = std::min(now.length(), accepted.length());
        while (prefix < shorter && now[prefix] == accepted[prefix])
            ++prefix;
        size_t suffix = 0;
        while (suffix < shorter - prefix && now[now.length() - 1 - suffix] == accepted[accepted.length() - 1 - suffix])
            ++suffix;
        const size_t kept = prefix + suffix;
        const size_t room = kept < static_cast<size_t>(maxLength) ? maxLength - kept : 0;
        const wxString inserted = now.Mid(prefix, now.length() - kept).Left(room);
        accepted = now.Left(prefix) + inserted + now.Right(suffix);
        text->ChangeValue(accepted);
        text->SetInsertionPoint(prefix + inserted.length());
    }

    wxTextCtrl* text;
    int maxLength;
    wxString accepted;
    bool fixPending = false;
};

TextLengthLimit::TextLengthLimit(wxTextCtrl* text, int maxLength) : impl(std::make_shared<Impl>(text, maxLength))
{
    std::shared_ptr<Impl> shared = impl;
    text->Bind(wxEVT_TEXT, [shared](wxCommandEvent& event) { shared->OnText(event, shared); });
}

void TextLengthLimit::ChangeValue(const wxString& value)
{
    impl->text->ChangeValue(value);
    impl->accepted = value;
}

wxBoxSizer* MakeDialogHeader(wxWindow* parent, const wxString& pictureFile, const wxString& text)
{
    wxBoxSizer* header = new wxBoxSizer(wxHORIZONTAL);
    header->Add(new wxStaticBitmap(parent, wxID_ANY, LoadDialogBitmap(pictureFile), wxDefaultPosition, wxDefaultSize, 0,
                                   "ID_STATICBITMAP1"),
                0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    header->Add(new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1"), 1,
                wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    return header;
}

namespace
{
// Chinese and Japanese characters: a line may end after any of them.
bool IsIdeographic(wxUniChar c)
{
    const wxUint32 u = c.GetValue();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF) ||
           (u >= 0x20000 && u <= 0x3FFFF);
}

// Marks (and small kana) that stay with the character before them, and
// marks that stay with the one after them.
bool ClosesLine(wxUniChar c)
{
    static const wxString marks =
        wxString::FromUTF8("、。，．：；！？）」』】〕〉》ー・…ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ,.:;!?)]}");
    return marks.Find(c) != wxNOT_FOUND;
}

bool OpensLine(wxUniChar c)
{
    static const wxString marks = wxString::FromUTF8("（「『【〔〈《([{");
    return marks.Find(c) != wxNOT_FOUND;
}

// The paragraph in pieces that a line may end after: a word with the blanks
// after it, or one Chinese or Japanese character, each with its marks.
std::vector<wxString> BreakPieces(const wxString& paragraph)
{
    std::vector<wxString> pieces;
    wxString piece;
    bool cut = false; // the piece ends before the next character that may start a line
    for (wxUniChar c : paragraph)
    {
        const bool blank = c == ' ';
        if (cut && !blank && !ClosesLine(c))
        {
            pieces.push_back(piece);
            piece.clear();
            cut = false;
        }
        if (!blank && IsIdeographic(c) && !piece.empty() && !cut && !ClosesLine(c) && !OpensLine(piece.Last()))
        {
            pieces.push_back(piece);
            piece.clear();
        }
        piece += c;
        if (blank || (IsIdeographic(c) && !OpensLine(c)))
            cut = true;
    }
    if (!piece.empty())
        pieces.push_back(piece);
    return pieces;
}
} // namespace

wxString WrapText(const wxWindow* window, const wxString& text, int width)
{
    wxString wrapped;
    const wxArrayString paragraphs = wxSplit(text, '\n', '\0');
    for (size_t p = 0; p < paragraphs.size(); ++p)
    {
        if (p > 0)
            wrapped += '\n';
        wxString line;
        for (const wxString& piece : BreakPieces(paragraphs[p]))
        {
            wxString longer = line + piece;
            if (!line.empty() && window->GetTextExtent(wxString(longer).Trim(true)).x > width)
            {
                wrapped += line.Trim(true) + '\n';
                longer = piece;
            }
            line = longer;
        }
        wrapped += line.Trim(true);
    }
    return wrapped;
}

bool ShowWrapped(wxStaticText* label, const wxString& text, int width)
{
    label->SetLabelText(WrapText(label, text, width));
    const int needed = label->GetBestSize().y;
    if (needed <= label->GetMinSize().y)
        return false;
    label->SetMinSize(wxSize(label->GetMinSize().x, needed));
    return true;
}
