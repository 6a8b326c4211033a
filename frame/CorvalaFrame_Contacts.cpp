// The contact list of the current result page and the contact commands.
#include <memory>

#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>
#include <wx/wupdlock.h>

#include "dialogs/ContactEditDlg.h"
#include "dialogs/DateText.h"
#include "frame/Corva.h"
#include "frame/CorvalaFrame.h"
#include "platform/Platform.h"

namespace
{
const wxColour ALTERNATE_ROW(231, 223, 221);

// Year/month/day like every other date of the program, then the time.
wxString DateTimeText(const wxDateTime& time)
{
    return DateText::DateTime(time);
}
} // namespace

void CorvalaFrame::ConnectContactEvents()
{
    resultList->Bind(wxEVT_LIST_ITEM_SELECTED, &CorvalaFrame::OnListItemSelected, this);
    resultList->Bind(wxEVT_LIST_ITEM_DESELECTED, &CorvalaFrame::OnListItemDeselected, this);
    resultList->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CorvalaFrame::OnListItemActivated, this);
    resultList->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, &CorvalaFrame::OnListItemRightClick, this);

    for (int id : {int(ids.ID_TOOL_NEW), int(ids.ID_MENU_NEW)})
        Bind(wxEVT_MENU, &CorvalaFrame::OnContactNew, this, id);
    for (int id : {int(ids.ID_TOOL_EDIT), int(ids.ID_MENU_EDIT), int(ids.ID_POPUP_EDIT)})
        Bind(wxEVT_MENU, &CorvalaFrame::OnContactEdit, this, id);
    for (int id : {int(ids.ID_TOOL_DELETE), int(ids.ID_MENU_DELETE), int(ids.ID_POPUP_DELETE)})
        Bind(wxEVT_MENU, &CorvalaFrame::OnContactDelete, this, id);
    for (int id : {int(ids.ID_MENU_COPY), int(ids.ID_POPUP_COPY)})
        Bind(wxEVT_MENU, &CorvalaFrame::OnContactCopy, this, id);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnContactEdit, this, ids.ID_BUTTON_EDIT);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnContactDelete, this, ids.ID_BUTTON_DELETE);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnContactCopy, this, ids.ID_BUTTON_COPY);
}

void CorvalaFrame::InsertListColumns()
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

    InsertHistoryColumns();
    InsertStatisticsColumns();
}

