#include "dialogs/wxMultiChoicePropertyEx.h"

#include <wx/propgrid/propgrid.h>

#include "dialogs/TagDlg.h"

wxPG_IMPLEMENT_PROPERTY_CLASS(wxMultiChoicePropertyEx, wxMultiChoiceProperty, TextCtrlAndButton)

    wxMultiChoicePropertyEx::wxMultiChoicePropertyEx(const wxString& label, const wxString& name,
                                                     const wxArrayString& choices, const wxArrayString& value)
    : wxMultiChoiceProperty(label, name, choices, value)
{
}

wxMultiChoicePropertyEx::~wxMultiChoicePropertyEx() = default;

wxVariant wxMultiChoicePropertyEx::DoGetValue() const
{
    return m_value;
}

bool wxMultiChoicePropertyEx::OnEvent(wxPropertyGrid* propgrid, wxWindow*, wxEvent& event)
{
    if (!propgrid || !propgrid->IsMainButtonEvent(event))
        return false;

    wxVariant current = propgrid->GetUncommittedPropertyValue();
    const wxArrayString labels = m_choices.GetLabels();
    const unsigned count = m_choices.GetCount();

    TagDlg dlg(propgrid->GetPanel(), labels, 1);
    dlg.Move(propgrid->GetGoodEditorDialogPosition(this, dlg.GetSize()));

    wxArrayInt selections;
    wxArrayString extras;
    const wxArrayString names = current.IsNull() ? wxArrayString() : current.GetArrayString();
    for (const wxString& name : names)
    {
        int index = labels.Index(name);
        if (index != wxNOT_FOUND)
            selections.Add(index);
        else
            extras.Add(name);
    }
    dlg.SetSelections(selections);

    if (dlg.ShowModal() != wxID_OK || count == 0)
        return false;

    wxArrayString value = dlg.GetStringSelections();
    if (m_userStringMode == 1 || m_userStringMode == 2)
    {
        for (const wxString& extra : extras)
            value.Add(extra);
    }
    SetValueInEvent(wxVariant(value));
    return true;
}

wxPGEditorDialogAdapter* wxMultiChoicePropertyEx::GetEditorDialog() const
{
    return nullptr;
}
