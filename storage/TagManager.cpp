#include "storage/TagManager.h"

#include <wx/wxsqlite3.h>

#include "storage/DbValues.h"
#include "storage/UnitOfWork.h"

namespace
{
const char* const SQL_LOAD_TAGS = "select id, name, display_order from mst_tags order by display_order DESC;";
const char* const SQL_INSERT_TAG = "insert into mst_tags (name, display_order) \t\t\t\t\tvalues (?, ?);";
const char* const SQL_TAG_ID_HEAD = "select id from mst_tags where name = '";
const char* const SQL_UPDATE_TAG = "update mst_tags set name=?, display_order=? \t\t\twhere id = ?;";
const char* const SQL_DELETE_TAG_LINKS = "delete from contact_tag where tag_id=%d;";
const char* const SQL_DELETE_TAG = "delete from mst_tags where id=%d;";
} // namespace

TagManager::TagManager() : observer(nullptr), tagMap(100) {}

TagManager::~TagManager()
{
    Clear();
}

void TagManager::SetObserver(TagObserver* o)
{
    observer = o;
}

void TagManager::Load()
{
    UnitOfWork unit;
    if (!tagMap.empty())
        Clear();
    adapter.Query(SQL_LOAD_TAGS,
                  [this](wxSQLite3ResultSet& row)
                  {
                      TagInfo* tag = new TagInfo(ReadInt(row, 0), ReadText(row, 1), ReadInt(row, 2));
                      TagMap::iterator existing = tagMap.find(tag->id);
                      if (existing != tagMap.end())
                          delete existing->second;
                      tagMap[tag->id] = tag;
                  });
}

void TagManager::Clear()
{
    for (TagMap::iterator it = tagMap.begin(); it != tagMap.end(); ++it)
        delete it->second;
    tagMap.clear();
}

int TagManager::GetMaxDisplayOrder() const
{
    int highest = -2;
    for (TagMap::const_iterator it = tagMap.begin(); it != tagMap.end(); ++it)
    {
        if (it->second->display_order > highest)
            highest = it->second->display_order;
    }
    return highest;
}

int TagManager::Insert(TagInfo* tag)
{
    UnitOfWork unit;
    if (!tag)
        return 0;
    tag->display_order = GetMaxDisplayOrder() + 1;
    const int inserted = adapter.InsertTag(SQL_INSERT_TAG, tag);
    adapter.Query(SQL_TAG_ID_HEAD + EscapeSqlText(tag->name) + "';",
                  [tag](wxSQLite3ResultSet& row) { tag->id = ReadInt(row, 0); });
    if (observer)
        observer->OnTagChanged();
    return inserted;
}

int TagManager::Update(TagInfo* tag)
{
    UnitOfWork unit;
    if (!tag)
        return 0;
    const int updated = adapter.UpdateTag(SQL_UPDATE_TAG, tag);
    if (observer)
        observer->OnTagChanged();
    return updated;
}

int TagManager::Delete(TagInfo* tag)
{
    UnitOfWork unit;
    if (!tag)
        return 0;
    // The observer's reload may destroy the tag: take its id first.
    const int id = tag->id;
    const int links = adapter.Execute(wxString::Format(SQL_DELETE_TAG_LINKS, id));
    adapter.Execute(wxString::Format(SQL_DELETE_TAG, id));
    if (observer)
        observer->OnTagChanged();
    return links;
}

void TagManager::GetTagNames(wxArrayString& names) const
{
    for (TagMap::const_iterator it = tagMap.begin(); it != tagMap.end(); ++it)
        names.Add(it->second->name);
}

TagInfo* TagManager::FindById(int id) const
{
    TagMap::const_iterator it = tagMap.find(id);
    return it == tagMap.end() ? nullptr : it->second;
}

void TagManager::GetTagNamesByIds(const wxArrayInt& ids, wxArrayString& names) const
{
    for (int id : ids)
    {
        if (const TagInfo* tag = FindById(id))
            names.Add(tag->name);
    }
}

TagInfo* TagManager::FindByName(const wxString& name) const
{
    for (TagMap::const_iterator it = tagMap.begin(); it != tagMap.end(); ++it)
    {
        if (it->second->name.CmpNoCase(name) == 0)
            return it->second;
    }
    return nullptr;
}
