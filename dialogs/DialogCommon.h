// What the dialogs of the program share: padding, pictures, buttons and the
// length limit of text fields.
#pragma once

#include <memory>

#include <wx/bitmap.h>
#include <wx/string.h>

// Padding between controls and around dialog contents, in pixels.
constexpr int DLG_BORDER = 5;

// A picture from img/ below the working directory, in any image format.
// Returns an invalid bitmap when the file is missing or unreadable, without
// logging: a dialog must still open with a picture gone.
wxBitmap LoadDialogBitmap(const wxString& fileName);

class wxButton;
class wxStdDialogButtonSizer;
class wxWindow;

// A push button whose window name is its id name ("ID_BUTTON_ADD").
wxButton* MakeButton(wxWindow* parent, int id, const wxString& label, const wxString& name);

class wxBoxSizer;

// The row at the top of a dialog: a picture from img/ ("ID_STATICBITMAP1")
// beside a line of explanation ("ID_STATICTEXT1").
wxBoxSizer* MakeDialogHeader(wxWindow* parent, const wxString& pictureFile, const wxString& text);

class wxStaticText;

// The text broken into lines no wider than width in the window's font: at
// blanks, and between the characters of Chinese and Japanese text, which
// has no blanks between words (never before a closing mark such as "。" or
// after an opening one such as "「"). A word wider than width keeps a line
// of its own.
wxString WrapText(const wxWindow* window, const wxString& text, int width);

// Shows the text in the label, as it is (no mnemonics) and wrapped to width.
// The label's least height grows to hold every line; true when it did, so
// that its dialog can grow rather than cut the text.
bool ShowWrapped(wxStaticText* label, const wxString& text, int width);

class wxSizer;

// The foot of a dialog that works on a file: a separating line
// ("ID_STATICLINE1") and "&Close" ("wxID_CANCEL") at the right. Returns the
// button.
wxButton* AddCloseFoot(wxWindow* parent, wxSizer* top);

// Gives the dialog its sizer, sizes it to fit and centres it on its parent.
void FitDialog(wxWindow* dialog, wxSizer* top);

// Keeps the dialog from closing while busy is true: work that lets window
// messages through would otherwise go on unseen. busy must outlive it.
void KeepOpenWhile(wxWindow* dialog, const bool& busy);

// The standard OK/Cancel row ("wxID_OK", "wxID_CANCEL"), OK as default.
wxStdDialogButtonSizer* MakeOkCancelButtons(wxWindow* parent);

class wxTextCtrl;

// Keeps the user from making a text longer than maxLength characters, also in
// multi-line controls (where GTK has no native limit): an edit that would
// pass the limit keeps only as much of the inserted text as fits. Text the
// program sets through ChangeValue here is taken as it is, even when longer.
class TextLengthLimit
{
public:
    TextLengthLimit(wxTextCtrl* text, int maxLength);
    void ChangeValue(const wxString& value);

private:
    class Impl;
    std::shared_ptr<Impl> impl;
};
