#include "dialogs/ContactEditDlg.h"

#include <wx/button.h>
#include <wx/datectrl.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/propgrid/advprops.h>
#include <wx/propgrid/propgrid.h>
#include <wx/propgrid/props.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "dialogs/DatePicker.h"
#include "dialogs/DateText.h"
#include "dialogs/DialogCommon.h"
#include "dialogs/wxMultiChoicePropertyEx.h"
#include "storage/ContactInfoEx.h"
#include "storage/TagManager.h"

namespace
{
struct TextField
{
    const char* column; // message id of the label, and the property's name once translated
    wxString ContactInfoEx::*field;
};

// Grid order of the two text categories.
const TextField BUSINESS_FIELDS[] = {
    {wxTRANSLATE("company"), &ContactInfoEx::company},
    {wxTRANSLATE("department"), &ContactInfoEx::department},
    {wxTRANSLATE("job_title"), &ContactInfoEx::job_title},
    {wxTRANSLATE("business_phone"), &ContactInfoEx::business_phone},
    {wxTRANSLATE("business_phone_2"), &ContactInfoEx::business_phone_2},
    {wxTRANSLATE("business_mobile"), &ContactInfoEx::business_mobile},
    {wxTRANSLATE("business_mobile_2"), &ContactInfoEx::business_mobile_2},
    {wxTRANSLATE("business_fax"), &ContactInfoEx::business_fax},
    {wxTRANSLATE("business_fax_2"), &ContactInfoEx::business_fax_2},
    {wxTRANSLATE("email"), &ContactInfoEx::email},
    {wxTRANSLATE("webpage"), &ContactInfoEx::webpage},
    {wxTRANSLATE("business_im"), &ContactInfoEx::business_im},
    {wxTRANSLATE("business_im_2"), &ContactInfoEx::business_im_2},
    {wxTRANSLATE("business_im_3"), &ContactInfoEx::business_im_3},
    {wxTRANSLATE("business_street"), &ContactInfoEx::business_street},
    {wxTRANSLATE("business_street_2"), &ContactInfoEx::business_street_2},
    {wxTRANSLATE("business_street_3"), &ContactInfoEx::business_street_3},
};

const TextField HOME_FIELDS[] = {
    {wxTRANSLATE("home_phone"), &ContactInfoEx::home_phone},
    {wxTRANSLATE("home_phone_2"), &ContactInfoEx::home_phone_2},
    {wxTRANSLATE("home_mobile"), &ContactInfoEx::home_mobile},
    {wxTRANSLATE("home_mobile_2"), &ContactInfoEx::home_mobile_2},
    {wxTRANSLATE("home_fax"), &ContactInfoEx::home_fax},
    {wxTRANSLATE("home_fax_2"), &ContactInfoEx::home_fax_2},
    {wxTRANSLATE("email_2"), &ContactInfoEx::email_2},
    {wxTRANSLATE("webpage_2"), &ContactInfoEx::webpage_2},
    {wxTRANSLATE("home_im"), &ContactInfoEx::home_im},
    {wxTRANSLATE("home_im_2"), &ContactInfoEx::home_im_2},
    {wxTRANSLATE("home_im_3"), &ContactInfoEx::home_im_3},
    {wxTRANSLATE("home_street"), &ContactInfoEx::home_street},
    {wxTRANSLATE("home_street_2"), &ContactInfoEx::home_street_2},
    {wxTRANSLATE("home_street_3"), &ContactInfoEx::home_street_3},
};

const TextField BASE_NAME_FIELDS[] = {
    {wxTRANSLATE("last_name"), &ContactInfoEx::last_name},
    {wxTRANSLATE("last_name_alpha"), &ContactInfoEx::last_name_alpha},
    {wxTRANSLATE("first_name"), &ContactInfoEx::first_name},
    {wxTRANSLATE("first_name_alpha"), &ContactInfoEx::first_name_alpha},
};

const TextField COMMENT_FIELD = {wxTRANSLATE("comment"), &ContactInfoEx::comment};

wxString Label(const char* messageId)
{
    return wxGetTranslation(messageId);
}

// The sex labels are translated once, when the first dialog is built.
wxPGChoices SexChoices()
{
    static wxArrayString labels;
    if (labels.empty())
    {
        labels.Add(_("Male"));
        labels.Add(_("Female"));
        labels.Add(_("Not stated"));
    }
    static const long values[] = {SEX_MALE, SEX_FEMALE, SEX_NOT_STATED};
    return wxPGChoices(labels, wxArrayInt(values, values + 3));
}

// The tag of a name typed or ticked in the tag text. Names stored with
// blanks around them before names were trimmed are found by their trimmed
// name, instead of getting a twin.
// A name the alphabet index can file as it is: Latin letters (with their
// accented forms, whatever the locale says), blanks, hyphens, apostrophes
// and dots.
bool IsLatinName(const wxString& name)
{
    if (name.empty())
        return false;
    for (wxUniChar c : name)
    {
        const wxUint32 v = c.GetValue();
        const bool letter =
            (v >= 'A' && v <= 'Z') || (v >= 'a' && v <= 'z') || (v >= 0xC0 && v < 0x250 && v != 0xD7 && v != 0xF7);
        if (!letter && wxString(" -'.").Find(c) == wxNOT_FOUND)
            return false;
    }
    return true;
}

// An alphabet spelling left empty is the name itself, as an import files it.
void FillAlphabetName(const wxString& name, wxString& alpha)
{
    wxString trimmed = name;
    trimmed.Trim(true).Trim(false);
    if (alpha.empty() && IsLatinName(trimmed))
        alpha = trimmed;
}

TagInfo* FindTag(TagManager& tags, const wxString& name)
{
    if (TagInfo* tag = tags.FindByName(name))
        return tag;
    for (TagInfo* tag : tags.GetTagsByDisplayOrder())
    {
        wxString stored = tag->name;
        if (stored.Trim(true).Trim(false).CmpNoCase(name) == 0)
            return tag;
    }
    return nullptr;
}

// A text property's value, or empty when the grid has no such property.
wxString ReadText(wxPropertyGrid* grid, const char* column)
{
    wxPGProperty* property = grid->GetPropertyByName(Label(column));
    if (!property)
        return wxString();
    wxVariant value = property->GetValue();
    return value.IsNull() ? wxString() : value.GetString();
}
} // namespace

