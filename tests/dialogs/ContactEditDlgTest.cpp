#include "tests/dialogs/ContactEditDlgFixture.h"

namespace
{
const char* const BUSINESS_AND_HOME[] = {"Business information",
                                         "company",
                                         "department",
                                         "job_title",
                                         "business_phone",
                                         "business_phone_2",
                                         "business_mobile",
                                         "business_mobile_2",
                                         "business_fax",
                                         "business_fax_2",
                                         "email",
                                         "webpage",
                                         "business_im",
                                         "business_im_2",
                                         "business_im_3",
                                         "business_street",
                                         "business_street_2",
                                         "business_street_3",
                                         "Home information",
                                         "home_phone",
                                         "home_phone_2",
                                         "home_mobile",
                                         "home_mobile_2",
                                         "home_fax",
                                         "home_fax_2",
                                         "email_2",
                                         "webpage_2",
                                         "home_im",
                                         "home_im_2",
                                         "home_im_3",
                                         "home_street",
                                         "home_street_2",
                                         "home_street_3",
                                         "Other information",
                                         "comment",
                                         "Tag"};
} // namespace

TEST_F(ContactEditDlgTest, PropertyClassIsCreatableByName)
{
    wxObject* made = wxCreateDynamicObject("wxMultiChoicePropertyEx");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(wxCLASSINFO(wxMultiChoiceProperty)));
    wxMultiChoicePropertyEx* property = dynamic_cast<wxMultiChoicePropertyEx*>(made);
    ASSERT_NE(property, nullptr);
    EXPECT_EQ(property->GetChoices().GetCount(), 0u);
    delete made;
}

TEST_F(ContactEditDlgTest, NewContactGridHasEveryPropertyInOrder)
{
    ContactInfoEx record;
    Run(EDIT_MODE_NEW, record,
        [&](ContactEditDlg& dlg)
        {
            EXPECT_EQ(dlg.GetTitle(), "Contact detail dialog");
            wxArrayString expected = Names({"Base information", "last_name", "last_name_alpha", "first_name",
                                            "first_name_alpha", "sex", "birthday"});
            for (const char* name : BUSINESS_AND_HOME)
                expected.Add(name);
            EXPECT_EQ(PropertyNames(dlg), expected);

            wxPropertyGrid* grid = dlg.GetPropertyGrid();
            EXPECT_TRUE(grid->HasFlag(wxPG_BOLD_MODIFIED));
            EXPECT_EQ(grid->GetPropertyByName("sex")->GetValue().GetLong(), 1) << "Male";
            EXPECT_EQ(grid->GetPropertyByName("sex")->GetValueAsString(), "Male");
            EXPECT_EQ(grid->GetPropertyByName("birthday")->GetValueAsString(), "") << "no birthday until one is typed";
            EXPECT_EQ(grid->GetPropertyByName("birthday")->GetAttributeAsLong("PickerStyle", 0), 14);
            EXPECT_TRUE(grid->GetPropertyByName("company")->GetValueAsString().empty());
            EXPECT_NE(dynamic_cast<wxLongStringProperty*>(grid->GetPropertyByName("comment")), nullptr);

            wxMultiChoicePropertyEx* tags = dynamic_cast<wxMultiChoicePropertyEx*>(grid->GetPropertyByName("Tag"));
            ASSERT_NE(tags, nullptr);
            EXPECT_EQ(tags->GetChoices().GetLabels(), Names({"work", "family", "golf"})) << "choices by display order";
            EXPECT_TRUE(tags->GetValueAsString().empty());
            EXPECT_EQ(tags->GetAttributeAsLong("UserStringMode", 0), 1);

            EXPECT_TRUE(FindChild(&dlg, "ID_STATICTEXT_SINGLE")->IsShown());
            EXPECT_FALSE(FindChild(&dlg, "ID_STATICTEXT_NOTE")->IsShown());
            Click(&dlg, "wxID_CANCEL");
        });
}

