// A date field with a drop-down calendar that shows and takes dates in the
// program's one form (year/month/day), whatever the system locale: the
// toolkit's picker follows the C library's short date format instead. Also
// the editor of date properties in the contact grid.
#pragma once

#include <wx/combo.h>
#include <wx/datetime.h>
#include <wx/propgrid/editors.h>

class CalendarPopup;

class DatePicker : public wxComboCtrl
{
public:
    // allowNone: the field may be emptied, which leaves no date.
    DatePicker(wxWindow* parent, wxWindowID id, const wxDateTime& date, bool allowNone,
               const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
               const wxString& name = "datePicker");

    // The date shown (date only), or an invalid one when the field is empty.
    wxDateTime GetDate() const;
    // Shows the date; an invalid one empties the field (or, when a date is
    // required, keeps the one shown).
    void SetDate(const wxDateTime& date);

    bool AllowsNone() const
    {
        return allowNone;
    }

private:
    friend class CalendarPopup;

    // The date chosen in the calendar or typed: shown, remembered and
    // reported with a date-changed event.
    void Choose(const wxDateTime& date);
    // Text that is no date goes back to the last date (or to none).
    void TidyText();

    CalendarPopup* popup = nullptr;
    wxDateTime value;
    bool allowNone;
};

// The contact grid's editor for wxDateProperty: a DatePicker in place of
// the toolkit's picker.
class DatePickerEditor : public wxPGEditor
{
public:
    // The editor, registered with the property grid on first use.
    static wxPGEditor* Get();

    wxString GetName() const override;
    wxPGWindowList CreateControls(wxPropertyGrid* grid, wxPGProperty* property, const wxPoint& pos,
                                  const wxSize& size) const override;
    void UpdateControl(wxPGProperty* property, wxWindow* control) const override;
    bool OnEvent(wxPropertyGrid* grid, wxPGProperty* property, wxWindow* control, wxEvent& event) const override;
    bool GetValueFromControl(wxVariant& variant, wxPGProperty* property, wxWindow* control) const override;
    void SetValueToUnspecified(wxPGProperty* property, wxWindow* control) const override;
};
