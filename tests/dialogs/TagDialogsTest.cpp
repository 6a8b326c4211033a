#include <wx/checklst.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <memory>

#include "dialogs/TagDlg.h"
#include "dialogs/TagEditDlg.h"
#include "dialogs/TagMgrDlg.h"
#include "frame/Corva.h"
#include "tests/dialogs/DialogTestUtil.h"

namespace
{
wxArrayString Names(std::initializer_list<const char*> names)
{
    wxArrayString result;
    for (const char* name : names)
        result.Add(name);
    return result;
}

// Types a name into the tag name dialog and answers it.
ExpectDialog<TagEditDlg> TypeTagName(const wxString& name, int answer = wxID_OK, wxString* preset = nullptr)
{
    return ExpectDialog<TagEditDlg>(answer,
                                    [name, preset](TagEditDlg* dlg)
                                    {
                                        if (preset)
                                            *preset = dlg->textTagName->GetValue();
                                        dlg->textTagName->SetValue(name);
                                    });
}
} // namespace

TEST_F(CorvalaGuiTest, TagSelectDialogRestrictedOffersOnlyNew)
{
    TagDlg dlg(nullptr, Names({"work", "family", "golf"}), 1);
    wxArrayInt preset;
    preset.Add(0);
    preset.Add(2);
    dlg.SetSelections(preset);
    EXPECT_EQ(dlg.GetTitle(), "Tag select dialog");

    int rc = RunModal(dlg,
                      [&]()
                      {
                          EXPECT_TRUE(FindChild(&dlg, "ID_BUTTON_ADD")->IsEnabled());
                          for (const char* name : {"ID_BUTTON_EDIT", "ID_BUTTON_DELETE", "ID_BUTTON1", "ID_BUTTON2"})
                              EXPECT_FALSE(FindChild(&dlg, name)->IsEnabled()) << name << " must be disabled";
                          wxCheckListBox* list = FindChild<wxCheckListBox>(&dlg, "ID_CHECKLISTBOX_TAG");
                          ASSERT_EQ(list->GetCount(), 3u);
                          EXPECT_EQ(list->GetString(1), "family");
                          EXPECT_TRUE(list->IsChecked(0));
                          EXPECT_FALSE(list->IsChecked(1));
                          EXPECT_TRUE(list->IsChecked(2));

                          wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_ADD"), TypeTagName("Chess"));
                          ASSERT_EQ(list->GetCount(), 4u);
                          EXPECT_EQ(list->GetString(3), "Chess") << "a new name goes to the end";
                          EXPECT_TRUE(list->IsChecked(3)) << "and is ticked";

                          wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_ADD"), TypeTagName("ignored", wxID_CANCEL));
                          EXPECT_EQ(list->GetCount(), 4u) << "Cancel adds nothing";

                          // A listed name, in any case, is refused; the name dialog comes back.
                          wxString text;
                          wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_ADD"), TypeTagName(" CHESS "),
                                        ExpectMessage(wxOK, &text), TypeTagName("ignored", wxID_CANCEL));
                          EXPECT_EQ(text, "The tag \"CHESS\" already exists.");
                          EXPECT_EQ(list->GetCount(), 4u);

                          list->Check(0, false);
                          Click(&dlg, "wxID_OK");
                      });
    EXPECT_EQ(rc, wxID_OK);
    wxArrayInt selected = dlg.GetSelections();
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[0], 2);
    EXPECT_EQ(selected[1], 3);
    EXPECT_EQ(dlg.GetStringSelections(), Names({"golf", "Chess"}));
}

