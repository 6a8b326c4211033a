#include <functional>

#include "dialogs/ContactEditDlg.h"
#include "storage/Database.h"
#include "storage/StorageHooks.h"
#include "tests/frame/FrameFixture.h"

namespace
{
// Answers the contact dialog after letting the test look at (and fill) the
// record it was given.
class ContactDialogAnswer : public wxExpectModalBase<ContactEditDlg, ContactDialogAnswer>
{
public:
    ContactDialogAnswer(int answer, std::function<void(ContactInfoEx*)> act) : answer(answer), act(std::move(act)) {}

protected:
    int OnInvoked(ContactEditDlg* dialog) const override
    {
        if (act)
            act(dialog->GetContact());
        return answer;
    }

private:
    int answer;
    std::function<void(ContactInfoEx*)> act;
};

class ContactCommandTest : public FrameTest
{
protected:
    void Seed()
    {
        AddContact({"Ng", "Ann", "Ng", "Ann", 0, "Old"});
        AddContact({"Ma", "Anna", "Ma", "Anna", 0, "Old"});
        AddContact({"Li", "Wei", "Li", "Wei", 1, "Old"});
    }
};
} // namespace

TEST_F(ContactCommandTest, NewStoresOnlyWhenConfirmed)
{
    Seed();
    OpenFrame();
    ContactInfoEx* given = nullptr;
    wxTEST_DIALOG(Menu(frame->GetIds().ID_TOOL_NEW),
                  ContactDialogAnswer(wxID_CANCEL, [&](ContactInfoEx* c) { given = c; }));
    ASSERT_TRUE(given);
    EXPECT_EQ(3, dir.ScalarInt("select count(*) from contacts")) << "cancel stores nothing";

    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_NEW), ContactDialogAnswer(wxID_OK,
                                                                         [](ContactInfoEx* c)
                                                                         {
                                                                             EXPECT_EQ(-1, c->id) << "a fresh record";
                                                                             c->last_name = c->last_name_alpha = "Zz";
                                                                             c->first_name = "New";
                                                                         }));
    EXPECT_EQ(4, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ("Zz New", ResultList()->GetItemText(0));
    EXPECT_EQ(std::vector<long>{0}, SelectedRows());
}

TEST_F(ContactCommandTest, EditWorksOnTheCurrentRecordAndKeepsItSelected)
{
    Seed();
    OpenFrame();
    SelectRow(1);
    ContactInfoEx* current = Contacts().currentContact;
    ASSERT_EQ("Ma", current->last_name);
    wxTEST_DIALOG(Click("ID_BUTTON_EDIT"), ContactDialogAnswer(wxID_OK,
                                                               [&](ContactInfoEx* c)
                                                               {
                                                                   EXPECT_EQ(current, c)
                                                                       << "the record itself is edited";
                                                                   c->company = "New Co";
                                                               }));
    EXPECT_EQ("New Co", dir.Scalar("select company from contacts where last_name='Ma'"));
    EXPECT_EQ(std::vector<long>{1}, SelectedRows());
    EXPECT_EQ("New Co", ResultList()->GetItemText(1, 5));

    // Double click (item activated) edits the row's record too.
    wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, ResultList()->GetId());
    activated.m_itemIndex = 2;
    activated.SetEventObject(ResultList());
    ContactInfoEx* seen = nullptr;
    wxTEST_DIALOG(ResultList()->GetEventHandler()->ProcessEvent(activated),
                  ContactDialogAnswer(wxID_CANCEL, [&](ContactInfoEx* c) { seen = c; }));
    EXPECT_EQ(Contacts().contactList[2], seen);
}

