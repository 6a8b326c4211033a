// The contact dialog's fixture: the real dialog on the model root's tag
// manager, with helpers that edit the grid as the user does.
#pragma once

#include <wx/checklst.h>
#include <wx/propgrid/propgrid.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include "dialogs/ContactEditDlg.h"
#include "dialogs/DatePicker.h"
#include "dialogs/DateText.h"
#include "dialogs/TagDlg.h"
#include "dialogs/TagEditDlg.h"
#include "dialogs/wxMultiChoicePropertyEx.h"
#include "frame/Corva.h"
#include "storage/ContactInfoEx.h"
#include "storage/Database.h"
#include "tests/dialogs/DialogTestUtil.h"

// Reloads the tag cache on every change, as the main window does.
class CacheReloader : public TagObserver
{
public:
    explicit CacheReloader(TagManager& tags) : tags(tags) {}
    void OnTagChanged() override
    {
        ++notifications;
        tags.Load();
    }
    TagManager& tags;
    int notifications = 0;
};

inline wxArrayString Names(std::initializer_list<const char*> names)
{
    wxArrayString result;
    for (const char* name : names)
        result.Add(name);
    return result;
}

inline wxArrayInt Ids(std::initializer_list<int> ids)
{
    wxArrayInt result;
    for (int id : ids)
        result.Add(id);
    return result;
}

inline std::string Describe(const wxArrayInt& ids)
{
    std::string text = "[";
    for (int id : ids)
        text += std::to_string(id) + " ";
    return text + "]";
}

class ContactEditDlgTest : public CorvalaGuiTest
{
protected:
    ContactEditDlgTest() : corva(Corva::GetInstance()), reloader(corva->tagManager)
    {
        dir.Exec("insert into mst_tags(id, name, display_order) values (1, 'work', 0), (2, 'family', 1), "
                 "(3, 'golf', 4)");
        corva->tagManager.Load();
        corva->tagManager.SetObserver(&reloader);
    }
    ~ContactEditDlgTest() override
    {
        delete corva;
    }

    static ContactInfoEx Anna()
    {
        ContactInfoEx anna;
        anna.id = 5;
        anna.last_name = "Smith";
        anna.last_name_alpha = "smith";
        anna.first_name = "Anna";
        anna.first_name_alpha = "anna";
        anna.sex = 0;
        anna.birthday = wxDateTime(3, wxDateTime::Feb, 1980);
        anna.company = "Acme";
        anna.email = "anna@acme.example";
        anna.home_street_3 = "Flat 2";
        anna.comment = "line one\nline two";
        anna.tagIds = Ids({1, 3});
        return anna;
    }

    // Opens the dialog on the record, runs `drive` inside it, returns the result.
    int Run(int mode, ContactInfoEx& record, const std::function<void(ContactEditDlg&)>& drive)
    {
        ContactEditDlg dlg(nullptr, mode, corva->tagManager);
        dlg.SetContact(&record);
        return RunModal(dlg, [&]() { drive(dlg); });
    }

    // Changes a value the way the user's editing does (marks it modified).
    static void Change(ContactEditDlg& dlg, const wxString& name, const wxVariant& value)
    {
        ASSERT_NE(dlg.GetPropertyGrid()->GetPropertyByName(name), nullptr) << name;
        EXPECT_TRUE(dlg.GetPropertyGrid()->ChangePropertyValue(name, value)) << name;
    }

    // Opens the birthday cell's date editor; returns its text field.
    static wxTextCtrl* OpenBirthday(ContactEditDlg& dlg)
    {
        dlg.GetPropertyGrid()->SelectProperty("birthday", true);
        DatePicker* picker = dynamic_cast<DatePicker*>(dlg.GetPropertyGrid()->GetEditorControl());
        return picker ? picker->GetTextCtrl() : nullptr;
    }

    // Presses OK; returns the text of the message box it showed, if any.
    static wxString PressOk(ContactEditDlg& dlg, bool expectMessage, wxString* caption = nullptr)
    {
        wxString text;
        if (expectMessage)
        {
            wxTEST_DIALOG(Click(&dlg, "wxID_OK"), ExpectMessage(wxOK, &text, caption));
        }
        else
        {
            wxTEST_DIALOG(Click(&dlg, "wxID_OK"), ExpectMessage(wxOK, &text, caption).Optional());
            EXPECT_TRUE(text.empty()) << "unexpected message: " << text;
        }
        return text;
    }

    // Property names top to bottom, categories included.
    static wxArrayString PropertyNames(ContactEditDlg& dlg)
    {
        wxArrayString names;
        for (wxPropertyGridIterator it = dlg.GetPropertyGrid()->GetIterator(wxPG_ITERATE_ALL); !it.AtEnd(); ++it)
            names.Add((*it)->GetLabel());
        return names;
    }

    Corva* corva;
    CacheReloader reloader;
};
