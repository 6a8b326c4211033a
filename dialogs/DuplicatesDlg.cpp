#include "dialogs/DuplicatesDlg.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>

#include <algorithm>
#include <memory>

#include "dialogs/DialogCommon.h"
#include "platform/Platform.h"
#include "storage/ContactManager.h"
#include "storage/DuplicateFinder.h"
#include "storage/StorageHooks.h"

namespace
{
// The shown columns of a contact row (ContactManager::ColumnLabel): the
// names, sex, birthday and the text fields.
const int FIRST_COLUMN = 1;
const int LAST_COLUMN = 38;
// How long the search may go between two looks at the window.
const long PUMP_INTERVAL_MS = 40;

wxString ValueOf(const ContactInfoEx& contact, int column)
{
    switch (column)
    {
    case 1:
        return contact.last_name;
    case 2:
        return contact.last_name_alpha;
    case 3:
        return contact.first_name;
    case 4:
        return contact.first_name_alpha;
    case 5:
        return contact.sex == SEX_MALE ? _("Male") : contact.sex == SEX_FEMALE ? _("Female") : wxString();
    case 6:
        return contact.birthday.IsValid() ? contact.birthday.FormatISODate() : wxString();
    default:
        return contact.*CONTACT_TEXT_FIELDS[column - 7];
    }
}

// One line in a list cell.
wxString OneLine(const wxString& text)
{
    wxString line = text;
    line.Replace("\r", "");
    line.Replace("\n", " ");
    return line;
}
} // namespace

