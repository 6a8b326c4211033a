#include "dialogs/TagEditDlg.h"

#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DialogCommon.h"

TagEditDlg::TagEditDlg(wxWindow* parent, wxWindowID id)
    : wxDialog(parent, id, _("Tag name dialog"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "id")
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, _("&Tag name:"), wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1"),
             0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    textTagName = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(200, -1), 0,
                                 wxDefaultValidator, "ID_TEXTCTRL_TAG_NAME");
    row->Add(textTagName, 1, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    top->Add(row, 0, wxEXPAND | wxALL, DLG_BORDER);
    top->Add(MakeOkCancelButtons(this), 0, wxEXPAND | wxALL, DLG_BORDER);
    SetSizerAndFit(top);
    CentreOnParent();
    textTagName->SetFocus();
}

namespace
{
// Why the trimmed name cannot be a tag name, or empty when it can.
wxString NameProblem(const wxString& name, const std::function<bool(const wxString&)>& taken)
{
    if (name.empty())
        return _("Please enter a tag name.");
    // The contact dialog's tag text uses the quote to separate names.
    if (name.Contains("\""))
        return _("A tag name cannot contain a double quote (\").");
    if (taken && taken(name))
        return wxString::Format(_("The tag \"%s\" already exists."), name);
    return wxString();
}
} // namespace

bool TagEditDlg::AskName(wxWindow* parent, wxString& name, const std::function<bool(const wxString&)>& taken)
{
    for (;;)
    {
        TagEditDlg dlg(parent);
        dlg.textTagName->SetValue(name);
        if (dlg.ShowModal() != wxID_OK)
            return false;
        name = dlg.textTagName->GetValue();
        name.Trim(true).Trim(false);
        const wxString problem = NameProblem(name, taken);
        if (problem.empty())
            return true;
        wxMessageBox(problem, _("Corvala"), wxOK | wxICON_WARNING | wxCENTRE, parent);
    }
}
