// The vCard and CSV commands of the main window: the Tools menu items, the
// drop target and the dialogs they open, driven as a user would.
#include <wx/button.h>
#include <wx/ffile.h>
#include <wx/menu.h>
#include <wx/radiobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>

#include "dialogs/VCardExportDlg.h"
#include "dialogs/VCardImportDlg.h"
#include "frame/LongLoad.h"
#include "tests/dialogs/DialogTestUtil.h"
#include "tests/frame/FrameFixture.h"

namespace
{
// Runs the given code on a dialog of type T when the program shows it.
template <typename T> class OnDialog : public wxExpectModalBase<T, OnDialog<T>>
{
public:
    explicit OnDialog(std::function<void(T*)> act) : act(std::move(act)) {}

protected:
    int OnInvoked(T* dialog) const override
    {
        act(dialog);
        return wxID_CANCEL;
    }

private:
    std::function<void(T*)> act;
};

void WriteFile(const wxString& path, const std::string& bytes)
{
    wxFFile file(path, "wb");
    file.Write(bytes.data(), bytes.size());
}

std::string ReadFile(const wxString& path)
{
    wxFFile file(path, "rb");
    std::string bytes(static_cast<size_t>(file.Length()), '\0');
    file.Read(&bytes[0], bytes.size());
    return bytes;
}

wxString Status(wxWindow* dialog)
{
    // The label wraps its text at spaces.
    wxString text = FindChild<wxStaticText>(dialog, "ID_LBL_STATUS")->GetLabel();
    text.Replace("\n", " ");
    return text;
}

class VCardDlgTest : public FrameTest
{
protected:
    int MenuId(const char* label)
    {
        const int id = frame->GetMenuBar()->FindMenuItem("&Tools", label);
        EXPECT_NE(id, wxNOT_FOUND) << label;
        return id;
    }
};
} // namespace

TEST_F(VCardDlgTest, ImportFromTheMenuOrADropAndExportWhatWasImported)
{
    AddContact({"Adams", "Ann", "Adams", "Ann", 1, ""});
    OpenFrame();
    const wxString file = dir.Path() + "/phone.vcf";
    WriteFile(file, "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Adams;Ann\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:B=C3=A4cker;Bea\r\n"
                    "CATEGORIES:Friends\r\nEND:VCARD\r\n");

    wxTEST_DIALOG(Menu(MenuId("Import vCard...")),
                  OnDialog<VCardImportDlg>(
                      [&](VCardImportDlg* dlg)
                      {
                          EXPECT_EQ(dlg->GetTitle(), "Import vCard");
                          EXPECT_FALSE(FindChild(dlg, "ID_BUTTON_IMPORT")->IsEnabled()) << "no file yet";
                          wxArrayString paths;
                          paths.Add(file);
                          dlg->SetPaths(paths);
                          ::Click(dlg, "ID_BUTTON_IMPORT");
                          EXPECT_EQ(Status(dlg), "Imported 1 contact from phone.vcf. Skipped 1 card: 1 matches an "
                                                 "existing contact.");
                          EXPECT_FALSE(FindChild(dlg, "ID_BUTTON_IMPORT")->IsEnabled()) << "once per choice";
                      }));
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 2);
    EXPECT_EQ(ResultList()->GetItemCount(), 2) << "the list shows the new contact";
    EXPECT_EQ(dir.Scalar("select name from mst_tags;"), "Friends");
    EXPECT_NE(ResultList()->FindItem(-1, wxString::FromUTF8("B\xC3\xA4"
                                                            "cker Bea")),
              -1);

    // Dropped files: only vCards are taken, and they open the same dialog.
    wxFileDropTarget* drop = dynamic_cast<wxFileDropTarget*>(frame->GetDropTarget());
    ASSERT_TRUE(drop);
    wxArrayString dropped;
    dropped.Add(dir.Path() + "/notes.txt");
    EXPECT_FALSE(drop->OnDropFiles(10, 10, dropped)) << "no vCard among them";
    dropped.Add(file);
    {
        // While a long read lets messages through, the dialog waits for it.
        LongLoad read;
        ASSERT_TRUE(drop->OnDropFiles(10, 10, dropped));
        wxTestingModalHook noDialog(__FILE__, __LINE__, __WXFUNCTION__);
        Settle();
        noDialog.CheckUnmetExpectations();
    }
    wxTEST_DIALOG(Settle(), OnDialog<VCardImportDlg>(
                                [&](VCardImportDlg* dlg)
                                {
                                    ASSERT_EQ(dlg->GetPaths().size(), 1u);
                                    EXPECT_EQ(dlg->GetPaths()[0], file);
                                    wxRadioBox* duplicates = FindChild<wxRadioBox>(dlg, "ID_RADIOBOX_DUPLICATES");
                                    duplicates->SetSelection(1);
                                    ::Click(dlg, "ID_BUTTON_IMPORT");
                                    EXPECT_EQ(Status(dlg), "Imported 2 contacts from phone.vcf.");
                                }));
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 4) << "imported anyway";

    const wxString out = dir.Path() + "/out.vcf";
    wxTEST_DIALOG(Menu(MenuId("Export vCard...")),
                  OnDialog<VCardExportDlg>(
                      [&](VCardExportDlg* dlg)
                      {
                          wxRadioBox* scope = FindChild<wxRadioBox>(dlg, "ID_RADIOBOX_SCOPE");
                          EXPECT_EQ(scope->GetSelection(), VCardExportDlg::SCOPE_BOOK);
                          EXPECT_EQ(scope->GetString(VCardExportDlg::SCOPE_BOOK),
                                    "The whole address book (4 contacts)");
                          FindChild<wxRadioBox>(dlg, "ID_RADIOBOX_VERSION")->SetSelection(1);
                          EXPECT_TRUE(dlg->ExportTo(out));
                          EXPECT_EQ(Status(dlg), "Exported 4 contacts to out.vcf.");
                          EXPECT_FALSE(dlg->ExportTo(dir.Path() + "/no/such/folder.vcf"));
                          EXPECT_TRUE(Status(dlg).StartsWith("Nothing was exported to folder.vcf")) << Status(dlg);
                      }));
    const std::string text = ReadFile(out);
    EXPECT_NE(text.find("VERSION:4.0\r\n"), std::string::npos);
    EXPECT_NE(text.find("CATEGORIES:Friends\r\n"), std::string::npos);
    EXPECT_NE(text.find("N:B\xC3\xA4"
                        "cker;Bea;;;\r\n"),
              std::string::npos)
        << "UTF-8";

    // The CSV form of the same dialog: no version to choose, one row a contact.
    const wxString csv = dir.Path() + "/out.csv";
    wxTEST_DIALOG(Menu(MenuId("Export to CSV...")), OnDialog<VCardExportDlg>(
                                                        [&](VCardExportDlg* dlg)
                                                        {
                                                            EXPECT_EQ(dlg->GetTitle(), "Export to CSV");
                                                            EXPECT_EQ(FindChild(dlg, "ID_RADIOBOX_VERSION"), nullptr);
                                                            EXPECT_TRUE(dlg->ExportTo(csv));
                                                            EXPECT_EQ(Status(dlg), "Exported 4 contacts to out.csv.");
                                                        }));
    const std::string rows = ReadFile(csv);
    EXPECT_EQ(rows.compare(0, 13, "\xEF\xBB\xBFlast_name,"), 0);
    EXPECT_NE(rows.find("\r\nB\xC3\xA4"
                        "cker,B\xC3\xA4"
                        "cker,Bea,Bea,Not stated,"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find(",Friends\r\n"), std::string::npos);
}