ContactEditDlg::ContactEditDlg(wxWindow* parent, int mode, TagManager& tags, wxWindowID id)
    : wxDialog(parent, id, _("Contact detail dialog"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "id"),
      mode(mode), tagManager(tags)
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* header = new wxBoxSizer(wxHORIZONTAL);
    bitmapMode = new wxStaticBitmap(this, wxID_ANY, LoadDialogBitmap("ContactEdit_s48_01.png"), wxDefaultPosition,
                                    wxDefaultSize, 0, "ID_STATICBITMAP_MODE");
    header->Add(bitmapMode, 0, wxALL | wxALIGN_CENTER_VERTICAL, DLG_BORDER);
    wxBoxSizer* texts = new wxBoxSizer(wxVERTICAL);
    textSingle = new wxStaticText(this, wxID_ANY, _("You can add and edit contact detail information by this dialog."),
                                  wxDefaultPosition, wxSize(370, 48), 0, "ID_STATICTEXT_SINGLE");
    texts->Add(textSingle, 0, wxALL | wxEXPAND, DLG_BORDER);
    textNote = new wxStaticText(this, wxID_ANY,
                                _("The input information will overwrited all the selected contact. Please note it."),
                                wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT_NOTE");
    textNote->SetForegroundColour(*wxRED);
    textNote->Wrap(370);
    textNote->Hide();
    texts->Add(textNote, 0, wxALL | wxEXPAND, DLG_BORDER);
    header->Add(texts, 1, wxALIGN_CENTER_VERTICAL);
    top->Add(header, 0, wxEXPAND | wxALL, DLG_BORDER);

    propertyGrid = new wxPropertyGrid(this, wxID_ANY, wxDefaultPosition, wxSize(200, 200),
                                      wxPG_DEFAULT_STYLE | wxPG_BOLD_MODIFIED);
    top->Add(propertyGrid, 1, wxEXPAND | wxLEFT | wxRIGHT, DLG_BORDER * 2);

    top->Add(MakeOkCancelButtons(this), 0, wxEXPAND | wxALL, DLG_BORDER * 2);
    SetSizerAndFit(top);
    // Room for the names and values without scrolling through a keyhole.
    wxSize size = GetSize();
    size.IncTo(FromDIP(wxSize(460, 600)));
    SetSize(size);
    CentreOnParent();

    Bind(wxEVT_INIT_DIALOG, &ContactEditDlg::OnDialogInit, this);
    Bind(wxEVT_BUTTON, &ContactEditDlg::OnButtonOKClick, this, wxID_OK);
    Bind(wxEVT_CHAR_HOOK, &ContactEditDlg::OnCharHook, this);
}

bool ContactEditDlg::IsEditingBirthday() const
{
    wxPGProperty* selected = propertyGrid->GetSelection();
    return selected && selected->GetEditorClass() == DatePickerEditor::Get() && propertyGrid->GetEditorControl();
}

void ContactEditDlg::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if ((key != WXK_RETURN && key != WXK_NUMPAD_ENTER) || !IsEditingBirthday())
    {
        event.Skip();
        return;
    }
    wxWindow* editor = propertyGrid->GetEditorControl();
    for (wxWindow* target = wxDynamicCast(event.GetEventObject(), wxWindow); target; target = target->GetParent())
    {
        if (target == editor)
        {
            // Enter in the date editor takes the date, as it does in the
            // other cells; it must not close the dialog with OK.
            propertyGrid->CommitChangesFromEditor();
            return;
        }
    }
    event.Skip();
}