TEST_F(ContactCommandTest, EditWithSeveralRowsAppliesATemplateToEach)
{
    Seed();
    OpenFrame();
    SelectRow(0);
    SelectRow(2, false);
    std::vector<bool> frameEnabled;
    SetMessagePump([&]() { frameEnabled.push_back(frame->IsEnabled()); });
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_EDIT),
                  ContactDialogAnswer(wxID_OK,
                                      [&](ContactInfoEx* c)
                                      {
                                          EXPECT_EQ(-1, c->id) << "a template, not the current contact";
                                          EXPECT_TRUE(c->last_name.empty());
                                          c->company = "Shared";
                                      }));
    SetMessagePump(MessagePump());
    EXPECT_EQ("Shared", dir.Scalar("select company from contacts where last_name='Ng'"));
    EXPECT_EQ("Shared", dir.Scalar("select company from contacts where last_name='Li'"));
    EXPECT_EQ("Old", dir.Scalar("select company from contacts where last_name='Ma'"));
    EXPECT_EQ("Ng", dir.Scalar("select last_name from contacts where last_name='Ng'")) << "names kept";
    for (bool enabled : frameEnabled)
        EXPECT_FALSE(enabled) << "no input during the batch";
    EXPECT_TRUE(frame->IsEnabled());

    // Cancelling the template changes nothing.
    SelectRow(0);
    SelectRow(1, false);
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_EDIT),
                  ContactDialogAnswer(wxID_CANCEL, [](ContactInfoEx* c) { c->company = "Lost"; }));
    EXPECT_EQ(0, dir.ScalarInt("select count(*) from contacts where company='Lost'"));
}

TEST_F(ContactCommandTest, CopyAppendsTheMarkToTheFirstName)
{
    int id = AddContact({"Ma", "Anna", "Ma", "Anna", 0, "Old"});
    int tag = AddTag("Friends", 1);
    Link(id, tag);
    OpenFrame();
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_COPY), ContactDialogAnswer(wxID_OK,
                                                                          [&](ContactInfoEx* c)
                                                                          {
                                                                              EXPECT_EQ("Anna(Copy)", c->first_name);
                                                                              EXPECT_NE(Contacts().currentContact, c)
                                                                                  << "a copy, not the record";
                                                                          }));
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from contacts where first_name='Anna(Copy)'"));
    EXPECT_EQ(2, dir.ScalarInt(wxString::Format("select count(*) from contact_tag where tag_id=%d", tag)))
        << "the copy carries the same tags";
    EXPECT_EQ("Anna", Contacts().contactList[0]->first_name.Left(4));

    wxTEST_DIALOG(Menu(frame->GetIds().ID_POPUP_COPY), ContactDialogAnswer(wxID_CANCEL, nullptr));
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contacts")) << "cancel stores nothing";
}

TEST_F(ContactCommandTest, CommandsWithoutAContactDoNothing)
{
    OpenFrame();
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_COPY), NoDialog());
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_EDIT), NoDialog());
    wxTEST_DIALOG(Menu(frame->GetIds().ID_TOOL_DELETE), NoDialog());
    EXPECT_EQ(0, dir.ScalarInt("select count(*) from contacts"));
}

TEST_F(ContactCommandTest, PageLabelFollowsInsertsAndDeletes)
{
    Seed();
    OpenFrame();
    EXPECT_EQ("1 - 3 / 3", PageLabel());
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_NEW),
                  ContactDialogAnswer(wxID_OK, [](ContactInfoEx* c) { c->last_name = c->last_name_alpha = "Aa"; }));
    EXPECT_EQ("1 - 4 / 4", PageLabel()) << "the total grows without a search command";
    wxString asked;
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_DELETE), MessageAnswer(wxID_YES, &asked));
    EXPECT_EQ("1 - 3 / 3", PageLabel());
}

TEST_F(ContactCommandTest, AMultiEditUnderAnotherProgramsLockStoresNothingAndSaysSoOnce)
{
    Seed();
    OpenFrame();
    SelectRow(0);
    SelectRow(1, false);
    SelectRow(2, false);
    Database::SetBusyTimeout(50);
    wxSQLite3Database other;
    other.Open(dir.DbPath());
    other.ExecuteUpdate("BEGIN EXCLUSIVE;");
    errors.messages.clear();
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_EDIT),
                  ContactDialogAnswer(wxID_OK, [](ContactInfoEx* c) { c->company = "Shared"; }));
    ProcessPending();
    other.ExecuteUpdate("COMMIT;");
    ProcessPending();
    Database::SetBusyTimeout(2000);
    EXPECT_EQ(errors.messages.size(), 1u) << "one message";
    EXPECT_EQ(0, dir.ScalarInt("select count(*) from contacts where company='Shared'")) << "nothing stored";
    for (ContactInfoEx* c : Corva::GetInstance()->contactManager.contactList)
        EXPECT_EQ(c->company, "Old") << "the list shows what is stored";
}
