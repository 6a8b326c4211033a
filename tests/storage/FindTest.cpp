// The find: any text of a contact, kept current by every write.
#include <gtest/gtest.h>

#include <algorithm>

#include <wx/wxsqlite3.h>

#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/DatabaseIndexes.h"
#include "storage/FindIndex.h"
#include "storage/HistoryManager.h"
#include "tests/storage/StorageTestUtil.h"

namespace
{
class FindTest : public CorvalaTest
{
protected:
    // The family names of what the find shows, sorted, and the count.
    wxString Find(const wxString& text)
    {
        SearchCondition condition;
        condition.find = text;
        manager.SetCondition(condition);
        manager.Search();
        wxArrayString names;
        for (ContactInfoEx* contact : manager.contactList)
            names.Add(contact->last_name);
        names.Sort();
        EXPECT_EQ(manager.totalCount, static_cast<int>(names.size())) << text;
        return wxJoin(names, ',');
    }

    ContactInfoEx* Add(const wxString& last, const wxString& first, const wxString& alpha)
    {
        ContactInfoEx* contact = new ContactInfoEx();
        contact->last_name = last;
        contact->first_name = first;
        contact->last_name_alpha = alpha;
        records.emplace_back(contact);
        return contact;
    }

    ContactManager manager;
    std::vector<std::unique_ptr<ContactInfoEx>> records;
};
} // namespace

