// The three-way merge alone, field by field, without a server.
#include <gtest/gtest.h>

#include "sync/CardMerge.h"

namespace
{
CardMerge::Side Person(const wxString& company, const wxString& title, std::initializer_list<const char*> kept = {},
                       std::initializer_list<const char*> tags = {})
{
    CardMerge::Side side;
    side.contact.last_name = "Lind";
    side.contact.first_name = "Maja";
    side.contact.company = company;
    side.contact.job_title = title;
    for (const char* line : kept)
        side.contact.keptProperties.Add(line);
    for (const char* tag : tags)
        side.tags.Add(tag);
    return side;
}

CardMerge::Result Merge(const CardMerge::Side& base, const CardMerge::Side& local, const CardMerge::Side& server)
{
    return CardMerge::Merge(base, base, local, local, server);
}
} // namespace

TEST(CardMergeTest, AFieldChangedOnOneSideTakesThatSideAndTheSameFieldChangedTwiceKeepsThisComputers)
{
    const CardMerge::Side base = Person("Fjord AB", "Clerk");
    // Company changed here, title there: both come through, and what is
    // here then differs from the server's card only by the company.
    CardMerge::Result result = Merge(base, Person("Fjord Group", "Clerk"), Person("Fjord AB", "Manager"));
    EXPECT_EQ("Fjord Group", result.merged.contact.company);
    EXPECT_EQ("Manager", result.merged.contact.job_title);
    EXPECT_TRUE(result.conflicts.empty());
    EXPECT_TRUE(result.NeedsUpload());
    EXPECT_EQ("Fjord AB", result.unsent.contact.company);

    // The same change on both sides is no conflict and nothing to send.
    result = Merge(base, Person("Fjord Group", "Clerk"), Person("Fjord Group", "Clerk"));
    EXPECT_TRUE(result.conflicts.empty());
    EXPECT_FALSE(result.NeedsUpload());

    // Different changes of one field: this computer's stays, the server's is named.
    result = Merge(base, Person("Mine", "Clerk"), Person("Theirs", "Clerk"));
    EXPECT_EQ("Mine", result.merged.contact.company);
    ASSERT_EQ(1u, result.conflicts.size());
    EXPECT_EQ("Theirs", result.conflicts[0].theirs);
    EXPECT_EQ("Mine", result.conflicts[0].mine);
    EXPECT_TRUE(result.NeedsUpload());

    // Emptied here while changed there: the change is not lost.
    result = Merge(base, Person("", "Clerk"), Person("Fjord Group", "Clerk"));
    EXPECT_EQ("Fjord Group", result.merged.contact.company);
    EXPECT_TRUE(result.conflicts.empty());
}

TEST(CardMergeTest, KeptLinesAndTagsChangedOnBothSidesMergeLineByLine)
{
    const CardMerge::Side base = Person("Fjord AB", "", {"UID:keep-1", "X-A:old"}, {"Family", "Work"});
    const CardMerge::Side local = Person("Fjord AB", "", {"UID:keep-1", "X-A:old", "PHOTO:here"}, {"Family"});
    const CardMerge::Side server = Person("Fjord AB", "", {"UID:keep-1", "X-B:new"}, {"Family", "Work", "VIP"});
    const CardMerge::Result result = Merge(base, local, server);
    EXPECT_EQ(wxJoin(result.merged.contact.keptProperties, '|'), "UID:keep-1|PHOTO:here|X-B:new")
        << "a line added here stays, one the server removed goes, one it added comes";
    EXPECT_EQ(wxJoin(result.merged.tags, '|'), "Family|VIP") << "the tag removed here stays removed";
    EXPECT_TRUE(result.conflicts.empty());
}

TEST(CardMergeTest, WithoutACommonPastAValueOnlyOneSideHasIsTakenAndDifferentOnesConflict)
{
    // A contact here linked to the same person's card at the first sync.
    const CardMerge::Side nothing;
    const CardMerge::Result result =
        Merge(nothing, Person("Local Co", "", {"PHOTO:here"}), Person("", "Pilot", {"X-B:there"}));
    EXPECT_EQ("Local Co", result.merged.contact.company);
    EXPECT_EQ("Pilot", result.merged.contact.job_title);
    EXPECT_EQ(wxJoin(result.merged.contact.keptProperties, '|'), "PHOTO:here|X-B:there");
    EXPECT_TRUE(result.conflicts.empty());
    EXPECT_TRUE(result.NeedsUpload()) << "the server lacks the company";

    const CardMerge::Result both = Merge(nothing, Person("Local Co", ""), Person("Other Co", ""));
    ASSERT_EQ(1u, both.conflicts.size());
    EXPECT_EQ("Local Co", both.merged.contact.company);
}