TEST_F(CorvalaGuiTest, TagSelectDialogUnrestrictedEditsTheSelectedName)
{
    TagDlg dlg(nullptr, Names({"work", "family"}), 0);
    wxArrayInt preset;
    preset.Add(1);
    dlg.SetSelections(preset);
    RunModal(dlg,
             [&]()
             {
                 for (const char* name : {"ID_BUTTON_EDIT", "ID_BUTTON_DELETE", "ID_BUTTON1", "ID_BUTTON2"})
                     EXPECT_TRUE(FindChild(&dlg, name)->IsEnabled()) << name;
                 wxCheckListBox* list = FindChild<wxCheckListBox>(&dlg, "ID_CHECKLISTBOX_TAG");
                 // Nothing selected: Edit does nothing (no dialog expected).
                 Click(&dlg, "ID_BUTTON_EDIT");
                 list->SetSelection(1);
                 wxString preset;
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_EDIT"), TypeTagName("Relatives", wxID_OK, &preset));
                 EXPECT_EQ(preset, "family") << "the name dialog opens with the item's text";
                 EXPECT_EQ(list->GetString(1), "Relatives");
                 EXPECT_TRUE(list->IsChecked(1)) << "renaming keeps the tick";
                 Click(&dlg, "wxID_OK");
             });
    EXPECT_EQ(dlg.GetStringSelections(), Names({"Relatives"}));
}

namespace
{
// Reloads the tag cache on every change, as the main window does.
class ReloadingObserver : public TagObserver
{
public:
    explicit ReloadingObserver(TagManager& tags) : tags(tags) {}
    void OnTagChanged() override
    {
        ++notifications;
        tags.Load();
    }
    TagManager& tags;
    int notifications = 0;
};

class TagMgrDlgTest : public CorvalaGuiTest
{
protected:
    TagMgrDlgTest() : corva(Corva::GetInstance()), observer(corva->tagManager)
    {
        corva->tagManager.SetObserver(&observer);
    }
    ~TagMgrDlgTest() override
    {
        delete corva;
    }

    void AddTag(int id, const char* name, int order)
    {
        dir.Exec(
            wxString::Format("insert into mst_tags(id, name, display_order) values (%d, '%s', %d)", id, name, order));
    }

    // Rows top to bottom as "name:order".
    static wxArrayString Rows(wxListCtrl* list)
    {
        wxArrayString rows;
        for (long i = 0; i < list->GetItemCount(); ++i)
            rows.Add(list->GetItemText(i, 0) + ":" + list->GetItemText(i, 1));
        return rows;
    }

    // The cache's enumeration order, reversed: the order the list must show.
    wxArrayString ExpectedRows()
    {
        wxArrayString rows;
        TagMap& map = corva->tagManager.GetTagMap();
        for (TagMap::iterator it = map.begin(); it != map.end(); ++it)
            rows.Insert(it->second->name + wxString::Format(":%d", it->second->display_order), 0);
        return rows;
    }

    static void Select(wxListCtrl* list, long row)
    {
        list->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                           wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        Settle();
    }

    static bool RowButtonsEnabled(wxWindow* dlg)
    {
        bool edit = FindChild(dlg, "ID_BUTTON_EDIT")->IsEnabled();
        bool del = FindChild(dlg, "ID_BUTTON_DELETE")->IsEnabled();
        EXPECT_EQ(edit, del) << "Edit and Delete are enabled together";
        return edit;
    }

    Corva* corva;
    ReloadingObserver observer;
};
} // namespace

TEST_F(TagMgrDlgTest, EmptyListKeepsRowButtonsDisabled)
{
    TagMgrDlg dlg(nullptr, corva->tagManager);
    RunModal(dlg,
             [&]()
             {
                 wxListCtrl* list = FindChild<wxListCtrl>(&dlg, "ID_LISTCTRL_TAGS");
                 ASSERT_NE(list, nullptr);
                 EXPECT_EQ(list->GetItemCount(), 0);
                 EXPECT_EQ(list->GetColumnCount(), 2);
                 wxListItem column;
                 column.SetMask(wxLIST_MASK_TEXT);
                 list->GetColumn(0, column);
                 EXPECT_EQ(column.GetText(), "Tag name");
                 list->GetColumn(1, column);
                 EXPECT_EQ(column.GetText(), "Display order");
                 EXPECT_FALSE(RowButtonsEnabled(&dlg));
                 Click(&dlg, "wxID_CANCEL");
             });
}