TEST_F(ContactEditDlgTest, MultiModeHasNoBaseInformationAndShowsTheNote)
{
    ContactInfoEx record;
    Run(EDIT_MODE_MULTI, record,
        [&](ContactEditDlg& dlg)
        {
            wxArrayString expected;
            for (const char* name : BUSINESS_AND_HOME)
                expected.Add(name);
            EXPECT_EQ(PropertyNames(dlg), expected);
            EXPECT_FALSE(FindChild(&dlg, "ID_STATICTEXT_SINGLE")->IsShown());
            EXPECT_TRUE(FindChild(&dlg, "ID_STATICTEXT_NOTE")->IsShown());
            EXPECT_EQ(FindChild(&dlg, "ID_STATICTEXT_NOTE")->GetForegroundColour(), *wxRED);
            Click(&dlg, "wxID_CANCEL");
        });
}

TEST_F(ContactEditDlgTest, OkRightAfterOpeningChangesNothingInAnyMode)
{
    for (int mode : {EDIT_MODE_NEW, EDIT_MODE_EDIT, EDIT_MODE_MULTI, EDIT_MODE_COPY})
    {
        ContactInfoEx record = mode == EDIT_MODE_EDIT || mode == EDIT_MODE_COPY ? Anna() : ContactInfoEx();
        if (mode == EDIT_MODE_COPY)
            record.first_name += "(Copy)";
        const ContactInfoEx before = record;
        wxString caption;
        int rc = Run(mode, record,
                     [&](ContactEditDlg& dlg)
                     { EXPECT_EQ(PressOk(dlg, true, &caption), "Nothing be modified!") << "mode " << mode; });
        EXPECT_EQ(rc, STAYED_OPEN) << "mode " << mode << ": the dialog stays open";
        EXPECT_EQ(caption, "Corvala");
        EXPECT_EQ(record.first_name, before.first_name) << "mode " << mode;
        EXPECT_EQ(record.company, before.company) << "mode " << mode;
        EXPECT_EQ(record.tagIds, before.tagIds) << "mode " << mode;
    }
}

TEST_F(ContactEditDlgTest, EditShowsTheRecordAndWritesOnlyOnOk)
{
    ContactInfoEx anna = Anna();
    int rc = Run(EDIT_MODE_EDIT, anna,
                 [&](ContactEditDlg& dlg)
                 {
                     wxPropertyGrid* grid = dlg.GetPropertyGrid();
                     EXPECT_EQ(grid->GetPropertyByName("last_name")->GetValueAsString(), "Smith");
                     EXPECT_EQ(grid->GetPropertyByName("sex")->GetValueAsString(), "Female");
                     EXPECT_EQ(grid->GetPropertyByName("birthday")->GetValue().GetDateTime(),
                               wxDateTime(3, wxDateTime::Feb, 1980));
                     EXPECT_EQ(grid->GetPropertyByName("home_street_3")->GetValueAsString(), "Flat 2");
                     EXPECT_EQ(grid->GetPropertyByName("comment")->GetValue().GetString(), "line one\nline two");
                     EXPECT_EQ(grid->GetPropertyByName("Tag")->GetValueAsString(), "\"work\" \"golf\"");
                     Change(dlg, "company", "Globex");
                     Click(&dlg, "wxID_CANCEL");
                 });
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_EQ(anna.company, "Acme") << "Cancel leaves the live record untouched";

    rc = Run(EDIT_MODE_EDIT, anna,
             [&](ContactEditDlg& dlg)
             {
                 Change(dlg, "company", "Globex");
                 Change(dlg, "sex", 1L);
                 Change(dlg, "birthday", wxVariant(wxDateTime(4, wxDateTime::Mar, 1981)));
                 PressOk(dlg, false);
             });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(anna.company, "Globex");
    EXPECT_EQ(anna.sex, 1);
    EXPECT_TRUE(anna.birthday.IsSameDate(wxDateTime(4, wxDateTime::Mar, 1981)));
    EXPECT_EQ(anna.last_name, "Smith");
    EXPECT_EQ(anna.email, "anna@acme.example");
    EXPECT_EQ(anna.comment, "line one\nline two") << "the long text comes back unescaped";
    EXPECT_EQ(anna.tagIds, Ids({1, 3})) << "tags untouched";

    // A sex the source did not state shows as such and can be chosen.
    anna.sex = SEX_NOT_STATED;
    rc = Run(EDIT_MODE_EDIT, anna,
             [&](ContactEditDlg& dlg)
             {
                 EXPECT_EQ(dlg.GetPropertyGrid()->GetPropertyByName("sex")->GetValueAsString(), "Not stated");
                 Change(dlg, "sex", 0L);
                 Change(dlg, "sex", static_cast<long>(SEX_NOT_STATED));
                 PressOk(dlg, false);
             });
    EXPECT_EQ(anna.sex, SEX_NOT_STATED);
    EXPECT_EQ(anna.id, 5);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts"), 0) << "the dialog itself stores nothing";
}

