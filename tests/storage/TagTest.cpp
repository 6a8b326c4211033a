// The tag cache, display orders, look-ups and tag writes.
#include <gtest/gtest.h>

#include "storage/TagManager.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class TagTest : public CorvalaTest
{
protected:
    TagTest() : observer("tags", log)
    {
        manager.SetObserver(&observer);
    }

    TagInfo Add(const wxString& name)
    {
        TagInfo tag(-1, name);
        manager.Insert(&tag);
        return tag;
    }

    std::vector<std::string> log;
    LoggingObserver observer;
    TagManager manager;
};
} // namespace

TEST_F(TagTest, InsertAssignsDisplayOrdersFromTheCachedMaximum)
{
    EXPECT_EQ(manager.GetMaxDisplayOrder(), -2);
    TagInfo first = Add("Family");
    TagInfo second = Add("Work");
    TagInfo third = Add("Golf");
    EXPECT_EQ(first.display_order, -1);
    EXPECT_EQ(second.display_order, 0);
    EXPECT_EQ(third.display_order, 1);
    EXPECT_EQ(log.size(), 3u);
    EXPECT_GT(third.id, 0) << "the id is read back";

    EXPECT_NE(manager.FindByName("Golf"), nullptr) << "the cache follows an insert with no window reloading it";

    EXPECT_EQ(manager.Delete(manager.FindById(third.id)), 0) << "no links removed";
    EXPECT_EQ(dir.ScalarInt("select count(*) from mst_tags;"), 2) << "but the row is gone";
    EXPECT_EQ(manager.FindById(third.id), nullptr) << "and out of the cache";
    TagInfo fourth = Add("Chess");
    EXPECT_EQ(fourth.display_order, 1) << "the deleted maximum is reused";

    // A load that cannot read the tags says so and keeps what it knew,
    // so nobody acts on an empty list.
    ErrorRecorder errors;
    dir.Exec("alter table mst_tags rename to mst_tags_gone;");
    EXPECT_FALSE(manager.Load());
    EXPECT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(manager.FindByName("Chess"), nullptr);
    dir.Exec("alter table mst_tags_gone rename to mst_tags;");
    EXPECT_TRUE(manager.Load());
}

TEST_F(TagTest, LoadEnumeratesByIdBucketAndFindsNamesIgnoringCase)
{
    dir.Exec("insert into mst_tags (id, name, display_order) values (3, 'Work', 5), (1, 'Friends', 2), "
             "(2, 'O''Brien''s', 9), (104, 'Wrapped', 7);");
    manager.Load();
    wxArrayString names;
    names.Add("kept");
    manager.GetTagNames(names);
    // 101 buckets: id 104 shares bucket 3 with id 3 and, inserted after it
    // (lower display order loads later), comes first there.
    ASSERT_EQ(names.GetCount(), 5u);
    EXPECT_EQ(names[0], "kept") << "names are appended";
    EXPECT_EQ(names[1], "Friends");
    EXPECT_EQ(names[2], "O'Brien's");
    EXPECT_EQ(names[3], "Work");
    EXPECT_EQ(names[4], "Wrapped");

    ASSERT_NE(manager.FindByName("work"), nullptr);
    EXPECT_EQ(manager.FindByName("WORK")->id, 3);
    EXPECT_EQ(manager.FindByName("wor"), nullptr);

    wxArrayInt ids;
    ids.Add(2);
    ids.Add(77); // a stale link: skipped
    ids.Add(3);
    wxArrayString byIds;
    manager.GetTagNamesByIds(ids, byIds);
    ASSERT_EQ(byIds.GetCount(), 2u);
    EXPECT_EQ(byIds[0], "O'Brien's");
    EXPECT_EQ(byIds[1], "Work");
    EXPECT_EQ(manager.GetMaxDisplayOrder(), 9);
}

TEST_F(TagTest, ApostrophesDuplicatesUpdatesAndDeletes)
{
    TagInfo quoted = Add("Tom's friends");
    EXPECT_EQ(quoted.id, dir.ScalarInt("select id from mst_tags where name = 'Tom''s friends';"));
    EXPECT_TRUE(errors.messages.empty());

    TagInfo twin1 = Add("Twin");
    TagInfo twin2 = Add("Twin");
    EXPECT_NE(twin1.id, twin2.id);
    EXPECT_EQ(twin2.id, dir.ScalarInt("select id from mst_tags where name = 'Twin' order by rowid desc limit 1;"));

    TagInfo* cached = manager.FindById(quoted.id);
    cached->name = "Renamed";
    log.clear();
    EXPECT_EQ(manager.Update(cached), 1);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(dir.Scalar(wxString::Format("select name from mst_tags where id=%d;", quoted.id)), "Renamed");

    dir.Exec(
        wxString::Format("insert into contact_tag values (1, %d), (2, %d), (3, %d);", quoted.id, quoted.id, twin1.id));
    manager.Load();
    EXPECT_EQ(manager.Delete(manager.FindById(quoted.id)), 2) << "the number of links removed";
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_tag;"), 1);

    EXPECT_EQ(manager.Insert(nullptr), 0);
    EXPECT_EQ(manager.Update(nullptr), 0);
    EXPECT_EQ(manager.Delete(nullptr), 0);
}
