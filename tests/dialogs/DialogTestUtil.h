// Helpers for driving the program's dialogs in tests.
#pragma once

#include <functional>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/timer.h>

#include "tests/support/GuiTest.h"

// ShowModal's result when the driving code left the dialog open.
constexpr int STAYED_OPEN = 31999;

// Shows the dialog modally and runs `drive` inside its modal loop, as a user
// would act on it. Returns ShowModal's result, or STAYED_OPEN when the dialog
// was still open after `drive`.
inline int RunModal(wxDialog& dialog, const std::function<void()>& drive)
{
    // A timer rather than CallAfter: code run from a pending event blocks the
    // processing of further pending events that the dialog may rely on.
    wxTimer timer;
    timer.Bind(wxEVT_TIMER,
               [&dialog, drive](wxTimerEvent&)
               {
                   drive();
                   if (dialog.IsModal())
                       dialog.EndModal(STAYED_OPEN);
               });
    timer.StartOnce(1);
    return dialog.ShowModal();
}

// Processes pending events including those queued with CallAfter, which
// ProcessPending leaves to the idle time of the main loop.
inline void Settle()
{
    ProcessPending();
    if (wxTheApp)
        wxTheApp->ProcessPendingEvents();
}

// Clicks a button as the user would (the click event reaches the dialog).
inline void Click(wxWindow* button)
{
    ASSERT_NE(button, nullptr) << "button to click is missing";
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// Clicks the button with the given id name inside the dialog.
inline void Click(wxWindow* dialog, const wxString& name)
{
    Click(FindChild<wxButton>(dialog, name));
}

// A message box, answered with `answer` (wxYES, wxNO, wxOK...); its text and caption are recorded.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage>
{
public:
    ExpectMessage(int answer, wxString* text, wxString* caption = nullptr, long* style = nullptr)
        : answer(ToId(answer)), text(text), caption(caption), style(style)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        if (text)
            *text = dlg->GetMessage();
        if (caption)
            *caption = dlg->GetCaption();
        if (style)
            *style = dlg->GetMessageDialogStyle();
        return answer;
    }

private:
    // Accepts the wxYES/wxNO/wxOK/wxCANCEL flags as well as button ids.
    static int ToId(int answer)
    {
        switch (answer)
        {
        case wxYES:
            return wxID_YES;
        case wxNO:
            return wxID_NO;
        case wxOK:
            return wxID_OK;
        case wxCANCEL:
            return wxID_CANCEL;
        default:
            return answer;
        }
    }

    int answer;
    wxString* text;
    wxString* caption;
    long* style;
};

// A dialog of type T: initialised, handed to `act`, answered with `answer`.
template <class T> class ExpectDialog : public wxExpectModalBase<T, ExpectDialog<T>>
{
public:
    ExpectDialog(int answer, std::function<void(T*)> act = nullptr) : answer(answer), act(std::move(act)) {}

protected:
    int OnInvoked(T* dlg) const override
    {
        dlg->InitDialog();
        if (act)
            act(dlg);
        return answer;
    }

private:
    int answer;
    std::function<void(T*)> act;
};