TEST_F(ContactEditDlgTest, BirthdayIsShownAndTypedAsYearMonthDay)
{
    ContactInfoEx anna = Anna();
    auto typeBirthday = [&](const wxString& text, bool valid)
    {
        return Run(EDIT_MODE_EDIT, anna,
                   [&](ContactEditDlg& dlg)
                   {
                       wxPropertyGrid* grid = dlg.GetPropertyGrid();
                       wxPGProperty* birthday = grid->GetPropertyByName("birthday");
                       EXPECT_EQ(DateText::Date(anna.birthday), birthday->GetValueAsString()) << "shown";
                       grid->SelectProperty(birthday, true);
                       DatePicker* picker = dynamic_cast<DatePicker*>(grid->GetEditorControl());
                       ASSERT_TRUE(picker) << "the birthday is edited in the program's date picker";
                       EXPECT_EQ(DateText::Date(anna.birthday), picker->GetTextCtrl()->GetValue()) << "edited";
                       picker->GetTextCtrl()->SetValue(text);
                       EXPECT_EQ(valid, picker->GetDate().IsValid()) << text;
                       PressOk(dlg, false);
                   });
    };
    EXPECT_EQ(wxID_OK, typeBirthday("1981/03/04", true));
    EXPECT_TRUE(anna.birthday.IsSameDate(wxDateTime(4, wxDateTime::Mar, 1981)));
    EXPECT_EQ("1981/03/04", DateText::Date(anna.birthday));
    EXPECT_EQ(wxID_OK, typeBirthday("", false)) << "the birthday may be emptied";
    EXPECT_FALSE(anna.birthday.IsValid());

    wxDateTime date(1, wxDateTime::Jan, 2000);
    EXPECT_TRUE(DateText::Parse(" 2026-12-7 ", date)) << "dashes and single digits are read too";
    EXPECT_EQ("2026/12/07", DateText::Date(date));
    for (const char* notADate : {"12/07/2026", "2026/13/01", "2026/02/30", "2026/12/07x", "x"})
        EXPECT_FALSE(DateText::Parse(notADate, date)) << notADate;
    EXPECT_EQ("2026/12/07", DateText::Date(date)) << "a text that is no date changes nothing";
    EXPECT_EQ("2026/12/07 09:05", DateText::DateTime(wxDateTime(7, wxDateTime::Dec, 2026, 9, 5)));
}

