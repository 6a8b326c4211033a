// The contact's "Tag" property: a multi-choice property whose button opens
// the program's tag select dialog instead of the library's choice dialog.
#pragma once

#include <wx/propgrid/advprops.h>

class wxMultiChoicePropertyEx : public wxMultiChoiceProperty
{
    WX_PG_DECLARE_PROPERTY_CLASS(wxMultiChoicePropertyEx)
public:
    wxMultiChoicePropertyEx(const wxString& label = wxPG_LABEL, const wxString& name = wxPG_LABEL,
                            const wxArrayString& choices = wxArrayString(),
                            const wxArrayString& value = wxArrayString());
    ~wxMultiChoicePropertyEx() override;

    wxVariant DoGetValue() const override;
    bool OnEvent(wxPropertyGrid* propgrid, wxWindow* primary, wxEvent& event) override;

    // No library dialog adapter: the grid would let it take the button
    // click before OnEvent sees it.
    wxPGEditorDialogAdapter* GetEditorDialog() const override;
};
