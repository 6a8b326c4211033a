// The contact manager's side of the find box: the filter and page of the
// contacts found by the find index.
#include <wx/wxsqlite3.h>

#include <vector>

#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/FindIndex.h"

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

wxString ContactManager::CountFound()
{
    wxString where;
    const wxString rows = FindIndex::BuildRows(adapter, condition.find, &where);
    if (!where.empty())
        return SortedFoundPage(where);
    auto readInt = [this](const wxString& sql, int& value)
    { adapter.Query(sql, [&value](wxSQLite3ResultSet& row) { value = ReadInt(row, 0); }); };
    if (rows.empty())
    {
        readInt("select count(id)  from contacts ;", totalCount);
        return PageStatement(" from contacts ", condition);
    }
    readInt("select count(*) from (" + rows + ");", totalCount);
    int size = 0;
    readInt("select max(id) from contacts;", size); // about the size of the book
    return FoundPageStatement(rows, totalCount * FIND_DENSE_SHARE > size);
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
    adapter.Query("select rowid, count(*) over () from contact_find where " + where +
                      wxString::Format(" order by alpha DESC limit %d, %d;", offset, condition.pageSize),
                  [&ids, &total](wxSQLite3ResultSet& row)
                  {
                      ids.push_back(ReadInt(row, 0));
                      total = ReadInt(row, 1);
                  });
    if (ids.empty() && offset > 0)
        adapter.Query("select count(*) from contact_find where " + where + ";",
                      [&total](wxSQLite3ResultSet& row) { total = ReadInt(row, 0); });
    totalCount = total;
    wxString list;
    for (int id : ids)
        list << (list.empty() ? "" : ", ") << id;
    return SelectHead() + " from contacts where id in (" + (list.empty() ? wxString("-1") : list) +
           ") order by last_name_alpha DESC;";
}
