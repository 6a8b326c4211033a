#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/file.h>

#include "storage/StorageHooks.h"
#include "tests/frame/FrameFixture.h"

namespace
{
class ContactListTest : public FrameTest
{
protected:
    void SetUp() override
    {
        wxString path = dir.Path() + "/tpl.html";
        wxFile file(path, wxFile::write);
        file.Write("<p>$last_name$ $first_name$</p>");
        templatePath = path;
    }

    CorvalaFrame* OpenWithTemplate()
    {
        OpenFrame();
        frame->GetDetailPane()->LoadDetailTemplate(templatePath);
        frame->ShowSelection();
        return frame;
    }

    ContactInfoEx* RowContact(long row)
    {
        return reinterpret_cast<ContactInfoEx*>(ResultList()->GetItemData(row));
    }

    wxString templatePath;
};
} // namespace

TEST_F(ContactListTest, ColumnsIconsAndAlternateRows)
{
    int id = AddContact({"Li", "Wei", "Lee", "Way", 1, "Smith & Sons"});
    dir.Exec(wxString::Format("UPDATE contacts SET business_phone='555-1', job_title='Boss', department='Sales', "
                              "email='li@example.com', webpage='http://li.example' WHERE id=%d",
                              id));
    AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
    AddContact({"Ma", "Bo", "Ma", "Bo", SEX_NOT_STATED, ""});
    OpenFrame();
    wxListCtrl* list = ResultList();

    const char* headers[] = {"Name",    "Alphabet Name ", "Business phone", "Job title",          "Department",
                             "Company", "E-mail",         "Webpage",        "Latest update time", "Entry time"};
    const int widths[] = {128, 128, 128, 128, 128, 196, 128, 128, 128, 128};
    ASSERT_EQ(10, list->GetColumnCount());
    for (int c = 0; c < 10; ++c)
    {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        list->GetColumn(c, column);
        EXPECT_EQ(headers[c], column.GetText()) << "column " << c;
        EXPECT_EQ(widths[c], list->GetColumnWidth(c)) << "column " << c;
    }

    // Order: last_name_alpha descending.
    ASSERT_EQ(3, list->GetItemCount());
    EXPECT_EQ("Ng Ann", list->GetItemText(0));
    EXPECT_EQ("Ma Bo", list->GetItemText(1));
    EXPECT_EQ("Li Wei", list->GetItemText(2));
    EXPECT_EQ("Lee Way", list->GetItemText(2, 1));
    EXPECT_EQ("555-1", list->GetItemText(2, 2));
    EXPECT_EQ("Boss", list->GetItemText(2, 3));
    EXPECT_EQ("Sales", list->GetItemText(2, 4));
    EXPECT_EQ("Smith & Sons", list->GetItemText(2, 5));
    EXPECT_EQ("li@example.com", list->GetItemText(2, 6));
    EXPECT_EQ("http://li.example", list->GetItemText(2, 7));
    EXPECT_EQ("2010/01/15 09:30", list->GetItemText(2, 8)) << "year/month/day like every date of the program";
    EXPECT_FALSE(list->GetItemText(2, 9).empty());

    for (long row = 0; row < 3; ++row)
    {
        wxListItem item;
        item.SetId(row);
        item.SetMask(wxLIST_MASK_IMAGE);
        list->GetItem(item);
        const int sex = RowContact(row)->sex;
        EXPECT_EQ(sex == SEX_MALE ? 1 : sex == SEX_FEMALE ? 2 : 4, item.GetImage()) << "row " << row;
        EXPECT_EQ(Contacts().contactList[row], RowContact(row)) << "item data is the page record";
    }
    EXPECT_EQ(wxColour(231, 223, 221), list->GetItemBackgroundColour(0));
    EXPECT_NE(wxColour(231, 223, 221), list->GetItemBackgroundColour(1));
    EXPECT_EQ(wxColour(231, 223, 221), list->GetItemBackgroundColour(2));
}

TEST_F(ContactListTest, FirstRowIsSelectedAndShown)
{
    AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
    AddContact({"Ma", "Bo", "Ma", "Bo", 1, ""});
    OpenWithTemplate();
    EXPECT_EQ(std::vector<long>{0}, SelectedRows());
    EXPECT_EQ(RowContact(0), Contacts().currentContact);
    EXPECT_EQ("<p>Ng Ann</p>", DetailSource());
    EXPECT_TRUE(Child("ID_BUTTON_EDIT")->IsEnabled());

    SelectRow(1);
    EXPECT_EQ(RowContact(1), Contacts().currentContact);
    EXPECT_EQ("<p>Ma Bo</p>", DetailSource());
    EXPECT_EQ(Contacts().currentContact, frame->GetModel()->historyManager.GetCurrentContact());
}