TEST_F(ContactEditDlgTest, NamesAreCheckedTrimmedButStoredAsTyped)
{
    ContactInfoEx record;
    int rc = Run(EDIT_MODE_NEW, record,
                 [&](ContactEditDlg& dlg)
                 {
                     Change(dlg, "last_name", "   ");
                     Change(dlg, "first_name", "Anna");
                     EXPECT_EQ(PressOk(dlg, true), "The Last name and First name are necessary.");
                     EXPECT_TRUE(record.first_name.empty()) << "nothing written while names are missing";
                     EXPECT_EQ(dlg.GetPropertyGrid()->GetPropertyByName("first_name")->GetValueAsString(), "Anna")
                         << "the input stays";

                     Change(dlg, "last_name", "Smith");
                     Change(dlg, "first_name", "\t ");
                     EXPECT_EQ(PressOk(dlg, true), "The Last name and First name are necessary.");

                     Change(dlg, "first_name", "  Anna ");
                     Change(dlg, "last_name", " Smith");
                     PressOk(dlg, false);
                 });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(record.last_name, " Smith");
    EXPECT_EQ(record.first_name, "  Anna ");
    EXPECT_EQ(record.sex, 1) << "new contacts start as Male";
    EXPECT_FALSE(record.birthday.IsValid()) << "a new contact has no birthday unless one is typed";
    EXPECT_TRUE(record.tagIds.empty());
}

TEST_F(ContactEditDlgTest, BirthdayCanBeClearedAndUntouchedValuesStay)
{
    for (int mode : {EDIT_MODE_NEW, EDIT_MODE_EDIT, EDIT_MODE_COPY})
    {
        ContactInfoEx record = mode == EDIT_MODE_NEW ? ContactInfoEx() : Anna();
        bool enterTaken = false;
        Run(mode, record,
            [&](ContactEditDlg& dlg)
            {
                wxTextCtrl* text = OpenBirthday(dlg);
                ASSERT_TRUE(text);
                if (mode == EDIT_MODE_NEW)
                    text->SetValue("1990/01/02"); // typed, then thought better of
                ASSERT_FALSE(text->IsEmpty());
                text->SetValue(wxString()); // the user deletes the date
                wxKeyEvent enter(wxEVT_CHAR_HOOK);
                enter.m_keyCode = WXK_RETURN;
                enter.SetEventObject(text);
                enterTaken = text->ProcessWindowEvent(enter);
                dlg.GetPropertyGrid()->SelectProperty("company");
                Change(dlg, "last_name", "Brown");
                Change(dlg, "first_name", "Tom");
                PressOk(dlg, false);
            });
        EXPECT_TRUE(enterTaken) << "mode " << mode << ": Enter is the cell's, not the dialog's OK";
        EXPECT_FALSE(record.birthday.IsValid()) << "mode " << mode << ": the old date came back";
    }

    // An unset birthday opens empty, not on today; untouched values the grid
    // cannot show as stored come back exactly.
    ContactInfoEx odd = Anna();
    odd.birthday = wxDateTime();
    odd.sex = 2;
    odd.comment = "tab\there\r\n";
    ContactInfoEx record = odd;
    Run(EDIT_MODE_EDIT, record,
        [&](ContactEditDlg& dlg)
        {
            EXPECT_EQ(OpenBirthday(dlg)->GetValue(), "");
            Change(dlg, "company", "Globex");
            PressOk(dlg, false);
        });
    EXPECT_FALSE(record.birthday.IsValid());
    EXPECT_EQ(record.sex, 2);
    EXPECT_EQ(record.comment, odd.comment);

    // A birthday stored with a time of day, opened in the date field and
    // left as shown, keeps its time.
    odd.birthday = wxDateTime(3, wxDateTime::Feb, 1980, 12, 30);
    record = odd;
    Run(EDIT_MODE_EDIT, record,
        [&](ContactEditDlg& dlg)
        {
            EXPECT_EQ(OpenBirthday(dlg)->GetValue(), "1980/02/03");
            Change(dlg, "company", "Initech");
            PressOk(dlg, false);
        });
    EXPECT_EQ(record.birthday, odd.birthday) << DateText::DateTime(record.birthday);
}