void ContactEditDlg::OnDialogInit(wxInitDialogEvent& event)
{
    event.Skip();
    if (gridBuilt)
        return;
    gridBuilt = true;
    BuildGrid();
}

void ContactEditDlg::BuildGrid()
{
    // The tag choices follow the display order the user gives the tags.
    wxArrayString allTagNames;
    for (const TagInfo* tag : tagManager.GetTagsByDisplayOrder())
        allTagNames.Add(tag->name);
    if (!contact)
        return;
    if (mode < EDIT_MODE_NEW || mode > EDIT_MODE_COPY)
        return;

    const bool showValues = mode == EDIT_MODE_EDIT || mode == EDIT_MODE_COPY;
    auto textProperty = [&](const TextField& field)
    {
        const wxString label = Label(field.column);
        return new wxStringProperty(label, label, showValues ? contact->*field.field : wxString());
    };

    if (mode == EDIT_MODE_MULTI)
    {
        bitmapMode->SetBitmap(LoadDialogBitmap("ContactEdit_s48_02.png"));
        textSingle->Hide();
        textNote->Show();
        Layout();
    }
    else
    {
        propertyGrid->Append(new wxPropertyCategory(_("Base information")));
        for (const TextField& field : BASE_NAME_FIELDS)
            propertyGrid->Append(textProperty(field));
        const wxString sexLabel = Label(wxTRANSLATE("sex"));
        wxPGChoices sexChoices = SexChoices();
        propertyGrid->Append(
            new wxEnumProperty(sexLabel, sexLabel, sexChoices, mode == EDIT_MODE_NEW ? 1 : contact->sex));
        const wxString birthdayLabel = Label(wxTRANSLATE("birthday"));
        wxPGProperty* birthday = propertyGrid->Append(
            new wxDateProperty(birthdayLabel, birthdayLabel, mode == EDIT_MODE_NEW ? wxDateTime() : contact->birthday));
        birthday->SetAttribute(wxPG_DATE_PICKER_STYLE,
                               static_cast<long>(wxDP_DROPDOWN | wxDP_SHOWCENTURY | wxDP_ALLOWNONE));
        // Year/month/day like every other date of the program, shown and edited.
        birthday->SetAttribute(wxPG_DATE_FORMAT, DateText::DATE_FORMAT);
        birthday->SetEditor(DatePickerEditor::Get());
    }

    propertyGrid->Append(new wxPropertyCategory(_("Business information")));
    for (const TextField& field : BUSINESS_FIELDS)
        propertyGrid->Append(textProperty(field));

    propertyGrid->Append(new wxPropertyCategory(_("Home information")));
    for (const TextField& field : HOME_FIELDS)
        propertyGrid->Append(textProperty(field));

    propertyGrid->Append(new wxPropertyCategory(_("Other information")));
    const wxString commentLabel = Label(COMMENT_FIELD.column);
    propertyGrid->Append(
        new wxLongStringProperty(commentLabel, commentLabel, showValues ? contact->comment : wxString()));

    currentTagNames.Clear();
    if (showValues)
        tagManager.GetTagNamesByIds(contact->tagIds, currentTagNames);
    const wxString tagLabel = _("Tag");
    tagsProperty = new wxMultiChoicePropertyEx(tagLabel, tagLabel, allTagNames, currentTagNames);
    propertyGrid->Append(tagsProperty);
    tagsProperty->SetAttribute(wxPG_ATTR_MULTICHOICE_USERSTRINGMODE, true);
    initialTagsText = tagsProperty->GetValueAsString();

    propertyGrid->SetSplitterLeft();
}