TEST_F(ContactListTest, EmptyPageSelectsNothingAndDisablesTheButtons)
{
    OpenWithTemplate();
    EXPECT_EQ(0, ResultList()->GetItemCount());
    EXPECT_TRUE(SelectedRows().empty());
    for (const char* name : {"ID_BUTTON_EDIT", "ID_BUTTON_DELETE", "ID_BUTTON_COPY", "htmlWindow"})
        EXPECT_FALSE(Child(name)->IsEnabled()) << name;
    // Delete and copy with no current contact do nothing (no dialog).
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_DELETE), NoDialog());
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_COPY), NoDialog());
}

TEST_F(ContactListTest, CurrentContactIsAlwaysAHighlightedOne)
{
    AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
    AddContact({"Ma", "Bo", "Ma", "Bo", 1, ""});
    AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    OpenWithTemplate();
    // Click row 0, Ctrl-click row 1, Ctrl-click row 1 again.
    SelectRow(0);
    SelectRow(1, false);
    ResultList()->SetItemState(1, 0, wxLIST_STATE_SELECTED);
    ProcessPending();
    EXPECT_EQ(RowContact(0), Contacts().currentContact);
    EXPECT_EQ("<p>" + RowContact(0)->last_name + " " + RowContact(0)->first_name + "</p>", DetailSource());
    EXPECT_EQ(RowContact(0), frame->GetModel()->historyManager.GetCurrentContact());

    // Nothing highlighted: nothing current, nothing to act on.
    ResultList()->SetItemState(0, 0, wxLIST_STATE_SELECTED);
    ProcessPending();
    EXPECT_EQ(nullptr, Contacts().currentContact);
    EXPECT_EQ("", DetailSource());
    for (const char* name : {"ID_BUTTON_EDIT", "ID_BUTTON_DELETE", "ID_BUTTON_COPY"})
        EXPECT_FALSE(Child(name)->IsEnabled()) << name;
    wxAuiToolBar* tools = dynamic_cast<wxAuiToolBar*>(wxWindow::FindWindowById(frame->GetIds().ID_AUITOOLBAR, frame));
    ASSERT_TRUE(tools);
    EXPECT_FALSE(tools->GetToolEnabled(frame->GetIds().ID_TOOL_EDIT));
    EXPECT_FALSE(tools->GetToolEnabled(frame->GetIds().ID_TOOL_DELETE));
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_DELETE), NoDialog());
    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_EDIT), NoDialog());
    EXPECT_EQ(3, dir.ScalarInt("select count(*) from contacts"));

    SelectRow(2);
    EXPECT_EQ(RowContact(2), Contacts().currentContact);
    EXPECT_TRUE(tools->GetToolEnabled(frame->GetIds().ID_TOOL_DELETE));
}

TEST_F(ContactListTest, MultiSelectionShowsEveryNameInListOrder)
{
    AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
    AddContact({"Ma", "Bo", "Ma", "Bo", 1, ""});
    AddContact({"<b>Li</b>", "Wei & Co", "Li", "Wei", 1, ""});
    OpenWithTemplate();
    SelectRow(0);
    SelectRow(2, false);
    SelectRow(1, false);
    EXPECT_EQ(3u, frame->GetSelection().GetCount());
    EXPECT_EQ("<html><body><font size=6 color=#336666><b>"
              "<img src=img/user_s24_00.png></img>Ng Ann<BR>"
              "<img src=img/user_s24_01.png></img>Ma Bo<BR>"
              "<img src=img/user_s24_01.png></img>&lt;b&gt;Li&lt;/b&gt; Wei &amp; Co<BR>"
              "</b></font></body></html>",
              DetailSource());
    EXPECT_TRUE(Child("ID_BUTTON_DELETE")->IsEnabled());

    // Back to one row: the current contact's page again.
    SelectRow(1);
    EXPECT_EQ(1u, frame->GetSelection().GetCount());
    EXPECT_EQ("<p>Ma Bo</p>", DetailSource());
}

