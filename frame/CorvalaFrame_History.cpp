// The "Contact history" page: the dated entries of the current contact.
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statline.h>

#include "app/Corva.h"
#include "frame/CorvalaFrame.h"

wxPanel* CorvalaFrame::BuildHistoryPage(wxWindow* parent)
{
    wxPanel* panel = new wxPanel(parent, ids.ID_PANEL7, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL7");
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto button = [panel, buttons](wxWindowID id, const wxString& label, const char* name) {
        wxButton* b = new wxButton(panel, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
        buttons->Add(b, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
        return b;
    };
    newHisButton = button(ids.ID_BUTTON_NEW_HIS, _("&New.."), "ID_BUTTON_NEW_HIS");
    editHisButton = button(ids.ID_BUTTON_EDIT_HIS, _("&Edit..."), "ID_BUTTON_EDIT_HIS");
    delHisButton = button(ids.ID_BUTTON_DEL_HIS, _("&Delete"), "ID_BUTTON_DEL_HIS");
    buttons->Add(new wxStaticLine(panel, ids.ID_STATICLINE3, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL,
                                  "ID_STATICLINE3"),
                 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    hisCopyButton = button(ids.ID_BUTTON_HIS_COPY, _("&Copy.."), "ID_BUTTON_HIS_COPY");
    sizer->Add(buttons, 0, wxEXPAND);

    historyList = new wxListCtrl(panel, ids.ID_LISTCTRL_CONTACT_HISTORY, wxDefaultPosition, wxDefaultSize,
                                 wxLC_REPORT | wxLC_VRULES, wxDefaultValidator, "ID_LISTCTRL_CONTACT_HISTORY");
    sizer->Add(historyList, 1, wxALL | wxEXPAND, 5);
    panel->SetSizer(sizer);
    return panel;
}

void CorvalaFrame::InsertHistoryColumns()
{
    historyList->InsertColumn(0, _("Contact date"), wxLIST_FORMAT_LEFT, 100);
    historyList->InsertColumn(1, _("Comment"), wxLIST_FORMAT_LEFT, 220);
}

void CorvalaFrame::ConnectHistoryEvents()
{
    historyList->Bind(wxEVT_LIST_ITEM_SELECTED, &CorvalaFrame::OnHistoryItemSelected, this);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonNewHisClick, this, ids.ID_BUTTON_NEW_HIS);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonEditHisClick, this, ids.ID_BUTTON_EDIT_HIS);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonDelHisClick, this, ids.ID_BUTTON_DEL_HIS);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonHisCopyClick, this, ids.ID_BUTTON_HIS_COPY);
}

// The history list and its commands are filled in with the history dialog.
void CorvalaFrame::RefreshHistoryList()
{
}

void CorvalaFrame::UpdateHistoryButtons()
{
}

void CorvalaFrame::OnHistoryItemSelected(wxListEvent&)
{
}

void CorvalaFrame::OnButtonNewHisClick(wxCommandEvent&)
{
}

void CorvalaFrame::OnButtonEditHisClick(wxCommandEvent&)
{
}

void CorvalaFrame::OnButtonDelHisClick(wxCommandEvent&)
{
}

void CorvalaFrame::OnButtonHisCopyClick(wxCommandEvent&)
{
}
