#include "storage/TagAdapter.h"

#include <wx/wxsqlite3.h>

#include "storage/TagInfo.h"

int TagAdapter::InsertTag(const wxString& sql, const TagInfo* tag)
{
    return ExecutePrepared(sql,
                           [tag](wxSQLite3Statement& stmt)
                           {
                               stmt.Bind(1, tag->name);
                               stmt.Bind(2, tag->display_order);
                           });
}

int TagAdapter::UpdateTag(const wxString& sql, const TagInfo* tag)
{
    return ExecutePrepared(
        sql,
        [tag](wxSQLite3Statement& stmt)
        {
            stmt.Bind(1, tag->name);
            stmt.Bind(2, tag->display_order);
            stmt.Bind(3, tag->id);
        },
        true);
}
