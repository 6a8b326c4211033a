// CSV export without windows: what a spreadsheet reads back from the rows,
// and an export that fails leaving no file.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filefn.h>

#include <string>
#include <vector>

#include "exchange/CsvExport.h"
#include "storage/ContactManager.h"
#include "storage/SearchCondition.h"
#include "storage/TagManager.h"
#include "tests/support/TestEnv.h"

namespace
{
std::string ReadFile(const wxString& path)
{
    wxFFile file(path, "rb");
    std::string bytes(static_cast<size_t>(file.Length()), '\0');
    file.Read(&bytes[0], bytes.size());
    return bytes;
}

// The rows as a spreadsheet splits them (after the byte order mark): a line
// break outside quotes ends a row.
std::vector<std::vector<wxString>> ParseCsv(const std::string& text)
{
    std::vector<std::vector<wxString>> rows(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 3; i < text.size(); ++i)
    {
        if (quoted && text.compare(i, 2, "\"\"") == 0)
            field += text[++i];
        else if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && (text[i] == ',' || text[i] == '\n' || text.compare(i, 2, "\r\n") == 0))
        {
            rows.back().push_back(wxString::FromUTF8(field));
            field.clear();
            if (text[i] != ',' && (text[i] == '\n' || text[++i] == '\n') && i + 1 < text.size())
                rows.emplace_back();
        }
        else
            field += text[i];
    }
    return rows;
}

class CsvExportTest : public CorvalaTest
{
protected:
    TagManager tags;
    ContactManager contacts;
};
} // namespace

TEST_F(CsvExportTest, RowsReadBackAsStoredUnderTheHeaderWithTheirTags)
{
    dir.Exec(wxString::FromUTF8("insert into mst_tags (name, display_order) values ('Friends', 1), ('仕事', 2);"
                                "insert into contacts (last_name, last_name_alpha, first_name, sex, birthday, company,"
                                " business_phone, email, comment) values ('山田', 'yamada', '太郎', 0, '1970-01-02',"
                                " 'Acme, Inc.', '+44 20 7946 0000', '=1+1', 'He said \"hi\"' || char(13, 10) ||"
                                " 'line two' || char(10) || 'three');"
                                "insert into contacts (last_name, last_name_alpha, sex, birthday, home_im, comment)"
                                " values ('Zed', 'zed', 7, 'some May', ' padded ', 'one' || char(10) || 'two');"
                                "insert into contact_tag values (1, 1), (1, 2);"));
    tags.Load();
    const wxString path = dir.Path() + "/book.csv";
    const CsvExport::Result result = CsvExport::WriteSearch(path, SearchCondition(), contacts, tags);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.written, 2u);

    const std::string text = ReadFile(path);
    EXPECT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0) << "byte order mark";
    EXPECT_NE(text.find(",\"He said \"\"hi\"\"\r\nline two\nthree\",Friends; "), std::string::npos) << text;
    const std::vector<std::vector<wxString>> rows = ParseCsv(text);
    ASSERT_EQ(rows.size(), 3u) << text;
    const wxArrayString labels = CsvExport::ColumnLabels();
    EXPECT_EQ(rows[0], std::vector<wxString>(labels.begin(), labels.end()));
    const wxString joined = wxJoin(labels, '|');
    EXPECT_TRUE(joined.StartsWith("last_name|last_name_alpha|first_name|first_name_alpha|sex|birthday|company|"));
    EXPECT_TRUE(joined.EndsWith("|webpage_2|comment|Tags")) << joined;
    // In list order: last_name_alpha descending.
    const std::vector<wxString> zed = rows[1], yamada = rows[2];
    ASSERT_EQ(yamada.size(), 39u);
    ASSERT_EQ(zed.size(), 39u);
    EXPECT_EQ(yamada[0] + yamada[2], wxString::FromUTF8("山田太郎"));
    EXPECT_EQ(yamada[4] + "|" + yamada[5] + "|" + yamada[6], "Female|1970-01-02|Acme, Inc.");
    EXPECT_EQ(yamada[11] + "|" + yamada[33], "+44 20 7946 0000|=1+1") << "nothing put before + or =";
    EXPECT_EQ(yamada[37], "He said \"hi\"\r\nline two\nthree");
    EXPECT_EQ(yamada[38], wxString::FromUTF8("Friends; 仕事"));
    EXPECT_EQ(zed[4] + "|" + zed[5] + "|" + zed[30] + "|" + zed[37] + "|" + zed[38],
              "Not stated|some May| padded |one\ntwo|")
        << "a date stored in another form goes out as the book holds it";

    // The selection writes the same rows; a condition writes what it finds.
    contacts.condition.pageSize = -1;
    contacts.Search();
    ContactArray page;
    for (ContactInfoEx* c : contacts.contactList)
        page.Add(c);
    ASSERT_TRUE(CsvExport::WriteContacts(dir.Path() + "/selected.csv", page, tags).ok);
    EXPECT_EQ(ReadFile(dir.Path() + "/selected.csv"), text);
    SearchCondition tagged;
    tagged.tagId = 2;
    EXPECT_EQ(CsvExport::WriteSearch(path, tagged, contacts, tags).written, 1u);
    EXPECT_EQ(ParseCsv(ReadFile(path)).size(), 2u);
    EXPECT_TRUE(errors.messages.empty());

    const CsvExport::Result unwritable = CsvExport::WriteSearch("/proc/book.csv", SearchCondition(), contacts, tags);
    EXPECT_FALSE(unwritable.ok);
    EXPECT_EQ(unwritable.error, "the folder /proc cannot be written to");
    EXPECT_FALSE(wxFileExists("/proc/book.csv"));
}
