#include <wx/combobox.h>
#include <wx/file.h>
#include <wx/textctrl.h>

#include "frame/LongLoad.h"
#include "storage/DatabaseIndexes.h"
#include "tests/frame/FrameFixture.h"

namespace
{
class SearchCenterTest : public FrameTest
{
protected:
    void ClickLetterPanel(int x)
    {
        wxWindow* panel = Child("ID_PANEL_ALPHABET");
        wxMouseEvent up(wxEVT_LEFT_UP);
        up.m_x = x;
        up.m_y = 5;
        up.SetEventObject(panel);
        panel->GetEventHandler()->ProcessEvent(up);
        ProcessPending();
    }

    wxString Field(const char* name)
    {
        return Child<wxTextCtrl>(name)->GetValue();
    }

    void SelectTag(long row)
    {
        Child<wxListCtrl>("ID_LISTCTRL_TAGS")->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        ProcessPending();
    }

    void SeedNames()
    {
        AddContact({"Brown", "Anna", "Brown", "Anna", 0, ""});
        AddContact({"Baker", "Ann", "Baker", "Ann", 0, ""});
        AddContact({"Zhou", "Zhen", "Zhou", "Zhen", 1, ""});
        AddContact({"Adams", "Dan", "Adams", "Dan", 1, ""});
    }
};
} // namespace

TEST_F(SearchCenterTest, TagListShowsAllFirstThenTagsByDisplayOrder)
{
    // Display orders that do not follow the ids, as Up and Down leave them.
    const int orders[] = {3, 0, 5, 1, 4, 2};
    for (int i = 0; i < 6; ++i)
        AddTag(wxString::Format("Tag%d", i), orders[i]);
    OpenFrame();
    wxListCtrl* tags = Child<wxListCtrl>("ID_LISTCTRL_TAGS");
    ASSERT_EQ(7, tags->GetItemCount());
    EXPECT_EQ("[ ALL ]", tags->GetItemText(0));
    EXPECT_EQ(-1, static_cast<long>(tags->GetItemData(0)));
    wxString shown;
    for (long row = 1; row < tags->GetItemCount(); ++row)
        shown += tags->GetItemText(row) + " ";
    EXPECT_EQ("Tag2 Tag4 Tag0 Tag5 Tag3 Tag1 ", shown) << "highest display order first";
    EXPECT_EQ(dir.ScalarInt("select id from mst_tags where name='Tag2'"), static_cast<long>(tags->GetItemData(1)));
    EXPECT_EQ(wxColour(236, 232, 230), tags->GetBackgroundColour());
}

