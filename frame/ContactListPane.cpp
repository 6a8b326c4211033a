#include "frame/ContactListPane.h"

#include <memory>

#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/utils.h>
#include <wx/wupdlock.h>

#include "dialogs/ContactEditDlg.h"
#include "dialogs/DateText.h"
#include "frame/FrameIds.h"
#include "platform/Platform.h"
#include "storage/ContactManager.h"

namespace
{
const wxColour ALTERNATE_ROW(231, 223, 221);

// Year/month/day like every other date of the program, then the time.
wxString DateTimeText(const wxDateTime& time)
{
    return DateText::DateTime(time);
}
} // namespace

wxDEFINE_EVENT(EVT_CONTACT_CURRENT, ContactEvent);

ContactListPane::ContactListPane(wxWindow* parent, const FrameIds& ids, TagManager& tags, ContactManager& contacts)
    : wxPanel(parent, ids.ID_PANEL11, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL11"),
      tagManager(tags), contactManager(contacts)
{
    wxBoxSizer* listSizer = new wxBoxSizer(wxVERTICAL);
    resultList = new wxListCtrl(this, ids.ID_LISTCTRL_RESULT, wxDefaultPosition, wxDefaultSize,
                                wxLC_REPORT | wxLC_VRULES, wxDefaultValidator, "ID_LISTCTRL_RESULT");
    listSizer->Add(resultList, 1, wxEXPAND);
    SetSizer(listSizer);

    resultList->Bind(wxEVT_LIST_ITEM_SELECTED, &ContactListPane::OnListItemSelected, this);
    resultList->Bind(wxEVT_LIST_ITEM_DESELECTED, &ContactListPane::OnListItemDeselected, this);
    resultList->Bind(wxEVT_LIST_ITEM_ACTIVATED,
                     [this](wxListEvent& event)
                     {
                         ContactInfoEx* contact =
                             reinterpret_cast<ContactInfoEx*>(resultList->GetItemData(event.GetIndex()));
                         if (contact)
                             EditContact(contact);
                     });
    resultList->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK,
                     [this](wxListEvent&) { Post(EVT_CONTACT_MENU, contactManager.currentContact); });
}

void ContactListPane::SetImages(wxImageList* images)
{
    resultList->SetImageList(images, wxIMAGE_LIST_SMALL);
}

void ContactListPane::InsertColumns()
{
    const struct
    {
        const char* header;
        int width;
    } columns[] = {
        {wxTRANSLATE("Name"), 128},
        {wxTRANSLATE("Alphabet Name "), 128},
        {wxTRANSLATE("Business phone"), 128},
        {wxTRANSLATE("Job title"), 128},
        {wxTRANSLATE("Department"), 128},
        {wxTRANSLATE("Company"), 196},
        {wxTRANSLATE("E-mail"), 128},
        {wxTRANSLATE("Webpage"), 128},
        {wxTRANSLATE("Latest update time"), 128},
        {wxTRANSLATE("Entry time"), 128},
    };
    int index = 0;
    for (const auto& column : columns)
        resultList->InsertColumn(index++, wxGetTranslation(column.header), wxLIST_FORMAT_LEFT, column.width);
}

void ContactListPane::Clear()
{
    resultList->DeleteAllItems();
}

