#include "dialogs/TagEditDlg.h"

#include <wx/intl.h>
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
