#include "dialogs/DatePicker.h"

#include <wx/calctrl.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/propgrid/advprops.h>
#include <wx/propgrid/propgrid.h>

#include "dialogs/DateText.h"

class CalendarPopup : public wxCalendarCtrl, public wxComboPopup
{
public:
    bool Create(wxWindow* parent) override
    {
        if (!wxCalendarCtrl::Create(parent, wxID_ANY, wxDefaultDateTime, wxPoint(0, 0), wxDefaultSize,
                                    wxCAL_SEQUENTIAL_MONTH_SELECTION | wxCAL_SHOW_HOLIDAYS | wxBORDER_SIMPLE))
            return false;
        // As with the toolkit's picker: the day selected is the date at
        // once, a double click or Enter also closes the calendar.
        Bind(wxEVT_CALENDAR_SEL_CHANGED, [this](wxCalendarEvent& event) { Show(event.GetDate(), false); });
        Bind(wxEVT_CALENDAR_DOUBLECLICKED, [this](wxCalendarEvent& event) { Show(event.GetDate(), true); });
        Bind(wxEVT_KEY_DOWN,
             [this](wxKeyEvent& event)
             {
                 if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER)
                     Show(GetDate(), true);
                 else if (event.GetKeyCode() == WXK_ESCAPE)
                     Dismiss();
                 else
                     event.Skip();
             });
        return true;
    }

    wxWindow* GetControl() override
    {
        return this;
    }

    wxSize GetAdjustedSize(int, int, int) override
    {
        return GetBestSize();
    }

    // The calendar opens on the date shown, or on today.
    void OnPopup() override
    {
        // Showing a date in the calendar is not choosing it.
        const wxDateTime shown = static_cast<DatePicker*>(m_combo)->GetDate();
        opening = true;
        SetDate(shown.IsValid() ? shown : wxDateTime::Today());
        opening = false;
    }

    // The field's text is the picker's business, not the calendar's.
    void SetStringValue(const wxString&) override {}
    wxString GetStringValue() const override
    {
        return m_combo ? m_combo->GetValue() : wxString();
    }

private:
    void Show(const wxDateTime& day, bool close)
    {
        if (opening)
            return;
        if (close)
            Dismiss();
        static_cast<DatePicker*>(m_combo)->Choose(day);
    }

    bool opening = false;
};

DatePicker::DatePicker(wxWindow* parent, wxWindowID id, const wxDateTime& date, bool allowNone, const wxPoint& pos,
                       const wxSize& size, const wxString& name)
    : allowNone(allowNone)
{
    Create(parent, id, wxEmptyString, pos, size, 0, wxDefaultValidator, name);
    popup = new CalendarPopup;
    SetPopupControl(popup);
    SetDate(date.IsValid() || allowNone ? date : wxDateTime::Today());
    // Wide enough for the longest date beside the button.
    SetMinSize(wxSize(GetSizeFromTextSize(GetTextExtent("0000/00/00").x).x + GetButtonSize().x, -1));

    GetTextCtrl()->Bind(wxEVT_KILL_FOCUS,
                        [this](wxFocusEvent& event)
                        {
                            event.Skip();
                            TidyText();
                        });
    GetTextCtrl()->Bind(wxEVT_TEXT,
                        [this, allowNone](wxCommandEvent& event)
                        {
                            event.Skip();
                            // A whole date typed counts at once, so that OK
                            // right after typing takes it.
                            wxDateTime typed;
                            if (DateText::Parse(GetTextCtrl()->GetValue(), typed) && typed != value)
                            {
                                value = typed;
                                wxDateEvent changed(this, value, wxEVT_DATE_CHANGED);
                                ProcessWindowEvent(changed);
                            }
                            else if (allowNone && GetTextCtrl()->GetValue().Strip(wxString::both).empty() &&
                                     value.IsValid())
                            {
                                value = wxDateTime();
                                wxDateEvent changed(this, value, wxEVT_DATE_CHANGED);
                                ProcessWindowEvent(changed);
                            }
                        });
}

wxDateTime DatePicker::GetDate() const
{
    return value;
}

void DatePicker::SetDate(const wxDateTime& date)
{
    if (!date.IsValid() && !allowNone)
        return;
    value = date.IsValid() ? date.GetDateOnly() : wxDateTime();
    ChangeValue(DateText::Date(value));
}

void DatePicker::Choose(const wxDateTime& date)
{
    SetDate(date);
    wxDateEvent changed(this, value, wxEVT_DATE_CHANGED);
    ProcessWindowEvent(changed);
}

void DatePicker::TidyText()
{
    ChangeValue(DateText::Date(value));
}

wxPGEditor* DatePickerEditor::Get()
{
    static wxPGEditor* editor = wxPropertyGrid::RegisterEditorClass(new DatePickerEditor, "CorvalaDatePicker");
    return editor;
}

wxString DatePickerEditor::GetName() const
{
    return "CorvalaDatePicker";
}

namespace
{
wxDateTime PropertyDate(wxPGProperty* property)
{
    const wxVariant value = property->GetValue();
    return value.GetType() == "datetime" ? value.GetDateTime() : wxDateTime();
}

bool AllowsNone(wxPGProperty* property)
{
    wxDateProperty* date = wxDynamicCast(property, wxDateProperty);
    return date && (date->GetDatePickerStyle() & wxDP_ALLOWNONE);
}
} // namespace

wxPGWindowList DatePickerEditor::CreateControls(wxPropertyGrid* grid, wxPGProperty* property, const wxPoint& pos,
                                                const wxSize& size) const
{
    DatePicker* picker =
        new DatePicker(grid->GetPanel(), wxID_ANY, PropertyDate(property), AllowsNone(property), pos, size);
    picker->SetMinSize(wxDefaultSize);
    picker->SetSize(pos.x, pos.y, size.x, size.y);
    // A grid that marks changed values turns the editor's font bold at the
    // first change, and on GTK that takes the keyboard from the field: the
    // rest of a typed date and the Enter ending it went to the dialog. The
    // field opens in that font already.
    if (grid->HasFlag(wxPG_BOLD_MODIFIED))
        picker->SetFont(grid->GetCaptionFont());
    return wxPGWindowList(picker);
}

void DatePickerEditor::UpdateControl(wxPGProperty* property, wxWindow* control) const
{
    static_cast<DatePicker*>(control)->SetDate(PropertyDate(property));
}

bool DatePickerEditor::OnEvent(wxPropertyGrid*, wxPGProperty*, wxWindow*, wxEvent& event) const
{
    return event.GetEventType() == wxEVT_DATE_CHANGED;
}

bool DatePickerEditor::GetValueFromControl(wxVariant& variant, wxPGProperty* property, wxWindow* control) const
{
    const wxDateTime date = static_cast<DatePicker*>(control)->GetDate();
    const wxDateTime before = PropertyDate(property);
    // An empty field is an invalid date, as the toolkit's picker gives it.
    variant = date;
    return date.IsValid() != before.IsValid() || (date.IsValid() && !date.IsSameDate(before));
}

void DatePickerEditor::SetValueToUnspecified(wxPGProperty* property, wxWindow* control) const
{
    if (AllowsNone(property))
        static_cast<DatePicker*>(control)->SetDate(wxDateTime());
}