TEST_F(TagMgrDlgTest, ListShowsEnumerationReversedWithAlternateColours)
{
    AddTag(1, "work", 0);
    AddTag(2, "family", 1);
    AddTag(3, "golf", 2);
    AddTag(4, "chess", 3);
    AddTag(5, "school", 4);
    TagMgrDlg dlg(nullptr, corva->tagManager);
    RunModal(dlg,
             [&]()
             {
                 wxListCtrl* list = FindChild<wxListCtrl>(&dlg, "ID_LISTCTRL_TAGS");
                 EXPECT_EQ(Rows(list), ExpectedRows());
                 EXPECT_EQ(list->GetItemText(0), "school") << "highest small id on top";
                 EXPECT_EQ(list->GetItemText(4), "work");
                 // Bottom row (first enumerated) and every second one above it.
                 const long count = list->GetItemCount();
                 for (long row = 0; row < count; ++row)
                 {
                     const bool coloured = (count - 1 - row) % 2 == 0;
                     wxColour colour = list->GetItemBackgroundColour(row);
                     if (coloured)
                         EXPECT_EQ(colour, wxColour(231, 223, 221)) << "row " << row;
                     else
                         EXPECT_NE(colour, wxColour(231, 223, 221)) << "row " << row;
                 }
                 EXPECT_FALSE(RowButtonsEnabled(&dlg)) << "no row selected after filling";
                 Select(list, 2);
                 EXPECT_TRUE(RowButtonsEnabled(&dlg));
                 Click(&dlg, "wxID_CANCEL");
             });
}

TEST_F(TagMgrDlgTest, NamesAreTrimmedAndMustBeNewAndFreeOfQuotes)
{
    AddTag(1, "work", 0);
    AddTag(2, "family", 7);
    TagMgrDlg dlg(nullptr, corva->tagManager);
    RunModal(dlg,
             [&]()
             {
                 wxListCtrl* list = FindChild<wxListCtrl>(&dlg, "ID_LISTCTRL_TAGS");
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_ADD"), TypeTagName("ignored", wxID_CANCEL));
                 EXPECT_EQ(list->GetItemCount(), 2) << "Cancel adds nothing";

                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_ADD"), TypeTagName(" Golf "));
                 EXPECT_EQ(list->GetItemText(0), "Golf") << "new tag on top, trimmed";
                 EXPECT_EQ(list->GetItemText(0, 1), "8") << "next display order";

                 // Refused with a message; the name dialog comes back with the name.
                 const struct
                 {
                     const char* typed;
                     const char* message;
                 } refused[] = {
                     {"  ", "Please enter a tag name."},
                     {" WORK", "The tag \"WORK\" already exists."},
                     {"a\"b", "A tag name cannot contain a double quote (\")."},
                 };
                 for (const auto& name : refused)
                 {
                     wxString text, again;
                     wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_ADD"), TypeTagName(name.typed), ExpectMessage(wxOK, &text),
                                   TypeTagName("ignored", wxID_CANCEL, &again));
                     EXPECT_EQ(text, name.message) << name.typed;
                     EXPECT_EQ(again, wxString(name.typed).Trim().Trim(false)) << name.typed;
                 }
                 EXPECT_EQ(list->GetItemCount(), 3);

                 // Renaming follows the same rules; the tag keeps its own name free.
                 Select(list, list->FindItem(-1, "work"));
                 wxString text;
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_EDIT"), TypeTagName("golf "), ExpectMessage(wxOK, &text),
                               TypeTagName(" Job "));
                 EXPECT_EQ(text, "The tag \"golf\" already exists.");
                 Click(&dlg, "wxID_CANCEL");
             });
    EXPECT_EQ(dir.Scalar("select group_concat(name, '|') from (select name from mst_tags order by id)"),
              "Job|family|Golf");
    EXPECT_EQ(observer.notifications, 2) << "one insert, one rename";
}

