// The indexes of an older database file: the program adds the ones it lacks
// and changes nothing else; a file it cannot change is left alone, silently.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include "storage/Database.h"
#include "storage/DatabaseIndexes.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class DatabaseIndexTest : public CorvalaTest
{
protected:
    std::string FileBytes()
    {
        wxFFile file(dir.DbPath(), "rb");
        std::string bytes(static_cast<size_t>(file.Length()), '\0');
        file.Read(&bytes[0], bytes.size());
        return bytes;
    }

    // Everything in the file but its indexes, as text.
    wxString EverythingButIndexes()
    {
        wxSQLite3Database db;
        db.Open(dir.DbPath());
        wxString all;
        for (const char* sql : {"select type, name, sql from sqlite_master where type != 'index' order by name;",
                                "select * from contacts;", "select * from contact_tag;", "select * from mst_tags;",
                                "select * from contact_history;", "pragma user_version;"})
        {
            wxSQLite3ResultSet rs = db.ExecuteQuery(sql);
            while (rs.NextRow())
            {
                for (int column = 0; column < rs.GetColumnCount(); ++column)
                    all += rs.GetAsString(column) + "|";
                all += "\n";
            }
        }
        return all;
    }

    bool HasIndex(const DatabaseIndex& index)
    {
        return dir.ScalarInt(wxString::Format(
                   "select count(*) from sqlite_master where type = 'index' and name = '%s' and tbl_name = '%s';",
                   index.name, index.table)) == 1;
    }
};
} // namespace

TEST_F(DatabaseIndexTest, AnOlderFileGetsTheMissingIndexesAndNothingElseChanges)
{
    SeedContacts(dir, 3);
    dir.Exec("insert into contact_tag values (1, 7);");
    dir.Exec("insert into contact_history (his_time, contact_id, his_type, comment) values ('2010-01-15 09:30:00', 2, "
             "0, 'Call');");
    dir.Exec("pragma user_version = 3;");
    // An older version made only some of them.
    const std::vector<DatabaseIndex>& indexes = DatabaseIndexes();
    ASSERT_GE(indexes.size(), 2u);
    for (size_t i = 1; i < indexes.size(); ++i)
        dir.Exec(wxString("drop index ") + indexes[i].name + ";");
    const wxString before = EverythingButIndexes();

    int told = 0;
    EXPECT_EQ(AddMissingIndexes([&] { ++told; }), static_cast<int>(indexes.size() - 1));
    EXPECT_EQ(told, 1) << "the user is told once before the work starts";
    for (const DatabaseIndex& index : indexes)
        EXPECT_TRUE(HasIndex(index)) << index.name;
    EXPECT_EQ(before, EverythingButIndexes()) << "tables, rows and user version stay as they were";
    EXPECT_TRUE(errors.messages.empty());

    const std::string complete = FileBytes();
    EXPECT_EQ(AddMissingIndexes([&] { ++told; }), 0);
    EXPECT_EQ(told, 1) << "and not when there is nothing to do";
    EXPECT_TRUE(complete == FileBytes()) << "a file with every index is only read";
}

TEST_F(DatabaseIndexTest, AnOlderFileGetsTheTableOfKeptPropertiesAndKeepsItsRows)
{
    SeedContacts(dir, 2);
    dir.Exec("drop table contact_properties;");
    int told = 0;
    AddMissingIndexes([&] { ++told; });
    EXPECT_EQ(told, 1);
    EXPECT_EQ(dir.ScalarInt("select count(*) from sqlite_master where type = 'table' and name = "
                            "'contact_properties';"),
              1);
    EXPECT_EQ(dir.ScalarInt("select count(*) from contacts;"), 2);
    for (const DatabaseIndex& index : DatabaseIndexes())
        EXPECT_TRUE(HasIndex(index)) << index.name;
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(DatabaseIndexTest, AFileThatCannotBeChangedIsLeftAloneWithoutAReport)
{
    // Locked by another program for writing.
    const DatabaseIndex& index = DatabaseIndexes().front();
    dir.Exec(wxString("drop index ") + index.name + ";");
    {
        wxSQLite3Database other;
        other.Open(dir.DbPath());
        other.Begin(WXSQLITE_TRANSACTION_IMMEDIATE);
        Database::SetBusyTimeout(50);
        EXPECT_EQ(AddMissingIndexes(), 0);
        Database::SetBusyTimeout(2000);
        other.Rollback();
    }
    EXPECT_FALSE(HasIndex(index));
    EXPECT_EQ(AddMissingIndexes(), 1) << "added once the lock is gone";

    // A file without the tables gets no indexes.
    wxRemoveFile(dir.DbPath());
    wxFFile(dir.DbPath(), "wb").Close();
    EXPECT_EQ(AddMissingIndexes(), 0);
    EXPECT_EQ(dir.ScalarInt("select count(*) from sqlite_master;"), 0);

    // No data folder: nothing is created.
    wxFileName::Rmdir(dir.Path() + "/data", wxPATH_RMDIR_RECURSIVE);
    EXPECT_EQ(AddMissingIndexes(), 0);
    EXPECT_FALSE(wxFileName::DirExists(dir.Path() + "/data"));
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}