TEST_F(FindTest, FindsAnyTextWhateverCaseWidthAccentsAndPhoneSeparators)
{
    ContactInfoEx* baker = Add("Baker", "Tom", "Baker");
    baker->company = "Riverbend Foods";
    baker->business_phone = "+44 20 7946 0958";
    baker->email = "tom@bakery.example";
    baker->home_street = wxString::FromUTF8("12 Rue de l'Église");
    baker->keptProperties.Add("NICKNAME:Tommy");
    ContactInfoEx* yamada = Add(wxString::FromUTF8("山田"), wxString::FromUTF8("太郎"), "Yamada");
    yamada->company = wxString::FromUTF8("ＡＢＣ商事");
    yamada->home_phone = "03-1234-5678";
    ContactInfoEx* garcia = Add(wxString::FromUTF8("García"), "Ana", "Garcia");
    garcia->job_title = "50% partner";
    for (auto& record : records)
        manager.Insert(record.get());

    EXPECT_EQ(Find("baker"), "Baker");
    EXPECT_EQ(Find("BAKER"), "Baker");
    EXPECT_EQ(Find(wxString::FromUTF8("ｂａｋｅｒ")), "Baker") << "full-width letters";
    EXPECT_EQ(Find("tom baker"), "Baker") << "every word, each in any field";
    EXPECT_EQ(Find("tom garcia"), "");
    EXPECT_EQ(Find("foods"), "Baker");
    EXPECT_EQ(Find("tommy"), "Baker") << "a kept property's value";
    EXPECT_EQ(Find("eglise"), "Baker") << "accents";
    EXPECT_EQ(Find(wxString::FromUTF8("l'église")), "Baker");
    EXPECT_EQ(Find(wxString::FromUTF8("GARCÍA")), wxString::FromUTF8("García"));
    EXPECT_EQ(Find("50%"), wxString::FromUTF8("García"));
    EXPECT_EQ(Find("b*r"), "") << "a wildcard is a character like any other";

    // Phone numbers, whatever their separators and country code.
    EXPECT_EQ(Find("79460958"), "Baker");
    EXPECT_EQ(Find("(020) 7946-0958"), "Baker") << "the national form of +44";
    EXPECT_EQ(Find("0044 20 7946"), "Baker");
    EXPECT_EQ(Find(wxString::FromUTF8("０３１２３４")), wxString::FromUTF8("山田")) << "full-width digits";

    // Chinese and Japanese text by any part of it, one character too.
    EXPECT_EQ(Find("abc"), wxString::FromUTF8("山田"));
    EXPECT_EQ(Find(wxString::FromUTF8("商事")), wxString::FromUTF8("山田"));
    EXPECT_EQ(Find(wxString::FromUTF8("田")), wxString::FromUTF8("山田"));
    EXPECT_EQ(Find("a"), wxString::FromUTF8("Baker,García,山田"));

    // Tag names, as they are named now.
    dir.Exec("insert into mst_tags (id, name, display_order) values (40, 'Golf club', 1);");
    dir.Exec(wxString::Format("insert into contact_tag values (%d, 40);", garcia->id));
    EXPECT_EQ(Find("GOLF"), wxString::FromUTF8("García"));
    dir.Exec("update mst_tags set name = 'Tennis' where id = 40;");
    EXPECT_EQ(Find("golf"), "");
    EXPECT_EQ(Find("ana tennis"), wxString::FromUTF8("García"));

    // History comments, edits and deletes are found as they now stand.
    HistoryManager history;
    HistoryInfo entry;
    entry.contact_id = yamada->id;
    entry.his_time = wxDateTime::Now();
    entry.comment = "Discussed the merger";
    history.Insert(&entry);
    EXPECT_EQ(Find("merger"), wxString::FromUTF8("山田"));

    Find("");
    ContactInfoEx* stored = nullptr;
    for (ContactInfoEx* contact : manager.contactList)
        stored = contact->id == baker->id ? contact : stored;
    ASSERT_NE(stored, nullptr);
    stored->company = "Northwind";
    manager.Update(stored);
    EXPECT_EQ(Find("foods"), "");
    EXPECT_EQ(Find("northwind"), "Baker");
    EXPECT_EQ(Find("tommy"), "Baker") << "the kept lines stay found after an edit";

    Find("");
    for (ContactInfoEx* contact : manager.contactList)
        stored = contact->id == yamada->id ? contact : stored;
    manager.Delete(stored);
    EXPECT_EQ(Find("yamada"), "");
    EXPECT_EQ(dir.ScalarInt("select count(*) from contact_find;"), 2);

    // Contacts another program added are found after the next start.
    SeedContact(dir, "Zimmer");
    EXPECT_EQ(Find("zimmer"), "");
    AddMissingIndexes();
    EXPECT_EQ(Find("immer"), "Zimmer");
    EXPECT_EQ(Find("northwind"), "Baker") << "the index is filled anew from every contact";

    // Pages of what was found, in the list's order, the total on each.
    SeedContacts(dir, 120);
    AddMissingIndexes();
    SearchCondition paged;
    paged.find = "n01";
    paged.pageIndex = 1;
    manager.SetCondition(paged);
    manager.Search();
    EXPECT_EQ(manager.totalCount, 20);
    ASSERT_EQ(manager.contactList.GetCount(), 20u);
    EXPECT_EQ(manager.contactList[0]->last_name_alpha, "N0119");
    EXPECT_EQ(manager.contactList[19]->last_name_alpha, "N0100");
    paged.find = "n00";
    paged.pageIndex = 2;
    manager.SetCondition(paged);
    manager.Search();
    EXPECT_EQ(manager.totalCount, 100);
    ASSERT_EQ(manager.contactList.GetCount(), 50u);
    EXPECT_EQ(manager.contactList[0]->last_name_alpha, "N0049");
    paged.pageIndex = 4;
    manager.SetCondition(paged);
    manager.Search();
    EXPECT_TRUE(manager.contactList.IsEmpty());
    EXPECT_EQ(manager.totalCount, 100) << "a page past the last still counts them all";

    // The same page when many are found: the list's order walked until the
    // page is full, or sorted after all when the walk finds too few.
    manager.findSortCap = 0;
    for (int walked : {1000, 10})
    {
        manager.findWalkRows = walked;
        paged.pageIndex = 2;
        manager.SetCondition(paged);
        manager.Search();
        EXPECT_EQ(manager.totalCount, 100) << walked;
        ASSERT_EQ(manager.contactList.GetCount(), 50u) << walked;
        EXPECT_EQ(manager.contactList[0]->last_name_alpha, "N0049") << walked;
        EXPECT_EQ(manager.contactList[49]->last_name_alpha, "N0000") << walked;
    }

    // Left to a counter, the page comes first and its total after it, from
    // the index read a range of rows at a time.
    int ticket = 0;
    wxString where, sorted;
    manager.countFound = [&](int t, const wxString& w, const wxString& s)
    {
        ticket = t;
        where = w;
        sorted = s;
    };
    manager.findWalkRows = 1000;
    paged.pageIndex = 1;
    manager.SetCondition(paged);
    manager.Search();
    EXPECT_TRUE(manager.findCountPending);
    EXPECT_EQ(manager.totalCount, 51) << "at least one more than the page";
    auto scalar = [this](const wxString& sql) -> long long { return dir.ScalarInt(sql); };
    EXPECT_EQ(FindIndex::CountRows(
                  scalar, where, [] { return true; }, 7),
              -1)
        << "cancelled";
    const int counted = FindIndex::CountRows(scalar, where, {}, 7);
    EXPECT_EQ(counted, 100);
    EXPECT_FALSE(manager.FoundCounted(ticket - 1, 3)) << "a count of an earlier search";
    EXPECT_TRUE(manager.FoundCounted(ticket, counted));
    EXPECT_EQ(manager.totalCount, 100);
    manager.SetCondition(paged);
    manager.Search();
    EXPECT_EQ(manager.ExactTotal(), 100) << "counted at once when asked";
    EXPECT_FALSE(manager.FoundCounted(ticket, 3)) << "and the counter's total comes too late";

    // A page the walk could not fill shows the first rows found, and the
    // counter's sorted page takes its place; or it is read at once.
    paged.find = "n01";
    manager.findWalkRows = 10;
    for (bool counter : {true, false})
    {
        manager.SetCondition(SearchCondition());
        manager.SetCondition(paged);
        manager.Search();
        EXPECT_TRUE(manager.findCountPending);
        ASSERT_FALSE(sorted.empty());
        EXPECT_LT(manager.contactList.GetCount(), 20u);
        if (counter)
        {
            std::vector<int> ids;
            wxSQLite3Database db;
            db.Open(dir.DbPath(), Database::Key());
            const int total = FindIndex::CountFound(db, where, sorted, ids);
            db.Close();
            EXPECT_TRUE(manager.FoundCounted(ticket, total, ids));
        }
        else
            EXPECT_EQ(manager.ExactTotal(), 20);
        EXPECT_FALSE(manager.findCountPending);
        EXPECT_EQ(manager.totalCount, 20) << counter;
        ASSERT_EQ(manager.contactList.GetCount(), 20u) << counter;
        EXPECT_EQ(manager.contactList[0]->last_name_alpha, "N0119") << counter;
        EXPECT_EQ(manager.contactList[19]->last_name_alpha, "N0100") << counter;
    }
    manager.countFound = nullptr;

    // A book whose index could not be added still finds, more slowly.
    dir.Exec("drop table contact_find;");
    EXPECT_EQ(Find("NORTH"), "Baker");
    EXPECT_EQ(Find("zimmer"), "Zimmer");
    EXPECT_TRUE(errors.messages.empty());
}
