// The import dialog shown modally as the program shows it: layout, file
// choice, refused files, a completed import and what the windows do during it.
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include <fstream>
#include <memory>
#include <string>

#include "dialogs/ImportDlg.h"
#include "dialogs/wxHyperLink.h"
#include "exchange/SpreadsheetReader.h"
#include "frame/Corva.h"
#include "platform/Platform.h"
#include "storage/Database.h"
#include "storage/StorageHooks.h"
#include "tests/dialogs/DialogTestUtil.h"

namespace
{
wxString DataPath(const wxString& name)
{
    return wxString(CORVALA_SOURCE_DIR) + "/tests/exchange/data/" + name;
}

class CountingObserver : public ContactObserver
{
public:
    void OnContactChanged() override
    {
        ++calls;
    }
    int calls = 0;
};

// A main window, the model root with an observer, and the dialog on top.
class ImportDlgTest : public CorvalaGuiTest
{
protected:
    ImportDlgTest() : corva(Corva::GetInstance())
    {
        frame = new wxFrame(nullptr, wxID_ANY, "main window");
        frame->Show();
        corva->contactManager.AddObserver(&observer);
        SetMessagePump(&Platform::PumpOneMessage);
    }

    ~ImportDlgTest() override
    {
        SetMessagePump(MessagePump());
        frame->Destroy();
        Settle();
    }

    int ContactCount()
    {
        return dir.ScalarInt("select count(*) from contacts");
    }

    // Puts the path into the path box through the file chooser.
    void Choose(ImportDlg& dlg, const wxString& path)
    {
        wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_SEL_FILE"), wxExpectModal<wxFileDialog>(path));
    }

    wxString Status(ImportDlg& dlg)
    {
        return FindChild<wxStaticText>(&dlg, "ID_LBL_STATUS")->GetLabel();
    }

    std::unique_ptr<Corva> corva;
    wxFrame* frame;
    CountingObserver observer;
};

std::string WorkbookWithRows(int rows)
{
    std::string xml = "<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                      "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet><Table>";
    for (int i = 0; i < rows; ++i)
        xml += "<Row><Cell><Data>Family" + std::to_string(i) + "</Data></Cell><Cell><Data>Given</Data></Cell></Row>";
    return xml + "</Table></Worksheet></Workbook>";
}

void WriteFile(const wxString& path, const std::string& content)
{
    std::ofstream(path.utf8_string(), std::ios::binary) << content;
}
} // namespace

TEST_F(ImportDlgTest, LaysOutItsControls)
{
    ImportDlg dlg(frame, -1, corva->contactManager);
    EXPECT_EQ("Import contacts dialog", dlg.GetTitle());
    EXPECT_EQ("wxID_ANY", dlg.GetName());
    EXPECT_FALSE(dlg.HasFlag(wxRESIZE_BORDER));

    wxTextCtrl* path = FindChild<wxTextCtrl>(&dlg, "ID_TXT_CSV_PATH");
    ASSERT_TRUE(path);
    EXPECT_FALSE(path->IsEditable()) << "the path box is read-only";
    EXPECT_TRUE(path->GetValue().empty());
    EXPECT_GE(path->GetSize().x, 356);
    ASSERT_TRUE(FindChild<wxButton>(&dlg, "ID_BUTTON_SEL_FILE"));
    EXPECT_EQ("&Select...", FindChild<wxButton>(&dlg, "ID_BUTTON_SEL_FILE")->GetLabel());
    ASSERT_TRUE(FindChild<wxButton>(&dlg, "ID_BUTTON_IMPORT"));
    EXPECT_EQ("&Import", FindChild<wxButton>(&dlg, "ID_BUTTON_IMPORT")->GetLabel());
    EXPECT_TRUE(FindChild<wxButton>(&dlg, "ID_BUTTON_IMPORT")->IsEnabled());
    wxButton* close = FindChild<wxButton>(&dlg, "wxID_CANCEL");
    ASSERT_TRUE(close);
    EXPECT_EQ(wxID_CANCEL, close->GetId());
    EXPECT_EQ("&Close", close->GetLabel());
    EXPECT_TRUE(Status(dlg).empty());
    EXPECT_TRUE(FindChild(&dlg, "ID_STATICLINE1"));
    EXPECT_EQ("Select XLS file and import contact list to database.\nPlease use the official template to import, you "
              "can find the template in software folder or official web site",
              FindChild<wxStaticText>(&dlg, "ID_STATICTEXT2")->GetLabel());
    wxHyperLink* link = FindChild<wxHyperLink>(&dlg, "ID_HYPERLINK1");
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->GetURL().StartsWith("http")) << link->GetURL();
    wxStaticBitmap* picture = FindChild<wxStaticBitmap>(&dlg, "ID_STATICBITMAP1");
    ASSERT_TRUE(picture);
    EXPECT_EQ(48, picture->GetBitmap().GetWidth()) << "img/Import_s48_01.png";

    // Close ends the dialog.
    EXPECT_EQ(wxID_CANCEL, RunModal(dlg, [&] { Click(&dlg, "wxID_CANCEL"); }));
}

