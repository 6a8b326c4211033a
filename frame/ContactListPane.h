// The contact list of the current result page, and the contact commands
// (new, edit, delete, copy) that act on its selection.
#pragma once

#include <wx/panel.h>

#include <map>

#include "storage/ContactInfoEx.h"
#include "views/ContactEvent.h"

class ContactManager;
class TagManager;
class wxImageList;
class wxListCtrl;
class wxListEvent;
struct FrameIds;

// The user changed which contact is current (null: none); the window shows
// it everywhere.
wxDECLARE_EVENT(EVT_CONTACT_CURRENT, ContactEvent);

class ContactListPane : public wxPanel
{
public:
    ContactListPane(wxWindow* parent, const FrameIds& ids, TagManager& tags, ContactManager& contacts);

    wxListCtrl* GetListCtrl() const
    {
        return resultList;
    }
    void SetImages(wxImageList* images);
    void InsertColumns();
    void Clear();
    // Rebuilds the rows from the current page; highlights the current
    // contact's row, or the first.
    void Refill();
    bool HasHighlight() const;
    // The highlighted rows' contacts, read again from the list.
    const ContactArray& CollectSelection();
    const ContactArray& GetSelection() const
    {
        return selection;
    }
    // Makes the contact the only highlighted row and the current contact, as
    // a single click on its row does.
    void SelectContact(ContactInfoEx* contact);

    // The commands, with the contact edit dialog.
    // Runs one of the commands below when the source (the main window, where
    // the menus', the toolbar's and the detail page's events arrive) gets an
    // event of this type and id.
    void BindCommand(wxEvtHandler& source, const wxEventTypeTag<wxCommandEvent>& type, int commandId,
                     void (ContactListPane::*run)());
    void NewContact();
    void EditContact(ContactInfoEx* contact);
    // The current contact, or every selected one at once.
    void EditSelection();
    void DeleteSelection();
    void CopyCurrent();

private:
    void OnCommand(wxCommandEvent& event);
    std::map<int, void (ContactListPane::*)()> commands;
    void OnListItemSelected(wxListEvent& event);
    void OnListItemDeselected(wxListEvent& event);
    void Post(wxEventType type, ContactInfoEx* contact);
    // The current contact if it is highlighted, else the highlighted row the
    // user left the focus on, else the first highlighted one, else none.
    ContactInfoEx* HighlightedContact() const;
    long FindContactRow(const ContactInfoEx* contact) const;
    // Runs the contact dialog on the record; true when the user confirmed.
    bool RunContactDialog(int mode, ContactInfoEx* contact);

    TagManager& tagManager;
    ContactManager& contactManager;
    wxListCtrl* resultList = nullptr;
    ContactArray selection;
    // Set while the pane changes the list's highlight itself: the list's
    // events would otherwise rebuild the state row by row.
    bool syncingSelection = false;
};