void ContactListPane::Refill()
{
    // Nothing of the half-filled list reaches the screen.
    wxWindowUpdateLocker frozen(resultList);
    resultList->DeleteAllItems();
    ContactInfoArray& page = contactManager.contactList;
    if (page.IsEmpty())
        return;

    for (size_t i = page.GetCount(); i-- > 0;)
    {
        ContactInfoEx* c = page[i];
        long row = resultList->InsertItem(0, c->last_name + " " + c->first_name,
                                          c->sex == SEX_MALE     ? 1
                                          : c->sex == SEX_FEMALE ? 2
                                                                 : 4);
        resultList->SetItem(row, 1, c->last_name_alpha + " " + c->first_name_alpha);
        resultList->SetItem(row, 2, c->business_phone);
        resultList->SetItem(row, 3, c->job_title);
        resultList->SetItem(row, 4, c->department);
        resultList->SetItem(row, 5, c->company);
        resultList->SetItem(row, 6, c->email);
        resultList->SetItem(row, 7, c->webpage);
        resultList->SetItem(row, 8, DateTimeText(c->latest_update_time));
        resultList->SetItem(row, 9, DateTimeText(c->entry_time));
        resultList->SetItemPtrData(row, reinterpret_cast<wxUIntPtr>(c));
        if (i % 2 == 0)
            resultList->SetItemBackgroundColour(row, ALTERNATE_ROW);
    }

    long target = FindContactRow(contactManager.currentContact);
    if (target == -1)
        target = 0;
    resultList->SetItemState(target, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    resultList->EnsureVisible(target);
}

bool ContactListPane::HasHighlight() const
{
    return resultList->GetSelectedItemCount() != 0;
}

const ContactArray& ContactListPane::CollectSelection()
{
    selection.Clear();
    long row = -1;
    while ((row = resultList->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1)
    {
        ContactInfoEx* contact = reinterpret_cast<ContactInfoEx*>(resultList->GetItemData(row));
        if (contact)
            selection.Add(contact);
    }
    return selection;
}

void ContactListPane::Post(wxEventType type, ContactInfoEx* contact)
{
    ContactEvent event(type, contact);
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}

void ContactListPane::OnListItemSelected(wxListEvent& event)
{
    if (syncingSelection || resultList->GetSelectedItemCount() < 1)
        return;
    Post(EVT_CONTACT_CURRENT, reinterpret_cast<ContactInfoEx*>(resultList->GetItemData(event.GetIndex())));
}

void ContactListPane::OnListItemDeselected(wxListEvent&)
{
    if (syncingSelection)
        return;
    // The current contact may be the row that lost its highlight: commands
    // must never act on a contact the user no longer sees selected.
    Post(EVT_CONTACT_CURRENT, HighlightedContact());
}

ContactInfoEx* ContactListPane::HighlightedContact() const
{
    ContactInfoEx* current = contactManager.currentContact;
    const long focused = resultList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    ContactInfoEx* focusedContact = nullptr;
    ContactInfoEx* first = nullptr;
    long row = -1;
    while ((row = resultList->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1)
    {
        ContactInfoEx* contact = reinterpret_cast<ContactInfoEx*>(resultList->GetItemData(row));
        if (!contact)
            continue;
        if (contact == current)
            return current;
        if (row == focused)
            focusedContact = contact;
        if (!first)
            first = contact;
    }
    return focusedContact ? focusedContact : first;
}

long ContactListPane::FindContactRow(const ContactInfoEx* contact) const
{
    for (long row = 0; contact && row < resultList->GetItemCount(); ++row)
    {
        if (reinterpret_cast<const ContactInfoEx*>(resultList->GetItemData(row)) == contact)
            return row;
    }
    return -1;
}

void ContactListPane::SelectContact(ContactInfoEx* contact)
{
    const long target = FindContactRow(contact);
    syncingSelection = true;
    long row = -1;
    while ((row = resultList->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1)
    {
        if (row != target)
            resultList->SetItemState(row, 0, wxLIST_STATE_SELECTED);
    }
    if (target != -1)
    {
        resultList->SetItemState(target, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                 wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        resultList->EnsureVisible(target);
    }
    syncingSelection = false;
    Post(EVT_CONTACT_CURRENT, target != -1 ? contact : nullptr);
}

bool ContactListPane::RunContactDialog(int mode, ContactInfoEx* contact)
{
    ContactEditDlg dialog(wxGetTopLevelParent(this), mode, tagManager, wxID_ANY);
    dialog.SetContact(contact);
    return dialog.ShowModal() == wxID_OK;
}

void ContactListPane::NewContact()
{
    // Insert leaves the record with its caller.
    std::unique_ptr<ContactInfoEx> contact(new ContactInfoEx());
    if (RunContactDialog(EDIT_MODE_NEW, contact.get()))
        contactManager.Insert(contact.get());
}

void ContactListPane::EditContact(ContactInfoEx* contact)
{
    if (RunContactDialog(EDIT_MODE_EDIT, contact))
        contactManager.Update(contact);
}

void ContactListPane::EditSelection()
{
    if (selection.GetCount() <= 1)
    {
        if (ContactInfoEx* contact = contactManager.currentContact)
            EditContact(contact);
        return;
    }
    ContactInfoEx* templ = new ContactInfoEx();
    if (!RunContactDialog(EDIT_MODE_MULTI, templ))
    {
        delete templ;
        return;
    }
    ContactArray batch = selection;
    wxBusyCursor wait;
    BatchInputBlocker block;
    // Takes the template and destroys it.
    contactManager.UpdateContacts(batch, templ);
}

void ContactListPane::CopyCurrent()
{
    ContactInfoEx* contact = contactManager.currentContact;
    if (!contact)
        return;
    std::unique_ptr<ContactInfoEx> copy(new ContactInfoEx(*contact));
    copy->first_name += _("(Copy)");
    if (RunContactDialog(EDIT_MODE_COPY, copy.get()))
        contactManager.Insert(copy.get());
}

void ContactListPane::DeleteSelection()
{
    wxWindow* owner = wxGetTopLevelParent(this);
    wxString question = _("Do you really need to delete the selected contacts? \n\n");
    if (selection.GetCount() > 1)
    {
        if (wxMessageBox(question, _("Confirm"), wxYES_NO, owner) != wxYES)
            return;
        // The copy keeps the batch's list stable while the observers rebuild
        // the selection.
        ContactArray batch = selection;
        wxBusyCursor wait;
        BatchInputBlocker block;
        contactManager.DeleteContacts(batch);
        return;
    }

    ContactInfoEx* contact = contactManager.currentContact;
    if (!contact)
        return;
    if (wxMessageBox(question + contact->last_name + " " + contact->first_name, _("Confirm"), wxYES_NO, owner) != wxYES)
        return;
    contactManager.Delete(contact);
}

void ContactListPane::BindCommand(wxEvtHandler& source, const wxEventTypeTag<wxCommandEvent>& type, int commandId,
                                  void (ContactListPane::*run)())
{
    commands[commandId] = run;
    source.Bind(type, &ContactListPane::OnCommand, this, commandId);
}

void ContactListPane::OnCommand(wxCommandEvent& event)
{
    auto found = commands.find(event.GetId());
    if (found != commands.end())
        (this->*found->second)();
}