TEST_F(ImportDlgTest, SelectPutsTheChosenPathInThePathBox)
{
    ImportDlg dlg(frame, -1, corva->contactManager);
    wxTextCtrl* path = FindChild<wxTextCtrl>(&dlg, "ID_TXT_CSV_PATH");
    RunModal(dlg,
             [&]
             {
                 Choose(dlg, DataPath("excel-style.xls"));
                 EXPECT_EQ(DataPath("excel-style.xls"), path->GetValue());
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_SEL_FILE"),
                               wxExpectModal<wxFileDialog>(dir.Path() + "/other.xls", wxID_CANCEL));
                 EXPECT_EQ(DataPath("excel-style.xls"), path->GetValue()) << "a cancelled choice changes nothing";
             });
}

TEST_F(ImportDlgTest, RefusedFilesShowTheTemplateMessageAndImportNothing)
{
    WriteFile(dir.Path() + "/lower.xls", "<workbook><Worksheet><Table><Row><Cell><Data>Doe</Data></Cell>"
                                         "<Cell><Data>Jane</Data></Cell></Row></Table></Worksheet></workbook>");
    WriteFile(dir.Path() + "/broken.xls", WorkbookWithRows(3).substr(0, 200));
    // Damaged after many good rows, which have gone to the batch by then.
    const std::string many = WorkbookWithRows(300);
    WriteFile(dir.Path() + "/cut.xls", many.substr(0, many.size() - 30));
    WriteFile(dir.Path() + "/empty.xls", "");
    WriteFile(dir.Path() + "/binary.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0", 12));

    ImportDlg dlg(frame, -1, corva->contactManager);
    RunModal(dlg,
             [&]
             {
                 // No path: nothing at all happens (a message box would fail the test).
                 Click(&dlg, "ID_BUTTON_IMPORT");
                 EXPECT_TRUE(Status(dlg).empty());

                 for (const char* name : {"lower.xls", "broken.xls", "cut.xls", "empty.xls", "missing.xls"})
                 {
                     Choose(dlg, dir.Path() + "/" + name);
                     wxString text, caption;
                     long style = 0;
                     wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_IMPORT"), ExpectMessage(wxOK, &text, &caption, &style));
                     EXPECT_EQ("Please use official template to import contact list.", text) << name;
                     EXPECT_EQ("Corvala", caption) << name;
                     EXPECT_EQ(wxOK, style & (wxOK | wxCANCEL | wxYES_NO)) << name;
                     EXPECT_TRUE(FindChild(&dlg, "ID_BUTTON_IMPORT")->IsEnabled())
                         << "the dialog stays ready after " << name;
                     EXPECT_TRUE(Status(dlg).empty()) << name;
                 }
                 Choose(dlg, dir.Path() + "/binary.xls");
                 wxString text;
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_IMPORT"), ExpectMessage(wxOK, &text));
                 EXPECT_NE(text.Find("XML Spreadsheet"), wxNOT_FOUND) << "how to make it readable: " << text;
             });
    EXPECT_EQ(0, ContactCount()) << "nothing of a damaged file is stored";
    EXPECT_EQ(0, observer.calls) << "nothing changed for the views";
}