TEST_F(ContactEditDlgTest, MultiModeTemplateHasOnlyWhatWasEntered)
{
    ContactInfoEx templ;
    int rc = Run(EDIT_MODE_MULTI, templ,
                 [&](ContactEditDlg& dlg)
                 {
                     Change(dlg, "company", "Initech");
                     PressOk(dlg, false);
                 });
    EXPECT_EQ(rc, wxID_OK) << "no name check in multi mode";
    EXPECT_EQ(templ.company, "Initech");
    EXPECT_TRUE(templ.last_name.empty());
    EXPECT_TRUE(templ.first_name.empty());
    EXPECT_EQ(templ.sex, 0);
    EXPECT_FALSE(templ.birthday.IsValid());
    EXPECT_TRUE(templ.department.empty());
    EXPECT_TRUE(templ.comment.empty());
    EXPECT_TRUE(templ.tagIds.empty()) << "no tags: the contacts keep theirs";

    ContactInfoEx withTags;
    rc = Run(EDIT_MODE_MULTI, withTags,
             [&](ContactEditDlg& dlg)
             {
                 Change(dlg, "Tag", wxVariant(Names({"family", "golf"})));
                 PressOk(dlg, false);
             });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(withTags.tagIds, Ids({2, 3}));
    EXPECT_TRUE(withTags.company.empty());
}

TEST_F(ContactEditDlgTest, TagTextResolvesToTags)
{
    // Only the letter case changed: not a tag change, the ids stay as they
    // were (99 is not in the cache, so a rebuild would drop it).
    {
        ContactInfoEx anna = Anna();
        anna.tagIds = Ids({1, 99});
        Run(EDIT_MODE_EDIT, anna,
            [&](ContactEditDlg& dlg)
            {
                Change(dlg, "Tag", wxVariant(Names({"WORK"})));
                PressOk(dlg, false);
            });
        EXPECT_EQ(anna.tagIds, Ids({1, 99})) << Describe(anna.tagIds);
    }
    // An existing tag typed in another case is attached; nothing created.
    {
        ContactInfoEx anna = Anna();
        Run(EDIT_MODE_EDIT, anna,
            [&](ContactEditDlg& dlg)
            {
                Change(dlg, "Tag", wxVariant(Names({"FAMILY", " Golf "})));
                PressOk(dlg, false);
            });
        EXPECT_EQ(anna.tagIds, Ids({2, 3})) << Describe(anna.tagIds);
        EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags"), 3);
        EXPECT_EQ(reloader.notifications, 0);
    }
    // The same tag twice, in any letter case, is linked once; a tag stored
    // with blanks around its name is found by the trimmed name.
    {
        dir.Exec("insert into mst_tags(id, name, display_order) values (4, ' Chess ', 5)");
        corva->tagManager.Load();
        ContactInfoEx anna = Anna();
        Run(EDIT_MODE_EDIT, anna,
            [&](ContactEditDlg& dlg)
            {
                Change(dlg, "Tag", wxVariant(Names({"Work", "family", "work", "chess"})));
                PressOk(dlg, false);
            });
        EXPECT_EQ(anna.tagIds, Ids({1, 2, 4})) << Describe(anna.tagIds);
        EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags"), 4) << "no twin tag created";
    }
    // An emptied tag text removes every tag of the contact.
    {
        ContactInfoEx anna = Anna();
        Run(EDIT_MODE_EDIT, anna,
            [&](ContactEditDlg& dlg)
            {
                Change(dlg, "Tag", wxVariant(wxArrayString()));
                PressOk(dlg, false);
            });
        EXPECT_TRUE(anna.tagIds.empty()) << Describe(anna.tagIds);
    }
}

