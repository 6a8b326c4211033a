#include "dialogs/HisDetailDlg.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DatePicker.h"
#include "dialogs/DialogCommon.h"
#include "storage/HistoryInfo.h"

HisDetailDlg::HisDetailDlg(wxWindow* parent, int mode, wxWindowID id)
    : wxDialog(parent, id, _("History detail dialog"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "id"),
      mode(mode)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);

    top->Add(
        MakeDialogHeader(this, "History_s48_01.png", _("History detail dialog, you can add and edit contact history.")),
        0, wxEXPAND | wxALL, DLG_BORDER);

    wxFlexGridSizer* grid = new wxFlexGridSizer(3, DLG_BORDER, DLG_BORDER);
    grid->AddGrowableCol(2);
    grid->AddGrowableRow(2);

    grid->AddSpacer(DLG_BORDER);
    grid->Add(new wxStaticText(this, wxID_ANY, _("Contact:"), wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT5"), 0,
              wxALIGN_CENTER_VERTICAL);
    textContactName = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_READONLY,
                                     wxDefaultValidator, "ID_TEXTCTRL_CONT_NAME");
    textContactName->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    textContactName->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
    grid->Add(textContactName, 1, wxEXPAND);

    grid->AddSpacer(DLG_BORDER);
    grid->Add(new wxStaticText(this, wxID_ANY, _("Date time:"), wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT4"),
              0, wxALIGN_CENTER_VERTICAL);
    // Year/month/day like every other date of the program.
    pickerTime = new DatePicker(this, wxID_ANY, wxDefaultDateTime, false, wxDefaultPosition, wxDefaultSize,
                                "ID_DATEPICKERCTRL_TIME");
    grid->Add(pickerTime, 1, wxEXPAND);

    grid->AddSpacer(DLG_BORDER);
    grid->Add(new wxStaticText(this, wxID_ANY, _("Comment:"), wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT3"), 0,
              wxALIGN_TOP);
    textComment = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(303, 110), wxTE_MULTILINE,
                                 wxDefaultValidator, "ID_TEXTCTRL_COMMENT");
    commentLimit = std::make_unique<TextLengthLimit>(textComment, HIS_COMMENT_MAX_LENGTH);
    grid->Add(textComment, 1, wxEXPAND);

    top->Add(grid, 1, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER * 2);

    wxStdDialogButtonSizer* buttons = MakeOkCancelButtons(this);
    top->Add(buttons, 0, wxEXPAND | wxALL, DLG_BORDER * 2);
    SetSizerAndFit(top);
    CentreOnParent();

    Bind(wxEVT_INIT_DIALOG, &HisDetailDlg::OnDialogInit, this);
    Bind(wxEVT_BUTTON, &HisDetailDlg::OnButtonOKClick, this, wxID_OK);
}

void HisDetailDlg::OnDialogInit(wxInitDialogEvent& event)
{
    event.Skip();
    if (!historyInfo)
        return;
    if (mode == HIS_MODE_NEW)
    {
        textContactName->ChangeValue(historyInfo->contact_name);
    }
    else if (mode == HIS_MODE_EDIT)
    {
        textContactName->ChangeValue(historyInfo->contact_name);
        if (historyInfo->his_time.IsValid())
            pickerTime->SetDate(historyInfo->his_time);
        commentLimit->ChangeValue(historyInfo->comment);
    }
}

void HisDetailDlg::OnButtonOKClick(wxCommandEvent&)
{
    if (historyInfo)
    {
        // The picker edits the date only; the entry keeps its time of day so
        // that entries of one day stay in the order they were made.
        wxDateTime picked = pickerTime->GetDate();
        if (picked.IsValid())
        {
            wxDateTime time = picked.GetDateOnly();
            if (historyInfo->his_time.IsValid())
            {
                const wxDateTime& old = historyInfo->his_time;
                time.SetHour(old.GetHour()).SetMinute(old.GetMinute()).SetSecond(old.GetSecond());
            }
            historyInfo->his_time = time;
        }
        else
        {
            historyInfo->his_time = wxDateTime();
        }
        historyInfo->comment = textComment->GetValue();
    }
    EndModal(wxID_OK);
}
