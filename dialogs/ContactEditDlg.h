// Enters or changes a contact (or, in multi mode, a template applied to
// several contacts) in one property grid. The dialog only fills the record
// and creates new tags; the caller stores the record.
#pragma once

#include <wx/arrstr.h>
#include <wx/dialog.h>

class ContactInfoEx;
class TagManager;
class wxMultiChoicePropertyEx;
class wxPropertyGrid;
class wxStaticBitmap;
class wxStaticText;

enum ContactEditMode
{
    EDIT_MODE_NEW = 0,
    EDIT_MODE_EDIT = 1,
    EDIT_MODE_MULTI = 2,
    EDIT_MODE_COPY = 3,
};

class ContactEditDlg : public wxDialog
{
public:
    // The tags offered and the new ones the user types go through tags.
    ContactEditDlg(wxWindow* parent, int mode, TagManager& tags, wxWindowID id = wxID_ANY);

    // Not owned; set before ShowModal.
    void SetContact(ContactInfoEx* contact)
    {
        this->contact = contact;
    }
    ContactInfoEx* GetContact() const
    {
        return contact;
    }

    wxPropertyGrid* GetPropertyGrid() const
    {
        return propertyGrid;
    }

    void OnDialogInit(wxInitDialogEvent& event);
    void OnButtonOKClick(wxCommandEvent& event);

private:
    // True while the birthday cell's date editor is open.
    bool IsEditingBirthday() const;
    void OnCharHook(wxKeyEvent& event);
    void BuildGrid();
    // Copies the grid into the record; names missing from the grid (multi
    // mode) give empty values. An existing record or its copy gets only the
    // values the user changed.
    void ReadGrid();
    // The ids of the tags typed, making the new ones; false when the tag
    // list could not be read, and nothing was made.
    bool ReadTags(wxArrayInt& tagIds);

    int mode;
    TagManager& tagManager;
    ContactInfoEx* contact = nullptr;
    wxStaticBitmap* bitmapMode;
    wxStaticText* textSingle;
    wxStaticText* textNote;
    wxPropertyGrid* propertyGrid;
    wxMultiChoicePropertyEx* tagsProperty = nullptr;
    wxArrayString currentTagNames;
    wxString initialTagsText;
    bool gridBuilt = false;
};