TEST_F(TagMgrDlgTest, UpAndDownMoveTheTagOnePlace)
{
    AddTag(1, "work", 0);
    AddTag(2, "family", 0); // shares its display order with work
    AddTag(3, "golf", 1);
    TagMgrDlg dlg(nullptr, corva->tagManager);
    RunModal(dlg,
             [&]()
             {
                 wxListCtrl* list = FindChild<wxListCtrl>(&dlg, "ID_LISTCTRL_TAGS");
                 auto shown = [list]() { return Rows(list)[0] + " " + Rows(list)[1] + " " + Rows(list)[2]; };
                 EXPECT_EQ(shown(), "golf:1 family:0 work:0");
                 Select(list, 2);
                 // The moved tag stays selected; the top tag stays on top.
                 for (const char* button : {"ID_BUTTON1", "ID_BUTTON1", "ID_BUTTON1", "ID_BUTTON2"})
                     Click(&dlg, button);
                 EXPECT_EQ(shown(), "golf:2 work:1 family:0");
                 Click(&dlg, "wxID_CANCEL");
             });
    EXPECT_EQ(dir.Scalar("select group_concat(name) from (select name from mst_tags order by display_order desc)"),
              "golf,work,family")
        << "stored at once";
}

TEST_F(TagMgrDlgTest, RenameStoresOnlyRealChanges)
{
    AddTag(1, "work", 0);
    AddTag(2, "family", 5);
    TagMgrDlg dlg(nullptr, corva->tagManager);
    RunModal(dlg,
             [&]()
             {
                 wxListCtrl* list = FindChild<wxListCtrl>(&dlg, "ID_LISTCTRL_TAGS");
                 const long workRow = list->FindItem(-1, "work");
                 ASSERT_NE(workRow, -1);
                 Select(list, workRow);
                 wxString preset;
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_EDIT"), TypeTagName("Work", wxID_OK, &preset));
                 EXPECT_EQ(preset, "work");
                 EXPECT_EQ(observer.notifications, 0) << "a letter-case change stores nothing";

                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_EDIT"), TypeTagName("Job", wxID_CANCEL));
                 EXPECT_EQ(observer.notifications, 0) << "Cancel stores nothing";

                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_EDIT"), TypeTagName("Job"));
                 EXPECT_EQ(observer.notifications, 1);
                 EXPECT_NE(list->FindItem(-1, "Job"), -1);
                 EXPECT_EQ(list->FindItem(-1, "work"), -1);
                 EXPECT_FALSE(RowButtonsEnabled(&dlg)) << "the refill leaves no row selected";
                 Click(&dlg, "wxID_CANCEL");
             });
    EXPECT_EQ(dir.Scalar("select name from mst_tags where id = 1"), "Job");
    EXPECT_EQ(dir.Scalar("select display_order from mst_tags where id = 1"), "0") << "display order unchanged";
    EXPECT_EQ(dir.Scalar("select name from mst_tags where id = 2"), "family");
}

TEST_F(TagMgrDlgTest, DeleteAsksAndRefreshesEitherWay)
{
    AddTag(1, "work", 0);
    AddTag(2, "family", 1);
    dir.Exec("insert into contact_tag(contact_id, tag_id) values (10, 1), (11, 1), (10, 2)");
    TagMgrDlg dlg(nullptr, corva->tagManager);
    RunModal(dlg,
             [&]()
             {
                 wxListCtrl* list = FindChild<wxListCtrl>(&dlg, "ID_LISTCTRL_TAGS");
                 Select(list, list->FindItem(-1, "work"));
                 wxString text, caption;
                 long style = 0;
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_DELETE"), ExpectMessage(wxNO, &text, &caption, &style));
                 EXPECT_EQ(text, "Do you want to delete the Tag? \n\n work");
                 EXPECT_EQ(caption, "Confirm");
                 EXPECT_TRUE(style & wxYES_NO);
                 EXPECT_EQ(list->GetItemCount(), 2) << "No keeps the tag";
                 EXPECT_FALSE(RowButtonsEnabled(&dlg)) << "the list is refilled after No as well";
                 EXPECT_EQ(list->GetSelectedItemCount(), 0);

                 Select(list, list->FindItem(-1, "work"));
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_DELETE"), ExpectMessage(wxYES, &text));
                 EXPECT_EQ(list->GetItemCount(), 1);
                 EXPECT_EQ(list->GetItemText(0), "family");
                 EXPECT_FALSE(RowButtonsEnabled(&dlg));
                 Click(&dlg, "wxID_CANCEL");
             });
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags"), 1);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_tag where tag_id = 1"), 0) << "links removed";
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_tag where tag_id = 2"), 1);
}