DuplicatesDlg::DuplicatesDlg(wxWindow* parent, wxWindowID id, ContactManager& contacts)
    : wxDialog(parent, id, _("Find duplicates"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER, "wxID_ANY"),
      contactManager(contacts)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* progressRow = new wxBoxSizer(wxHORIZONTAL);
    lblStatus = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(300, -1),
                                 wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, "ID_LBL_STATUS");
    progressRow->Add(lblStatus, 1, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    gauge = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(160, -1), wxGA_HORIZONTAL, wxDefaultValidator,
                        "ID_GAUGE");
    progressRow->Add(gauge, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    buttonStop = MakeButton(this, wxID_ANY, _("&Cancel"), "ID_BUTTON_STOP");
    progressRow->Add(buttonStop, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    top->Add(progressRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, DLG_BORDER);

    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(640, 360), wxLC_REPORT | wxLC_HRULES | wxLC_VRULES,
                          wxDefaultValidator, "ID_LIST_GROUP");
    top->Add(list, 1, wxEXPAND | wxALL, DLG_BORDER);
    top->Add(new wxStaticText(this, wxID_ANY, _("Rows in bold differ between the contacts."), wxDefaultPosition,
                              wxDefaultSize, 0, "ID_STATICTEXT_HINT"),
             0, wxLEFT | wxRIGHT, 2 * DLG_BORDER);

    wxBoxSizer* actions = new wxBoxSizer(wxHORIZONTAL);
    actions->Add(new wxStaticText(this, wxID_ANY, _("Keep:")), 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    choiceKeep = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxSize(200, -1), 0, nullptr, 0, wxDefaultValidator,
                              "ID_CHOICE_KEEP");
    actions->Add(choiceKeep, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    buttonMerge = MakeButton(this, wxID_ANY, _("&Merge"), "ID_BUTTON_MERGE");
    buttonDismiss = MakeButton(this, wxID_ANY, _("&Not a duplicate"), "ID_BUTTON_DISMISS");
    buttonSkip = MakeButton(this, wxID_ANY, _("&Skip"), "ID_BUTTON_SKIP");
    for (wxButton* button : {buttonMerge, buttonDismiss, buttonSkip})
        actions->Add(button, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    actions->AddStretchSpacer();
    buttonClose = MakeButton(this, wxID_CANCEL, _("&Close"), "wxID_CANCEL");
    actions->Add(buttonClose, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    top->Add(actions, 0, wxEXPAND | wxALL, DLG_BORDER);

    FitDialog(this, top);
    EnableChoices(false);

    buttonStop->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { stopRequested = true; });
    buttonMerge->Bind(wxEVT_BUTTON, &DuplicatesDlg::OnMergeClick, this);
    buttonDismiss->Bind(wxEVT_BUTTON, &DuplicatesDlg::OnDismissClick, this);
    buttonSkip->Bind(wxEVT_BUTTON, &DuplicatesDlg::OnSkipClick, this);
    // The user picks the contact to keep by its column too.
    list->Bind(wxEVT_LIST_COL_CLICK,
               [this](wxListEvent& event)
               {
                   const int column = event.GetColumn() - 1;
                   if (column >= 0 && column < static_cast<int>(choiceKeep->GetCount()))
                       choiceKeep->SetSelection(column);
               });
    // The search lets window messages through; closing the dialog then
    // would leave it running unseen.
    KeepOpenWhile(this, searching);
    startTimer.Bind(wxEVT_TIMER,
                    [this](wxTimerEvent&)
                    {
                        if (!started)
                            RunSearch();
                    });
    Bind(wxEVT_INIT_DIALOG,
         [this](wxInitDialogEvent& event)
         {
             event.Skip();
             startTimer.StartOnce(1);
         });
}

bool DuplicatesDlg::RunSearch()
{
    if (searching)
        return false;
    searching = true;
    started = true;
    stopRequested = false;
    groups.clear();
    current = 0;
    EnableChoices(false);
    buttonStop->Enable();
    buttonClose->Disable();
    lblStatus->SetLabelText(_("Searching for duplicates..."));
    bool found = false;
    {
        // Only this dialog answers while the search runs.
        BatchInputBlocker block(this);
        DuplicateFinder finder;
        wxStopWatch sincePump;
        found = finder.Find(groups,
                            [this, &sincePump](int done, int total)
                            {
                                if (sincePump.Time() >= PUMP_INTERVAL_MS)
                                {
                                    gauge->SetRange(std::max(total, 1));
                                    gauge->SetValue(std::min(done, total));
                                    lblStatus->SetLabelText(wxString::Format(
                                        _("Searching for duplicates: %d of %d contacts"), done, total));
                                    for (int i = 0; i < 8; ++i)
                                        PumpOneMessage();
                                    sincePump.Start();
                                }
                                return !stopRequested;
                            });
    }
    searching = false;
    buttonStop->Disable();
    buttonClose->Enable();
    gauge->SetValue(found ? gauge->GetRange() : 0);
    if (!found)
    {
        groups.clear();
        lblStatus->SetLabelText(stopRequested ? _("The search was stopped.") : _("The search failed."));
        return false;
    }
    if (groups.empty())
        lblStatus->SetLabelText(_("No duplicates were found."));
    ShowGroup();
    return true;
}

void DuplicatesDlg::EnableChoices(bool enable)
{
    for (wxWindow* window : {static_cast<wxWindow*>(choiceKeep), static_cast<wxWindow*>(buttonMerge),
                             static_cast<wxWindow*>(buttonDismiss), static_cast<wxWindow*>(buttonSkip)})
        window->Enable(enable);
}

void DuplicatesDlg::ShowGroup()
{
    list->ClearAll();
    choiceKeep->Clear();
    shown.clear();
    std::vector<std::unique_ptr<ContactInfoEx>> contacts;
    // A group whose contacts were deleted or merged meanwhile (another
    // program) is passed over.
    while (current < groups.size())
    {
        contacts.clear();
        for (int id : groups[current])
        {
            std::unique_ptr<ContactInfoEx> contact = contactManager.ReadContact(id);
            if (contact)
                contacts.push_back(std::move(contact));
        }
        if (contacts.size() >= 2)
            break;
        ++current;
    }
    if (current >= groups.size())
    {
        EnableChoices(false);
        if (!groups.empty())
            lblStatus->SetLabelText(_("Every group has been looked at."));
        return;
    }
    lblStatus->SetLabelText(
        wxString::Format(_("Group %d of %d"), static_cast<int>(current + 1), static_cast<int>(groups.size())));

    list->AppendColumn(_("Field"), wxLIST_FORMAT_LEFT, 140);
    for (size_t i = 0; i < contacts.size(); ++i)
    {
        const wxString name = OneLine(contacts[i]->GetDisplayName());
        list->AppendColumn(name, wxLIST_FORMAT_LEFT, 200);
        choiceKeep->Append(name);
        shown.push_back(contacts[i]->id);
    }
    choiceKeep->SetSelection(0);
    wxFont bold = list->GetFont();
    bold.SetWeight(wxFONTWEIGHT_BOLD);
    for (int column = FIRST_COLUMN; column <= LAST_COLUMN; ++column)
    {
        bool any = false, differ = false;
        for (const auto& contact : contacts)
        {
            const wxString value = ValueOf(*contact, column);
            any = any || !value.empty();
            differ = differ || value.Strip(wxString::both) != ValueOf(*contacts[0], column).Strip(wxString::both);
        }
        if (!any)
            continue;
        const long row = list->InsertItem(list->GetItemCount(), ContactManager::ColumnLabel(column));
        for (size_t i = 0; i < contacts.size(); ++i)
            list->SetItem(row, static_cast<int>(i) + 1, OneLine(ValueOf(*contacts[i], column)));
        if (differ)
        {
            list->SetItemFont(row, bold);
            list->SetItemTextColour(row, wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
        }
    }
    EnableChoices(true);
}

void DuplicatesDlg::Next()
{
    ++current;
    ShowGroup();
}

void DuplicatesDlg::OnMergeClick(wxCommandEvent&)
{
    const int keep = choiceKeep->GetSelection();
    if (keep == wxNOT_FOUND || keep >= static_cast<int>(shown.size()))
        return;
    std::vector<int> others;
    for (size_t i = 0; i < shown.size(); ++i)
    {
        if (static_cast<int>(i) != keep)
            others.push_back(shown[i]);
    }
    // A merge that was not stored has been reported; the group stays for
    // another try.
    if (contactManager.MergeContacts(shown[keep], others))
        Next();
}

void DuplicatesDlg::OnDismissClick(wxCommandEvent&)
{
    DuplicateFinder finder;
    if (finder.Dismiss(shown))
        Next();
}

void DuplicatesDlg::OnSkipClick(wxCommandEvent&)
{
    Next();
}