void ContactEditDlg::OnButtonOKClick(wxCommandEvent&)
{
    // Text still in an open editor counts as entered.
    propertyGrid->CommitChangesFromEditor();

    if (!propertyGrid->IsAnyModified())
    {
        wxMessageBox(_("Nothing be modified!"), _("Corvala"), wxOK | wxCENTRE, this);
        return;
    }
    if (mode != EDIT_MODE_MULTI)
    {
        wxString last = ReadText(propertyGrid, "last_name");
        wxString first = ReadText(propertyGrid, "first_name");
        if (last.Trim(true).Trim(false).empty() || first.Trim(true).Trim(false).empty())
        {
            wxMessageBox(_("The Last name and First name are necessary."), _("Corvala"), wxOK | wxCENTRE, this);
            return;
        }
    }
    if (contact)
    {
        // The tags first: when they cannot be read (another program's lock)
        // the dialog stays open and the record is untouched.
        wxArrayInt tagIds;
        if (!ReadTags(tagIds))
            return;
        ReadGrid();
        if (mode != EDIT_MODE_MULTI)
        {
            FillAlphabetName(contact->last_name, contact->last_name_alpha);
            FillAlphabetName(contact->first_name, contact->first_name_alpha);
        }
        if (tagsProperty && tagsProperty->GetValueAsString().CmpNoCase(initialTagsText) != 0)
            contact->tagIds = tagIds;
    }
    EndModal(wxID_OK);
}

void ContactEditDlg::ReadGrid()
{
    // Editing an existing record (or its copy) writes back only what the
    // user changed: a value the grid cannot show as it is stored (a time of
    // day in the birthday, a sex value outside the two choices) must reach
    // the record untouched.
    const bool onlyChanged = mode == EDIT_MODE_EDIT || mode == EDIT_MODE_COPY;
    auto property = [&](const char* column) -> wxPGProperty*
    {
        wxPGProperty* found = propertyGrid->GetPropertyByName(Label(column));
        return found && onlyChanged && !found->HasFlag(wxPG_PROP_MODIFIED) ? nullptr : found;
    };
    auto readText = [&](const TextField& field)
    {
        if (onlyChanged && !property(field.column))
            return;
        contact->*field.field = ReadText(propertyGrid, field.column);
    };

    for (const TextField& field : BASE_NAME_FIELDS)
        readText(field);

    wxPGProperty* sex = property(wxTRANSLATE("sex"));
    if (sex || !onlyChanged)
        contact->sex = sex ? static_cast<int>(sex->GetValue().GetLong()) : 0;

    wxPGProperty* birthday = property(wxTRANSLATE("birthday"));
    if (birthday || !onlyChanged)
    {
        wxVariant date = birthday ? birthday->GetValue() : wxVariant();
        contact->birthday = (!date.IsNull() && date.GetType() == "datetime") ? date.GetDateTime() : wxDateTime();
    }

    for (const TextField& field : BUSINESS_FIELDS)
        readText(field);
    for (const TextField& field : HOME_FIELDS)
        readText(field);
    readText(COMMENT_FIELD);
}

bool ContactEditDlg::ReadTags(wxArrayInt& tagIds)
{
    if (!tagsProperty)
        return true;
    const wxString text = tagsProperty->GetValueAsString();
    if (text.CmpNoCase(initialTagsText) == 0)
        return true;

    TagManager& tags = tagManager;
    bool loaded = false;
    const wxArrayString pieces = wxSplit(text, '"', '\0');
    for (wxString name : pieces)
    {
        name.Trim(true).Trim(false);
        if (name.empty())
            continue;
        TagInfo* tag = FindTag(tags, name);
        if (!tag && !loaded)
        {
            // Another program may have made the tag since the list was read,
            // or the list was never read: a tag is made only from a fresh
            // list, and a list that cannot be read stops the save (its
            // failure was reported).
            if (!tags.Load())
                return false;
            loaded = true;
            tag = FindTag(tags, name);
        }
        if (!tag)
        {
            TagInfo created(-1, name, -1);
            // Insert notifies the main window, which reloads the tag cache.
            tags.Insert(&created);
            tag = FindTag(tags, name);
        }
        // Still unknown: the insert failed and was reported. Storing the
        // rest of the edit without the tag would lose part of it, so the
        // save stops and the dialog stays open.
        if (!tag)
            return false;
        // "Work" and "work" are one tag, linked once.
        if (tagIds.Index(tag->id) == wxNOT_FOUND)
            tagIds.Add(tag->id);
    }
    return true;
}