TEST_F(ImportDlgTest, ImportsTheRowsOnceAndReportsCompletion)
{
    int second = 0; // the rows of the second file
    {
        SpreadsheetReader reader;
        ASSERT_EQ(SpreadsheetReader::LOAD_OK, reader.Open(DataPath("libreoffice-contacts.xls")));
        while (reader.Next())
            ++second;
    }
    ImportDlg dlg(frame, -1, corva->contactManager);
    int rc = RunModal(dlg,
                      [&]
                      {
                          Choose(dlg, DataPath("excel-style.xls"));
                          Click(&dlg, "ID_BUTTON_IMPORT");
                          EXPECT_EQ("Import completed! 4 contacts imported. 0 rows skipped.", Status(dlg))
                              << "an empty row is not a skipped one";
                          EXPECT_FALSE(FindChild(&dlg, "ID_BUTTON_IMPORT")->IsEnabled());
                          EXPECT_TRUE(FindChild(&dlg, "ID_BUTTON_SEL_FILE")->IsEnabled());
                          EXPECT_TRUE(FindChild(&dlg, "wxID_CANCEL")->IsEnabled());
                          EXPECT_FALSE(dlg.IsImporting());

                          // Another file chosen can be imported too.
                          Choose(dlg, DataPath("libreoffice-contacts.xls"));
                          EXPECT_TRUE(FindChild(&dlg, "ID_BUTTON_IMPORT")->IsEnabled());
                          Click(&dlg, "ID_BUTTON_IMPORT");
                          EXPECT_FALSE(FindChild(&dlg, "ID_BUTTON_IMPORT")->IsEnabled());
                          Click(&dlg, "wxID_CANCEL");
                      });
    EXPECT_EQ(wxID_CANCEL, rc);

    EXPECT_EQ(4 + second, ContactCount());
    EXPECT_EQ(2, observer.calls) << "each insert batch announced once by the search that shows it";
    EXPECT_EQ("O'Brien|Siobh\xC3\xA1n \xC3\x81ine|35315550100||01 555 0199||siobhan@example.ie",
              dir.Scalar("select last_name || '|' || first_name || '|' || business_phone || '|' || business_mobile "
                         "|| '|' || home_phone || '|' || home_mobile || '|' || email from contacts "
                         "where last_name = 'O''Brien'")
                  .utf8_string());
    EXPECT_EQ("Ferreira,O'Brien,Tanaka,Weber",
              dir.Scalar("select group_concat(last_name) from (select last_name from contacts order by id limit 4)"));
    EXPECT_EQ(4 + second, corva->contactManager.totalCount) << "the current search sees the new contacts";
}

TEST_F(ImportDlgTest, AFailedBatchSaysWhyInTheLabelAndTheDialogStaysReady)
{
    WriteFile(dir.Path() + "/rows.xls", WorkbookWithRows(3));
    Database::SetBusyTimeout(50);
    wxSQLite3Database other;
    other.Open(dir.DbPath());
    other.ExecuteUpdate("BEGIN IMMEDIATE;"); // another program is writing
    ImportDlg dlg(frame, -1, corva->contactManager);
    RunModal(dlg,
             [&]
             {
                 Choose(dlg, dir.Path() + "/rows.xls");
                 // No box: the label is the one message.
                 wxTEST_DIALOG(Click(&dlg, "ID_BUTTON_IMPORT"),
                               ExpectDialog<wxDialog>(wxID_OK, [](wxDialog* box)
                                                      { ADD_FAILURE() << "a box: " << box->GetTitle().utf8_string(); })
                                   .Optional());
                 EXPECT_EQ("Nothing was imported: The address book " + Database::Path() +
                               " is locked by another program",
                           Status(dlg));
                 EXPECT_TRUE(FindChild(&dlg, "ID_BUTTON_IMPORT")->IsEnabled()) << "ready to try again";
                 EXPECT_FALSE(dlg.IsImporting());

                 other.ExecuteUpdate("COMMIT;");
                 Click(&dlg, "ID_BUTTON_IMPORT");
                 EXPECT_EQ("Import completed! 3 contacts imported. 0 rows skipped.", Status(dlg));
             });
    Database::SetBusyTimeout(2000);
    EXPECT_EQ(3, ContactCount());

    // What goes wrong after the rows are stored (here the reload of the
    // list) is a box over the dialog, so the dialog stays in front.
    dir.Exec("drop table contact_history;");
    ImportDlg second(frame, -1, corva->contactManager);
    wxWindow* parent = nullptr;
    wxString message;
    RunModal(second,
             [&]
             {
                 Choose(second, dir.Path() + "/rows.xls");
                 wxTEST_DIALOG(Click(&second, "ID_BUTTON_IMPORT"),
                               ExpectDialog<wxMessageDialog>(wxID_OK,
                                                             [&](wxMessageDialog* box)
                                                             {
                                                                 parent = box->GetParent();
                                                                 message = box->GetMessage();
                                                             }));
                 EXPECT_EQ("Import completed! 3 contacts imported. 0 rows skipped.", Status(second));
             });
    EXPECT_EQ(&second, parent);
    EXPECT_NE(wxNOT_FOUND, message.Find("contact_history")) << message;
    EXPECT_EQ(6, ContactCount());
}

