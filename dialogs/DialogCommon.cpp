#include "dialogs/DialogCommon.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <memory>

#include "app/Platform.h"

wxBitmap LoadDialogBitmap(const wxString& fileName)
{
    return Platform::LoadPicture(fileName);
}

wxButton* MakeButton(wxWindow* parent, int id, const wxString& label, const wxString& name)
{
    return new wxButton(parent, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
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