TEST_F(ContactEditDlgTest, NewTagNamesBecomeTags)
{
    ContactInfoEx record;
    Run(EDIT_MODE_NEW, record,
        [&](ContactEditDlg& dlg)
        {
            Change(dlg, "last_name", "Brown");
            Change(dlg, "first_name", "Tom");
            Change(dlg, "Tag", wxVariant(Names({"work", "Chess"})));
            PressOk(dlg, false);
        });
    const int chess = dir.ScalarInt("select id from mst_tags where name = 'Chess'");
    ASSERT_GT(chess, 0) << "the new name is stored as a tag";
    EXPECT_EQ(dir.ScalarInt("select display_order from mst_tags where name = 'Chess'"), 5) << "next display order";
    EXPECT_EQ(record.tagIds, Ids({1, chess})) << Describe(record.tagIds);
    EXPECT_EQ(reloader.notifications, 1);

    // A quote cannot be part of a name: it splits it.
    ContactInfoEx quoted = Anna();
    Run(EDIT_MODE_EDIT, quoted,
        [&](ContactEditDlg& dlg)
        {
            Change(dlg, "Tag", wxVariant(Names({"tennis\"club"})));
            PressOk(dlg, false);
        });
    const int tennis = dir.ScalarInt("select id from mst_tags where name = 'tennis'");
    const int club = dir.ScalarInt("select id from mst_tags where name = 'club'");
    EXPECT_GT(tennis, 0);
    EXPECT_GT(club, 0);
    EXPECT_EQ(quoted.tagIds, Ids({tennis, club})) << Describe(quoted.tagIds);
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags where name like '%\"%'"), 0);
}

