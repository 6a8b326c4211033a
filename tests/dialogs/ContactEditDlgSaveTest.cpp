// What the contact dialog stores for a new contact, and its tags when
// another program holds the book.
#include "tests/dialogs/ContactEditDlgFixture.h"

TEST_F(ContactEditDlgTest, ANewContactHasNoBirthdayAndLatinNamesFileThemselves)
{
    ContactInfoEx record;
    Run(EDIT_MODE_NEW, record,
        [&](ContactEditDlg& dlg)
        {
            Change(dlg, "last_name", "Brown");
            Change(dlg, "first_name", wxString::FromUTF8("Zo\xC3\xAB"));
            PressOk(dlg, false);
        });
    EXPECT_FALSE(record.birthday.IsValid()) << "no birthday unless one is typed";
    EXPECT_EQ(record.last_name_alpha, "Brown");
    EXPECT_EQ(record.first_name_alpha, wxString::FromUTF8("Zo\xC3\xAB"));

    ContactInfoEx kanji;
    Run(EDIT_MODE_NEW, kanji,
        [&](ContactEditDlg& dlg)
        {
            Change(dlg, "last_name", wxString::FromUTF8("\xE5\xB1\xB1\xE7\x94\xB0"));
            Change(dlg, "first_name", "Ken");
            Change(dlg, "first_name_alpha", "kenji");
            PressOk(dlg, false);
        });
    EXPECT_EQ(kanji.last_name_alpha, "") << "no letter to file other scripts by";
    EXPECT_EQ(kanji.first_name_alpha, "kenji") << "a spelling typed is kept";
}

TEST_F(ContactEditDlgTest, ATagListThatCannotBeReadKeepsTheDialogOpen)
{
    // Another program made "Chess" after this one read its tags, and now
    // holds the book.
    dir.Exec("insert into mst_tags(id, name, display_order) values (4, 'Chess', 5)");
    Database::SetBusyTimeout(50);
    wxSQLite3Database other;
    other.Open(dir.DbPath());
    other.ExecuteUpdate("BEGIN EXCLUSIVE;");
    ContactInfoEx anna = Anna();
    bool stayedOpen = false;
    int rc = Run(EDIT_MODE_EDIT, anna,
                 [&](ContactEditDlg& dlg)
                 {
                     Change(dlg, "company", "Other Co");
                     Change(dlg, "Tag", wxVariant(Names({"work", "Chess"})));
                     PressOk(dlg, false);
                     stayedOpen = dlg.IsModal();
                     EXPECT_EQ(errors.messages.size(), 1u) << "one message for the tags that cannot be read";
                     EXPECT_EQ(anna.company, "Acme") << "the record is untouched while the dialog stays open";
                     other.ExecuteUpdate("COMMIT;");
                     if (stayedOpen)
                         PressOk(dlg, false);
                 });
    Database::SetBusyTimeout(2000);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(rc, wxID_OK);
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags where name = 'Chess'"), 1) << "no second Chess";
    EXPECT_EQ(anna.tagIds, Ids({1, 4})) << Describe(anna.tagIds);
}