TEST_F(ImportDlgTest, AWorkbookWithoutRowsStillCompletes)
{
    WriteFile(dir.Path() + "/nothing.xls", "<?xml version=\"1.0\"?><Workbook/>");
    ImportDlg dlg(frame, -1, corva->contactManager);
    RunModal(dlg,
             [&]
             {
                 Choose(dlg, dir.Path() + "/nothing.xls");
                 Click(&dlg, "ID_BUTTON_IMPORT");
                 EXPECT_EQ("Import completed! 0 contacts imported. 0 rows skipped.", Status(dlg));
                 EXPECT_FALSE(FindChild(&dlg, "ID_BUTTON_IMPORT")->IsEnabled());
             });
    EXPECT_EQ(0, ContactCount());
    EXPECT_EQ(1, observer.calls)
        << "the empty list still goes to the contact manager, which searches and notifies once";
}

TEST_F(ImportDlgTest, DuringTheImportOnlyTheDialogTakesInputAndItRepaints)
{
    const int rows = 300;
    WriteFile(dir.Path() + "/many.xls", WorkbookWithRows(rows));
    ImportDlg dlg(frame, -1, corva->contactManager);

    int pumps = 0;
    int pumpsWhileBlocked = 0;
    int paintsWhileImporting = 0;
    bool closedWhileImporting = false;
    wxString statusWhileReading;
    dlg.Bind(wxEVT_PAINT,
             [&](wxPaintEvent& event)
             {
                 if (dlg.IsImporting())
                     ++paintsWhileImporting;
                 event.Skip();
             });
    SetMessagePump(
        [&]
        {
            ++pumps;
            if (dlg.IsImporting() && !frame->IsEnabled() && dlg.IsEnabled() &&
                !FindChild(&dlg, "ID_BUTTON_IMPORT")->IsEnabled())
                ++pumpsWhileBlocked;
            if (pumps == 10)
                statusWhileReading = Status(dlg);
            if (pumps == 1)
            {
                dlg.Refresh();
                closedWhileImporting = !dlg.Close();
            }
            Platform::PumpOneMessage();
        });

    RunModal(dlg,
             [&]
             {
                 Choose(dlg, dir.Path() + "/many.xls");
                 Click(&dlg, "ID_BUTTON_IMPORT");
                 EXPECT_EQ("Import completed! 300 contacts imported. 0 rows skipped.", Status(dlg));
                 EXPECT_TRUE(dlg.IsModal()) << "a close request during the import is refused";
             });

    EXPECT_EQ(2 * rows, pumps) << "one message per table row while reading, one per record while inserting";
    EXPECT_EQ(pumps, pumpsWhileBlocked) << "the main window is disabled throughout, the dialog is not";
    EXPECT_TRUE(closedWhileImporting);
    EXPECT_TRUE(statusWhileReading == "Given" || statusWhileReading.StartsWith("Family"))
        << "the status label follows the cell texts: " << statusWhileReading;
    EXPECT_GT(paintsWhileImporting, 0) << "the dialog repaints while the rows are read and stored";
    EXPECT_TRUE(frame->IsEnabled()) << "the main window takes input again afterwards";
    EXPECT_EQ(rows, ContactCount());
}