TEST_F(ContactListTest, DeletingOneContactAsksWithItsName)
{
    AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
    int li = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    dir.Exec(wxString::Format("INSERT INTO contact_history(his_time, contact_id, his_type, comment) "
                              "VALUES('2010-01-01 10:00:00', %d, 0, 'x')",
                              li));
    OpenWithTemplate();
    SelectRow(1);
    ASSERT_EQ("Li Wei", ResultList()->GetItemText(1));

    wxString message, caption;
    wxTEST_DIALOG(Click("ID_BUTTON_DELETE"), MessageAnswer(wxID_NO, &message, &caption));
    EXPECT_EQ("Do you really need to delete the selected contacts? \n\nLi Wei", message);
    EXPECT_EQ("Confirm", caption);
    EXPECT_EQ(2, dir.ScalarInt("select count(*) from contacts")) << "no keeps the contact";

    wxTEST_DIALOG(Menu(frame->GetIds().ID_MENU_DELETE), MessageAnswer(wxID_YES, &message));
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ(0, dir.ScalarInt(wxString::Format("select count(*) from contact_history where contact_id=%d", li)));
    // The refilled list selects the first row and shows it.
    ASSERT_EQ(1, ResultList()->GetItemCount());
    EXPECT_EQ(std::vector<long>{0}, SelectedRows());
    EXPECT_EQ(RowContact(0), Contacts().currentContact);
    EXPECT_EQ(1u, frame->GetSelection().GetCount());
    EXPECT_EQ(RowContact(0), frame->GetSelection()[0]) << "selection holds only live records";
    EXPECT_EQ("<p>Ng Ann</p>", DetailSource());
    EXPECT_EQ("1 - 1 / 1", SearchCenterPane::FormatPageLabel(1, 50, Contacts().totalCount));
}

TEST_F(ContactListTest, DeletingSeveralContactsBlocksInputDuringTheBatch)
{
    for (const char* name : {"Ng", "Ma", "Li", "Ko"})
        AddContact({name, "X", name, "X", 1, ""});
    OpenWithTemplate();
    SelectRow(0);
    SelectRow(1, false);
    SelectRow(3, false);

    std::vector<bool> frameEnabled;
    SetMessagePump([&]() { frameEnabled.push_back(frame->IsEnabled()); });
    wxString message;
    wxTEST_DIALOG(Menu(frame->GetIds().ID_POPUP_DELETE), MessageAnswer(wxID_YES, &message));
    SetMessagePump(MessagePump());

    EXPECT_EQ("Do you really need to delete the selected contacts? \n\n", message) << "no name for several";
    EXPECT_EQ(1, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ("Li", dir.Scalar("select last_name from contacts")) << "rows 0, 1 and 3 were Ng, Ma and Ko";
    ASSERT_EQ(3u, frameEnabled.size()) << "one pump per record";
    for (bool enabled : frameEnabled)
        EXPECT_FALSE(enabled) << "the main window takes no input during the batch";
    EXPECT_TRUE(frame->IsEnabled()) << "and takes it again afterwards";
    EXPECT_EQ(std::vector<long>{0}, SelectedRows());
    EXPECT_EQ("<p>Li X</p>", DetailSource());
}

TEST_F(ContactListTest, ChangeReportRefillsBeforeReadingTheRows)
{
    AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
    AddContact({"Ma", "Bo", "Ma", "Bo", 1, ""});
    OpenWithTemplate();
    SelectRow(1);
    ContactInfoEx* current = Contacts().currentContact;
    current->first_name = "Bob";
    Contacts().Update(current);
    EXPECT_EQ("Ma Bob", ResultList()->GetItemText(1));
    EXPECT_EQ(std::vector<long>{1}, SelectedRows()) << "the updated contact stays selected";
    EXPECT_EQ("<p>Ma Bob</p>", DetailSource());

    // An insert destroys the page the rows pointed at.
    ContactInfoEx fresh;
    fresh.last_name = fresh.last_name_alpha = "Zz";
    fresh.first_name = "New";
    Contacts().Insert(&fresh);
    ASSERT_EQ(3, ResultList()->GetItemCount());
    EXPECT_EQ("Zz New", ResultList()->GetItemText(0));
    EXPECT_EQ(std::vector<long>{0}, SelectedRows());
    EXPECT_EQ("<p>Zz New</p>", DetailSource());
}
