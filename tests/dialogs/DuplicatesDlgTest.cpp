// The search for duplicates as the user goes through it: the groups side by
// side, a merge into the chosen contact, a group marked as no duplicate.
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <memory>

#include "dialogs/DuplicatesDlg.h"
#include "frame/Corva.h"
#include "platform/Platform.h"
#include "storage/StorageHooks.h"
#include "tests/dialogs/DialogTestUtil.h"

namespace
{
class DuplicatesDlgTest : public CorvalaGuiTest
{
protected:
    DuplicatesDlgTest() : corva(Corva::GetInstance())
    {
        frame = new wxFrame(nullptr, wxID_ANY, "main window");
        frame->Show();
        SetMessagePump(&Platform::PumpOneMessage);
    }
    ~DuplicatesDlgTest() override
    {
        SetMessagePump(MessagePump());
        frame->Destroy();
        Settle();
    }
    void Seed(const char* last, const char* email, const char* phone)
    {
        dir.Exec(wxString::Format("insert into contacts (last_name, last_name_alpha, first_name, first_name_alpha, "
                                  "sex, email, home_phone) values ('%s', '%s', 'Ann', 'Ann', 0, '%s', '%s');",
                                  last, last, email, phone));
    }

    std::unique_ptr<Corva> corva;
    wxFrame* frame;
};
} // namespace

TEST_F(DuplicatesDlgTest, MergesIntoTheChosenContactAndRemembersNoDuplicate)
{
    Seed("Adler", "ann@x.example", "");             // 1
    Seed("Adler", "ANN@x.example", "555 010 1000"); // 2: the same person
    Seed("Berg", "berg@x.example", "555 010 2000"); // 3
    Seed("Cole", "cole@x.example", "5550102000");   // 4: shares Berg's number
    Seed("Dorn", "dorn@x.example", "");             // 5
    DuplicatesDlg dlg(frame, wxID_ANY, corva->contactManager);
    wxString afterMerge, atEnd;
    int columns = 0, rows = 0;
    bool boldDiffers = false;
    RunModal(dlg,
             [&]
             {
                 const bool done = WaitFor([&] { return !dlg.IsSearching() && dlg.GroupCount() == 2; });
                 ASSERT_TRUE(done) << FindChild<wxStaticText>(&dlg, "ID_LBL_STATUS")->GetLabel() << dlg.GroupCount();
                 wxStaticText* status = FindChild<wxStaticText>(&dlg, "ID_LBL_STATUS");
                 EXPECT_EQ(status->GetLabel(), "Group 1 of 2");
                 wxListCtrl* list = FindChild<wxListCtrl>(&dlg, "ID_LIST_GROUP");
                 columns = list->GetColumnCount();
                 rows = list->GetItemCount();
                 for (long row = 0; row < rows; ++row)
                 {
                     if (list->GetItemText(row) == "home_phone" || list->GetItemText(row).Contains("phone"))
                         boldDiffers = list->GetItemFont(row).GetWeight() == wxFONTWEIGHT_BOLD;
                 }
                 // Keep the second contact, the one with the phone number.
                 FindChild<wxChoice>(&dlg, "ID_CHOICE_KEEP")->SetSelection(1);
                 Click(&dlg, "ID_BUTTON_MERGE");
                 afterMerge = status->GetLabel();
                 Click(&dlg, "ID_BUTTON_DISMISS");
                 atEnd = status->GetLabel();
                 EXPECT_FALSE(FindChild<wxButton>(&dlg, "ID_BUTTON_MERGE")->IsEnabled());
             });
    EXPECT_EQ(columns, 3) << "the field names and one column per contact";
    EXPECT_GE(rows, 4) << "names, sex, e-mail and phone";
    EXPECT_TRUE(boldDiffers) << "the phone row differs";
    EXPECT_EQ(afterMerge, "Group 2 of 2");
    EXPECT_EQ(atEnd, "Every group has been looked at.");
    EXPECT_EQ(dir.Scalar("select group_concat(id) from (select id from contacts order by id);"), "2,3,4,5");
    EXPECT_EQ(dir.Scalar("select email || '|' || ifnull(email_2, '') || '|' || home_phone from contacts where id = 2;"),
              "ANN@x.example||555 010 1000")
        << "the same address in another case is not added again";
    EXPECT_EQ(dir.Scalar("select first_id || ',' || second_id from duplicate_dismissed;"), "3,4");
    EXPECT_EQ(corva->contactManager.totalCount, 4) << "the list was searched again";
}
