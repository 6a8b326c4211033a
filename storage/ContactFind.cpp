// The contact manager's side of the find box: the filter and page of the
// contacts found by the find index.
#include <wx/wxsqlite3.h>

#include <vector>

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/FindIndex.h"
#include "storage/UnitOfWork.h"

wxString ContactManager::FindFilter(const SearchCondition& condition)
{
    // Inside a search this runs on the search's connection.
    Adapter adapter;
    const wxString rows = FindIndex::BuildRows(adapter, condition.find);
    return rows.empty() ? wxString(" from contacts ") : " from contacts where id in (" + rows + ")";
}

namespace
{
// When the find gives more than one contact in this many, reading the
// list's index in order finds a page sooner than sorting what was found.
const int FIND_DENSE_SHARE = 20;
} // namespace

wxString ContactManager::FindPage()
{
    const FindIndex::Find find = FindIndex::Plan(adapter, condition.find);
    auto readInt = [this](const wxString& sql, int& value)
    { adapter.Query(sql, [&value](wxSQLite3ResultSet& row) { value = ReadInt(row, 0); }); };
    if (find.rows.empty())
    {
        readInt("select count(id)  from contacts ;", totalCount);
        return PageStatement(" from contacts ", condition);
    }
    if (!find.indexed)
    {
        readInt("select count(*) from (" + find.rows + ");", totalCount);
        int size = 0;
        readInt("select max(id) from contacts;", size); // about the size of the book
        return FoundPageStatement(find.rows, totalCount * FIND_DENSE_SHARE > size);
    }
    if (!find.match.empty())
    {
        // Few rows the index narrows the find down to: the rows found are
        // sorted by the alphabet form kept beside them, and counted in the
        // same read.
        int candidates = 0;
        readInt("select count(*) from (select rowid from contact_find where contact_find match '" + find.match +
                    wxString::Format("' limit %d);", findSortCap + 1),
                candidates);
        if (candidates <= findSortCap)
            return SortedFoundPage(find.Where());
    }
    // Many, or words too short for the index: the list's index is read in
    // order, each contact checked on its row of the find index, until the
    // page is full. A find of names stands together in that order, and may
    // stand far down it: after so many rows without a full page, the rows
    // found are sorted instead.
    const int offset = (condition.pageIndex - 1) * condition.pageSize;
    const int walked = findWalkRows * condition.pageIndex;
    std::vector<int> ids;
    adapter.Query("select id from (select id, exists (select 1 from " + wxString(FindIndex::TEXTS) +
                      " where contact_find.rowid = contacts.id and (" + find.check +
                      wxString::Format(")) as found from contacts order by last_name_alpha DESC limit %d) where "
                                       "found limit %d, %d;",
                                       walked, offset, condition.pageSize),
                  [&ids](wxSQLite3ResultSet& row) { ids.push_back(ReadInt(row, 0)); });
    if (static_cast<int>(ids.size()) < condition.pageSize)
    {
        // A walk over the whole book found everything there is.
        int last = 0;
        readInt("select ifnull(max(id), 0) from contacts;", last);
        if (last <= walked && (!ids.empty() || offset == 0))
        {
            totalCount = offset + static_cast<int>(ids.size());
            return PageOfIds(ids);
        }
        if (!countFound)
            return SortedFoundPage(find.Where());
        // The first rows found stand first on the page too: they are shown
        // while the rows found are sorted off the window thread.
        foundSorted = find.Where();
    }
    // The total needs a read of the whole index (CountAfterPage).
    foundCounted = find.Counted();
    return PageOfIds(ids);
}

void ContactManager::CountAfterPage(int rows)
{
    const int offset = (condition.pageIndex - 1) * condition.pageSize;
    if (foundSorted.empty() && rows < condition.pageSize && (rows > 0 || offset == 0))
    {
        // The last page: the total is known.
        totalCount = offset + rows;
        foundCounted.clear();
        return;
    }
    if (countFound)
    {
        findCountPending = true;
        totalCount = offset + rows + 1;
        countFound(++findTicket, foundCounted,
                   foundSorted.empty() ? wxString() : FindIndex::SortedPage(foundSorted, offset, condition.pageSize));
        return;
    }
    ExactTotal();
}

int ContactManager::ExactTotal()
{
    if (foundCounted.empty())
        return totalCount;
    ++findTicket; // a count running elsewhere is stale now
    findCountPending = false;
    const wxString counted = foundCounted, sorted = foundSorted;
    foundCounted.clear();
    foundSorted.clear();
    if (!sorted.empty())
    {
        // The whole page as well: the counter's would come too late now.
        UnitOfWork unit;
        ReadPage(SortedFoundPage(sorted));
        NotifyObservers();
        return totalCount;
    }
    const int total = FindIndex::CountRows(
        [this](const wxString& sql)
        {
            long long value = -1;
            adapter.Query(sql, [&value](wxSQLite3ResultSet& row) { value = row.GetInt64(0).GetValue(); });
            return value;
        },
        counted);
    if (total >= 0)
        totalCount = total;
    return totalCount;
}

bool ContactManager::FoundCounted(int ticket, int total, const std::vector<int>& page)
{
    if (ticket != findTicket || !findCountPending)
        return false;
    findCountPending = false;
    foundCounted.clear();
    totalCount = total;
    if (!foundSorted.empty())
    {
        foundSorted.clear();
        UnitOfWork unit;
        ReadPage(PageOfIds(page));
        NotifyObservers();
    }
    return true;
}

wxString ContactManager::FoundPageStatement(const wxString& rows, bool dense) const
{
    // Many found: the list's index is read in order and each contact
    // checked. Few: they are sorted by the name alone, and only the page's
    // rows are read whole.
    if (dense)
        return PageStatement(" from contacts where +id in (" + rows + ")", condition);
    return SelectHead() + " from contacts where id in (select id from contacts where id in (" + rows +
           ") order by last_name_alpha DESC " +
           wxString::Format(" limit %d, %d", (condition.pageIndex - 1) * condition.pageSize, condition.pageSize) +
           ") order by last_name_alpha DESC;";
}

wxString ContactManager::SortedFoundPage(const wxString& where)
{
    // The rows found sorted by the family name's alphabet form kept beside
    // them, the page's ids taken, and the total counted in the same read.
    std::vector<int> ids;
    int total = 0;
    const int offset = (condition.pageIndex - 1) * condition.pageSize;
    adapter.Query(FindIndex::SortedPage(where, offset, condition.pageSize),
                  [&ids, &total](wxSQLite3ResultSet& row)
                  {
                      ids.push_back(ReadInt(row, 0));
                      total = ReadInt(row, 1);
                  });
    if (ids.empty() && offset > 0)
        adapter.Query("select count(*) from " + wxString(FindIndex::TEXTS) + " where " + where + ";",
                      [&total](wxSQLite3ResultSet& row) { total = ReadInt(row, 0); });
    totalCount = total;
    return PageOfIds(ids);
}

wxString ContactManager::PageOfIds(const std::vector<int>& ids)
{
    wxString list;
    for (int id : ids)
        list << (list.empty() ? "" : ", ") << id;
    return SelectHead() + " from contacts where id in (" + (list.empty() ? wxString("-1") : list) +
           ") order by last_name_alpha DESC;";
}