void CorvalaFrame::RefreshContactList()
{
    // Nothing of the half-filled list reaches the screen.
    wxWindowUpdateLocker frozen(resultList);
    resultList->DeleteAllItems();
    ContactManager& contacts = model->contactManager;
    ContactInfoArray& page = contacts.contactList;
    if (page.IsEmpty())
        return;

    for (size_t i = page.GetCount(); i-- > 0;)
    {
        ContactInfoEx* c = page[i];
        long row = resultList->InsertItem(0, c->last_name + " " + c->first_name, c->sex != 0 ? 1 : 2);
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

    long target = 0;
    for (long row = 0; row < resultList->GetItemCount(); ++row)
    {
        if (reinterpret_cast<ContactInfoEx*>(resultList->GetItemData(row)) == contacts.currentContact)
        {
            target = row;
            break;
        }
    }
    resultList->SetItemState(target, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    resultList->EnsureVisible(target);
}

void CorvalaFrame::OnListItemSelected(wxListEvent& event)
{
    if (syncingSelection || resultList->GetSelectedItemCount() < 1)
        return;
    MakeCurrent(reinterpret_cast<ContactInfoEx*>(resultList->GetItemData(event.GetIndex())));
}

void CorvalaFrame::OnListItemDeselected(wxListEvent&)
{
    if (syncingSelection)
        return;
    // The current contact may be the row that lost its highlight: commands
    // must never act on a contact the user no longer sees selected.
    MakeCurrent(HighlightedContact());
}

void CorvalaFrame::MakeCurrent(ContactInfoEx* contact)
{
    model->contactManager.currentContact = contact;
    ShowSelection();
    model->historyManager.SetCurrentContact(contact);
    RefreshHistoryList();
}

ContactInfoEx* CorvalaFrame::HighlightedContact() const
{
    ContactInfoEx* current = model->contactManager.currentContact;
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

long CorvalaFrame::FindContactRow(const ContactInfoEx* contact) const
{
    for (long row = 0; contact && row < resultList->GetItemCount(); ++row)
    {
        if (reinterpret_cast<const ContactInfoEx*>(resultList->GetItemData(row)) == contact)
            return row;
    }
    return -1;
}

void CorvalaFrame::SelectContact(ContactInfoEx* contact)
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
    MakeCurrent(target != -1 ? contact : nullptr);
}

void CorvalaFrame::OnListItemActivated(wxListEvent& event)
{
    ContactInfoEx* contact = reinterpret_cast<ContactInfoEx*>(resultList->GetItemData(event.GetIndex()));
    if (contact)
        EditContact(contact);
}

void CorvalaFrame::OnListItemRightClick(wxListEvent&)
{
    PopupMenu(&contactMenu);
}

void CorvalaFrame::OnContactNew(wxCommandEvent&)
{
    NewContact();
}

void CorvalaFrame::OnContactEdit(wxCommandEvent&)
{
    if (selection.GetCount() > 1)
    {
        EditSelectedContacts();
        return;
    }
    ContactInfoEx* contact = model->contactManager.currentContact;
    if (contact)
        EditContact(contact);
}

void CorvalaFrame::OnContactCopy(wxCommandEvent&)
{
    ContactInfoEx* contact = model->contactManager.currentContact;
    if (contact)
        CopyContact(contact);
}

void CorvalaFrame::OnContactDelete(wxCommandEvent&)
{
    ContactManager& contacts = model->contactManager;
    wxString question = _("Do you really need to delete the selected contacts? \n\n");
    if (selection.GetCount() > 1)
    {
        if (wxMessageBox(question, _("Confirm"), wxYES_NO, this) != wxYES)
            return;
        // The copy keeps the batch's list stable while the observers rebuild
        // the selection.
        ContactArray batch = selection;
        wxBusyCursor wait;
        BatchInputBlocker block;
        contacts.DeleteContacts(batch);
        return;
    }

    ContactInfoEx* contact = contacts.currentContact;
    if (!contact)
        return;
    if (wxMessageBox(question + contact->last_name + " " + contact->first_name, _("Confirm"), wxYES_NO, this) != wxYES)
        return;
    contacts.Delete(contact);
}

namespace
{
// Runs the contact dialog on the record; true when the user confirmed.
bool RunContactDialog(wxWindow* parent, Corva* model, int mode, ContactInfoEx* contact)
{
    ContactEditDlg dialog(parent, mode, wxID_ANY);
    dialog.SetCorva(model);
    dialog.SetContact(contact);
    return dialog.ShowModal() == wxID_OK;
}
} // namespace

void CorvalaFrame::NewContact()
{
    // Insert leaves the record with its caller.
    std::unique_ptr<ContactInfoEx> contact(new ContactInfoEx());
    if (RunContactDialog(this, model, EDIT_MODE_NEW, contact.get()))
        model->contactManager.Insert(contact.get());
}

void CorvalaFrame::EditContact(ContactInfoEx* contact)
{
    if (RunContactDialog(this, model, EDIT_MODE_EDIT, contact))
        model->contactManager.Update(contact);
}

void CorvalaFrame::EditSelectedContacts()
{
    ContactInfoEx* templ = new ContactInfoEx();
    if (!RunContactDialog(this, model, EDIT_MODE_MULTI, templ))
    {
        delete templ;
        return;
    }
    ContactArray batch = selection;
    wxBusyCursor wait;
    BatchInputBlocker block;
    // Takes the template and destroys it.
    model->contactManager.UpdateContacts(batch, templ);
}

void CorvalaFrame::CopyContact(ContactInfoEx* contact)
{
    std::unique_ptr<ContactInfoEx> copy(new ContactInfoEx(*contact));
    copy->first_name += _("(Copy)");
    if (RunContactDialog(this, model, EDIT_MODE_COPY, copy.get()))
        model->contactManager.Insert(copy.get());
}
