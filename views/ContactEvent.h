// What a view asks of the window that shows it, about one contact: the
// view only says what the user did; the frame decides what that means.
#pragma once

#include <wx/event.h>

class ContactInfoEx;

class ContactEvent : public wxCommandEvent
{
public:
    ContactEvent(wxEventType type, ContactInfoEx* contact) : wxCommandEvent(type), contact(contact) {}

    ContactInfoEx* GetContact() const
    {
        return contact;
    }
    wxEvent* Clone() const override
    {
        return new ContactEvent(*this);
    }

private:
    ContactInfoEx* contact;
};

// The contact was clicked: make it the only selection and the current one.
wxDECLARE_EVENT(EVT_CONTACT_SELECT, ContactEvent);
// The contact was double-clicked: open it for editing.
wxDECLARE_EVENT(EVT_CONTACT_EDIT, ContactEvent);
// The contact menu is wanted where the pointer is.
wxDECLARE_EVENT(EVT_CONTACT_MENU, ContactEvent);