TEST_F(SearchCenterTest, TagSelectionFiltersAndAllClearsLetterAndKeyword)
{
    int friends = AddTag("Friends", 1);
    int a = AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    AddContact({"Ng", "Ann", "Ng", "Ann", 0, ""});
    Link(a, friends);
    OpenFrame();
    EXPECT_EQ("1 - 2 / 2", PageLabel());

    SelectTag(1);
    EXPECT_EQ("Friends", Field("ID_TEXTCTRL_SELTAG"));
    EXPECT_EQ(friends, frame->GetSearchCondition().tagId);
    EXPECT_EQ("1 - 1 / 1", PageLabel());
    EXPECT_EQ(1, ResultList()->GetItemCount());

    ClickLetterPanel(20 * 12 + 5); // L
    Child<wxComboBox>("ID_COMBOBOX_KEYWORD")->SetValue("We");
    Click("ID_BUTTON_SEARCH");
    EXPECT_EQ("We", frame->GetSearchCondition().keyword);

    SelectTag(0);
    EXPECT_EQ(-1, frame->GetSearchCondition().tagId);
    EXPECT_TRUE(frame->GetSearchCondition().alphabet.empty());
    EXPECT_TRUE(frame->GetSearchCondition().keyword.empty());
    EXPECT_EQ("-", Field("ID_TEXTCTRL_FIRST_APLPHABET"));
    EXPECT_EQ("", Field("ID_TEXTCTRLCONDITION_KEYWORD"));
    EXPECT_EQ("We", Child<wxComboBox>("ID_COMBOBOX_KEYWORD")->GetValue()) << "typed text stays";
    EXPECT_EQ("1 - 2 / 2", PageLabel());

    // A tag change report refills the list without a selection; the
    // condition keeps its tag.
    SelectTag(1);
    frame->OnTagChanged();
    EXPECT_EQ(-1, Child<wxListCtrl>("ID_LISTCTRL_TAGS")->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
    EXPECT_EQ(friends, frame->GetSearchCondition().tagId);
}

TEST_F(SearchCenterTest, LetterClicksPickTheCellUnderThePointer)
{
    SeedNames();
    OpenFrame();
    struct
    {
        int x;
        const char* letter;
        const char* field;
        const char* label;
    } clicks[] = {
        {45, "B", "B", "1 - 2 / 2"},  // cell 1 starts at 40
        {20, "A", "A", "1 - 1 / 1"},  // first pixel of A
        {39, "A", "A", "1 - 1 / 1"},  // last pixel of A
        {539, "Z", "Z", "1 - 1 / 1"}, // last pixel of Z
        {5, "", "-", "1 - 4 / 4"},    // the "-" cell clears the letter
        {525, "Z", "Z", "1 - 1 / 1"},
    };
    for (const auto& click : clicks)
    {
        ClickLetterPanel(click.x);
        EXPECT_EQ(click.letter, frame->GetSearchCondition().alphabet) << "x " << click.x;
        EXPECT_EQ(click.field, Field("ID_TEXTCTRL_FIRST_APLPHABET")) << "x " << click.x;
        EXPECT_EQ(click.label, PageLabel()) << "x " << click.x;
    }

    // Right of Z: nothing changes and no search runs.
    ResultList()->DeleteAllItems();
    ClickLetterPanel(540);
    ClickLetterPanel(700);
    EXPECT_EQ("Z", frame->GetSearchCondition().alphabet);
    EXPECT_EQ(0, ResultList()->GetItemCount()) << "no search refilled the list";
}

TEST_F(SearchCenterTest, KeywordIsTrimmedAndBlanksSearchForAll)
{
    SeedNames();
    OpenFrame();
    wxComboBox* keyword = Child<wxComboBox>("ID_COMBOBOX_KEYWORD");
    keyword->SetValue("  Ann \t");
    Click("ID_BUTTON_SEARCH");
    EXPECT_EQ("Ann", frame->GetSearchCondition().keyword);
    EXPECT_EQ("Ann", Field("ID_TEXTCTRLCONDITION_KEYWORD"));
    EXPECT_EQ("1 - 2 / 2", PageLabel()) << "Anna and Ann";
    EXPECT_EQ(0u, keyword->GetCount()) << "no history in the drop-down";

    keyword->SetValue("   ");
    Click("ID_BUTTON_SEARCH");
    EXPECT_EQ("", frame->GetSearchCondition().keyword);
    EXPECT_EQ("1 - 4 / 4", PageLabel());
}

TEST_F(SearchCenterTest, ResetClearsEveryCriterion)
{
    int tag = AddTag("Work", 1);
    SeedNames();
    Link(1, tag);
    OpenFrame();
    SelectTag(1);
    ClickLetterPanel(45);
    Child<wxComboBox>("ID_COMBOBOX_KEYWORD")->SetValue("Ann");
    Click("ID_BUTTON_SEARCH");
    EXPECT_EQ("1 - 1 / 1", PageLabel()) << "only Brown Anna is tagged";

    Click("ID_BUTTON_RESET");
    const SearchCondition& c = frame->GetSearchCondition();
    EXPECT_EQ(-1, c.tagId);
    EXPECT_EQ("", c.alphabet);
    EXPECT_EQ("", c.keyword);
    EXPECT_EQ(1, c.pageIndex);
    EXPECT_EQ("", Child<wxComboBox>("ID_COMBOBOX_KEYWORD")->GetValue());
    EXPECT_EQ("-", Field("ID_TEXTCTRL_FIRST_APLPHABET"));
    EXPECT_EQ("", Field("ID_TEXTCTRLCONDITION_KEYWORD"));
    EXPECT_EQ("[ ALL ]", Field("ID_TEXTCTRL_SELTAG"));
    EXPECT_EQ("1 - 4 / 4", PageLabel());
    EXPECT_EQ(4, ResultList()->GetItemCount());
}

TEST_F(SearchCenterTest, PageStaysInRangeAndTheDetailFollowsTheList)
{
    OpenFrame();
    const wxString templatePath = dir.Path() + "/names.html";
    wxFile(templatePath, wxFile::write).Write("<p>$last_name$</p>");
    frame->GetDetailPane()->LoadDetailTemplate(templatePath);
    EXPECT_EQ("0 - 0 / 0", PageLabel());
    Click("ID_BUTTON_PREVPAGE");
    EXPECT_EQ(1, frame->GetSearchCondition().pageIndex) << "an empty book has one (empty) page";
    EXPECT_EQ("0 - 0 / 0", PageLabel());
    AddNumberedContacts(319);
    ContactInfoEx added;
    added.last_name = added.last_name_alpha = "Zz";
    added.first_name = "Top";
    Contacts().Insert(&added);
    EXPECT_EQ("1 - 50 / 320", PageLabel());
    EXPECT_EQ(50, ResultList()->GetItemCount());

    // Emptying the last page shows the page before it.
    Click("ID_BUTTON_PREVPAGE");
    ASSERT_EQ("301 - 320 / 320", PageLabel());
    for (long row = 0; row < ResultList()->GetItemCount(); ++row)
        SelectRow(row, false);
    ASSERT_EQ(20u, frame->GetSelection().GetCount());
    wxString asked;
    wxTEST_DIALOG(Click("ID_BUTTON_DELETE"), MessageAnswer(wxID_YES, &asked));
    EXPECT_EQ(300, dir.ScalarInt("select count(*) from contacts"));
    EXPECT_EQ("251 - 300 / 300", PageLabel());
    EXPECT_EQ(6, frame->GetSearchCondition().pageIndex);
    ASSERT_EQ(50, ResultList()->GetItemCount());
    ASSERT_EQ(1u, SelectedRows().size());
    ContactInfoEx* current = Contacts().currentContact;
    ASSERT_TRUE(current);
    EXPECT_EQ(reinterpret_cast<ContactInfoEx*>(ResultList()->GetItemData(SelectedRows()[0])), current);
    EXPECT_EQ("<p>" + current->last_name + "</p>", DetailSource()) << "not the names of the deleted contacts";

    // A search without result leaves no contact on the detail page.
    Child<wxComboBox>("ID_COMBOBOX_KEYWORD")->SetValue("nobody");
    Click("ID_BUTTON_SEARCH");
    EXPECT_EQ("0 - 0 / 0", PageLabel());
    EXPECT_EQ(nullptr, Contacts().currentContact);
    EXPECT_EQ("", DetailSource());
    EXPECT_FALSE(Child("ID_BUTTON_EDIT")->IsEnabled());
}

TEST_F(SearchCenterTest, PagingWithOneFullPageStaysOnIt)
{
    AddNumberedContacts(50);
    OpenFrame();
    EXPECT_EQ("1 - 50 / 50", PageLabel());
    Click("ID_BUTTON_NEXTPAGE");
    EXPECT_EQ(1, frame->GetSearchCondition().pageIndex);
    EXPECT_EQ("1 - 50 / 50", PageLabel());
    Click("ID_BUTTON_PREVPAGE");
    EXPECT_EQ(1, frame->GetSearchCondition().pageIndex);
    EXPECT_EQ("1 - 50 / 50", PageLabel());
    EXPECT_EQ(50, ResultList()->GetItemCount());
}

TEST_F(SearchCenterTest, PagingWrapsAroundBothEnds)
{
    AddNumberedContacts(120);
    OpenFrame();
    EXPECT_EQ("1 - 50 / 120", PageLabel());
    Click("ID_BUTTON_NEXTPAGE");
    EXPECT_EQ("51 - 100 / 120", PageLabel());
    Click("ID_BUTTON_NEXTPAGE");
    EXPECT_EQ("101 - 120 / 120", PageLabel());
    EXPECT_EQ(20, ResultList()->GetItemCount());
    Click("ID_BUTTON_NEXTPAGE");
    EXPECT_EQ("1 - 50 / 120", PageLabel()) << "wraps to the first page";
    Click("ID_BUTTON_PREVPAGE");
    EXPECT_EQ("101 - 120 / 120", PageLabel()) << "wraps to the last page";
    EXPECT_EQ(3, frame->GetSearchCondition().pageIndex);

    // A new criterion starts again at page 1.
    Child<wxComboBox>("ID_COMBOBOX_KEYWORD")->SetValue("P");
    Click("ID_BUTTON_SEARCH");
    EXPECT_EQ(1, frame->GetSearchCondition().pageIndex);
    EXPECT_EQ("1 - 50 / 120", PageLabel());
}

TEST_F(SearchCenterTest, PageLabelArithmetic)
{
    EXPECT_EQ("1 - 50 / 123", SearchCenterPane::FormatPageLabel(1, 50, 123));
    EXPECT_EQ("101 - 123 / 123", SearchCenterPane::FormatPageLabel(3, 50, 123));
    EXPECT_EQ("1 - 7 / 7", SearchCenterPane::FormatPageLabel(1, 50, 7));
    EXPECT_EQ("0 - 0 / 0", SearchCenterPane::FormatPageLabel(1, 50, 0));
    EXPECT_EQ("0 - 0 / 0", SearchCenterPane::FormatPageLabel(0, 50, 0));
    EXPECT_EQ(3, SearchCenterPane::PageCount(123, 50));
    EXPECT_EQ(2, SearchCenterPane::PageCount(100, 50)) << "a full last page adds no empty one";
    EXPECT_EQ(0, SearchCenterPane::PageCount(0, 50));
    EXPECT_EQ(0, SearchCenterPane::PageCount(7, 0)) << "no page size, no pages, no division by zero";
}

TEST_F(SearchCenterTest, CardShapesFollowEverySearch)
{
    SeedNames();
    OpenFrame();
    ShapeManager& shapes = frame->GetModel()->shapeManager;
    auto inStep = [&]()
    {
        ContactInfoArray& page = Contacts().contactList;
        if (shapes.cardShapes.GetCount() != page.GetCount())
            return false;
        for (size_t i = 0; i < page.GetCount(); ++i)
            if (shapes.cardShapes[i]->GetContact() != page[i])
                return false;
        return true;
    };
    EXPECT_EQ(4u, shapes.cardShapes.GetCount());
    EXPECT_TRUE(inStep());
    ClickLetterPanel(45);
    EXPECT_EQ(2u, shapes.cardShapes.GetCount());
    EXPECT_TRUE(inStep());
    Click("ID_BUTTON_RESET");
    EXPECT_EQ(4u, shapes.cardShapes.GetCount());
    EXPECT_TRUE(inStep());
}

TEST_F(SearchCenterTest, TheFindBoxFindsAsTypedAndGivesWayToEscapeAndTheFilters)
{
    const int tag = AddTag("Work", 1);
    SeedNames();
    Link(1, tag);
    AddContact({"Ito", "Ken", "Ito", "Ken", 1, "Acme Trading"});
    AddMissingIndexes(); // as every start does
    OpenFrame();
    wxTextCtrl* find = Child<wxTextCtrl>("ID_TEXTCTRL_FIND");
    ASSERT_TRUE(find);

    find->SetValue("ACME");
    ProcessPending();
    ASSERT_EQ(1, ResultList()->GetItemCount());
    EXPECT_EQ("Ito Ken", ResultList()->GetItemText(0));
    EXPECT_EQ("1 - 1 / 1 found", PageLabel());
    find->SetValue("work");
    ProcessPending();
    EXPECT_EQ(1, ResultList()->GetItemCount()) << "tag names are found too";

    wxKeyEvent escape(wxEVT_KEY_DOWN);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(find);
    find->GetEventHandler()->ProcessEvent(escape);
    ProcessPending();
    EXPECT_EQ("", find->GetValue());
    EXPECT_EQ("1 - 5 / 5", PageLabel()) << "back to the search center's filter";

    find->SetValue("an");
    ProcessPending();
    EXPECT_EQ("1 - 3 / 3 found", PageLabel()) << "Anna, Ann and Dan";

    // Many found in a large book: the page at once, the total counted off
    // the window thread.
    AddNumberedContacts(120);
    AddMissingIndexes();
    Contacts().findSortCap = 0;
    find->SetValue("name");
    ProcessPending();
    ASSERT_EQ(50, ResultList()->GetItemCount());
    EXPECT_TRUE(WaitFor([this] { return PageLabel() == "1 - 50 / 120 found"; })) << PageLabel();
    // A page the walk cannot fill soon: its first rows at once, the rest
    // sorted off the window thread, and not put in while a dialog is open.
    Contacts().findWalkRows = 5;
    frame->Disable(); // as under a modal dialog
    find->SetValue("name1");
    ProcessPending();
    EXPECT_LT(ResultList()->GetItemCount(), 20);
    wxMilliSleep(300);
    ProcessPending();
    EXPECT_LT(ResultList()->GetItemCount(), 20) << "the page stays while the dialog is open";
    frame->Enable();
    EXPECT_TRUE(WaitFor([this] { return PageLabel() == "1 - 20 / 20 found"; })) << PageLabel();
    EXPECT_EQ(20, ResultList()->GetItemCount());
    Contacts().findWalkRows = 10000;
    Contacts().findSortCap = 10000;

    // Typed while a long search lets the window paint: kept, and looked for
    // once that search is over.
    {
        LongLoad load(1);
        wxMilliSleep(80);
        load.Tick(); // long enough: input is held back from here on
        find->GetEventHandler()->ProcessEvent(escape);
        EXPECT_EQ("", find->GetValue()) << "the find box still takes keys";
        find->SetValue("acme");
        ProcessPending();
        EXPECT_EQ("1 - 20 / 20 found", PageLabel()) << "no search inside the one running";
    }
    EXPECT_TRUE(WaitFor([this] { return PageLabel() == "1 - 1 / 1 found"; })) << PageLabel();
    SelectTag(1);
    EXPECT_EQ("", find->GetValue()) << "choosing a tag ends the find";
    EXPECT_EQ("", frame->GetSearchCondition().find);
    EXPECT_EQ("1 - 1 / 1", PageLabel());
}