TEST_F(ContactEditDlgTest, ATagThatCannotBeStoredKeepsTheDialogOpenWithTheEdit)
{
    dir.Exec("CREATE TRIGGER refuse_chess BEFORE INSERT ON mst_tags WHEN NEW.name = 'Chess' "
             "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    ContactInfoEx anna = Anna();
    bool stayedOpen = false;
    int rc = Run(EDIT_MODE_EDIT, anna,
                 [&](ContactEditDlg& dlg)
                 {
                     Change(dlg, "company", "Other Co");
                     Change(dlg, "Tag", wxVariant(Names({"work", "Chess", "family"})));
                     PressOk(dlg, false);
                     stayedOpen = dlg.IsModal();
                     if (stayedOpen)
                         dlg.EndModal(wxID_CANCEL);
                 });
    EXPECT_TRUE(stayedOpen) << "the rest of the edit is not stored without the tag";
    EXPECT_EQ(rc, wxID_CANCEL);
    EXPECT_FALSE(errors.messages.empty()) << "the failed insert is reported";
    EXPECT_EQ(anna.company, "Acme");
    EXPECT_EQ(anna.tagIds, Anna().tagIds) << Describe(anna.tagIds);
}

TEST_F(ContactEditDlgTest, TagButtonOpensTheTagSelectDialog)
{
    ContactInfoEx anna = Anna();
    anna.tagIds = Ids({3});
    Run(EDIT_MODE_EDIT, anna,
        [&](ContactEditDlg& dlg)
        {
            wxPropertyGrid* grid = dlg.GetPropertyGrid();
            // An extra name typed into the text is not a choice.
            Change(dlg, "Tag", wxVariant(Names({"golf", "Hiking"})));
            grid->SelectProperty("Tag", true);
            wxWindow* button = grid->GetEditorControlSecondary();
            ASSERT_NE(button, nullptr) << "the Tag property has an editor button";

            wxArrayString listed;
            std::vector<bool> ticked;
            bool editEnabled = true;
            wxTEST_DIALOG(Click(button),
                          ExpectDialog<TagDlg>(
                              wxID_OK,
                              [&](TagDlg* tagDlg)
                              {
                                  auto* list = FindChild<wxCheckListBox>(tagDlg, "ID_CHECKLISTBOX_TAG");
                                  for (unsigned i = 0; i < list->GetCount(); ++i)
                                  {
                                      listed.Add(list->GetString(i));
                                      ticked.push_back(list->IsChecked(i));
                                  }
                                  editEnabled = FindChild(tagDlg, "ID_BUTTON_EDIT")->IsEnabled();
                                  list->Check(list->FindString("work"));
                                  list->Check(list->FindString("golf"), false);
                                  wxTEST_DIALOG(Click(tagDlg, "ID_BUTTON_ADD"),
                                                ExpectDialog<TagEditDlg>(wxID_OK, [](TagEditDlg* edit)
                                                                         { edit->textTagName->SetValue("Chess"); }));
                              }));
            wxArrayString allNames;
            corva->tagManager.GetTagNames(allNames);
            EXPECT_EQ(listed, allNames) << "the dialog lists the choices, not the extra name";
            for (size_t i = 0; i < listed.size(); ++i)
                EXPECT_EQ(ticked[i], listed[i] == "golf") << listed[i];
            EXPECT_FALSE(editEnabled) << "restricted dialog";

            wxArrayString value = grid->GetPropertyByName("Tag")->GetValue().GetArrayString();
            ASSERT_EQ(value.size(), 3u);
            EXPECT_EQ(value[0], "work");
            EXPECT_EQ(value[1], "Chess") << "a name added with New follows the ticked ones";
            EXPECT_EQ(value[2], "Hiking") << "extra names are kept at the end";

            // Cancel leaves the value as it was.
            wxTEST_DIALOG(Click(button), ExpectDialog<TagDlg>(wxID_CANCEL));
            EXPECT_EQ(grid->GetPropertyByName("Tag")->GetValue().GetArrayString(), value);
            PressOk(dlg, false);
        });
    EXPECT_EQ(anna.tagIds.size(), 3u) << Describe(anna.tagIds);
    EXPECT_EQ(anna.tagIds[0], 1);
    EXPECT_GT(dir.ScalarInt("select id from mst_tags where name = 'Chess'"), 0);
    EXPECT_GT(dir.ScalarInt("select id from mst_tags where name = 'Hiking'"), 0);
}

TEST_F(ContactEditDlgTest, TagSelectWithoutAnyTagChangesNothing)
{
    dir.Exec("delete from mst_tags");
    corva->tagManager.Load();
    ContactInfoEx record;
    Run(EDIT_MODE_NEW, record,
        [&](ContactEditDlg& dlg)
        {
            wxPropertyGrid* grid = dlg.GetPropertyGrid();
            grid->SelectProperty("Tag", true);
            wxWindow* button = grid->GetEditorControlSecondary();
            ASSERT_NE(button, nullptr);
            wxTEST_DIALOG(Click(button),
                          ExpectDialog<TagDlg>(wxID_OK,
                                               [](TagDlg* tagDlg)
                                               {
                                                   wxTEST_DIALOG(Click(tagDlg, "ID_BUTTON_ADD"),
                                                                 ExpectDialog<TagEditDlg>(
                                                                     wxID_OK, [](TagEditDlg* edit)
                                                                     { edit->textTagName->SetValue("Golf"); }));
                                               }));
            EXPECT_TRUE(grid->GetPropertyByName("Tag")->GetValueAsString().empty())
                << "with no tags the dialog's OK is ignored";
            EXPECT_FALSE(grid->IsAnyModified());
            Click(&dlg, "wxID_CANCEL");
        });
}

TEST_F(ContactEditDlgTest, TextStillInTheEditorCountsOnOk)
{
    ContactInfoEx templ;
    int rc = Run(EDIT_MODE_MULTI, templ,
                 [&](ContactEditDlg& dlg)
                 {
                     wxPropertyGrid* grid = dlg.GetPropertyGrid();
                     grid->SelectProperty("department", true);
                     wxTextCtrl* editor = dynamic_cast<wxTextCtrl*>(grid->GetEditorControl());
                     ASSERT_NE(editor, nullptr);
                     editor->SetValue("Sales");
                     PressOk(dlg, false);
                 });
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(templ.department, "Sales");
}
