// Adds or edits one contact history entry: date and comment. The caller
// stores the record when the dialog ends with OK.
#pragma once

#include <memory>

#include <wx/dialog.h>

#include "dialogs/DialogCommon.h"

class HistoryInfo;
class DatePicker;
class wxTextCtrl;

enum HisDetailMode
{
    HIS_MODE_NEW = 0,
    HIS_MODE_EDIT = 1,
};

// Longest comment the user can type.
constexpr int HIS_COMMENT_MAX_LENGTH = 256;

class HisDetailDlg : public wxDialog
{
public:
    HisDetailDlg(wxWindow* parent, int mode, wxWindowID id = wxID_ANY);

    // Not owned; set before ShowModal. Written only by the OK handler.
    void SetHistoryInfo(HistoryInfo* info)
    {
        historyInfo = info;
    }
    HistoryInfo* GetHistoryInfo() const
    {
        return historyInfo;
    }

    void OnDialogInit(wxInitDialogEvent& event);
    void OnButtonOKClick(wxCommandEvent& event);

private:
    int mode;
    HistoryInfo* historyInfo = nullptr;
    wxTextCtrl* textContactName;
    DatePicker* pickerTime;
    wxTextCtrl* textComment;
    std::unique_ptr<TextLengthLimit> commentLimit;
};
