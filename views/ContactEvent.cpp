#include "views/ContactEvent.h"

wxDEFINE_EVENT(EVT_CONTACT_SELECT, ContactEvent);
wxDEFINE_EVENT(EVT_CONTACT_EDIT, ContactEvent);
wxDEFINE_EVENT(EVT_CONTACT_MENU, ContactEvent);
