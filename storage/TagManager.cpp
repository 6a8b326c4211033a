#include "storage/TagManager.h"

#include <algorithm>

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

bool TagManager::Load()
{
    UnitOfWork unit;
    // Read everything first: a load that fails keeps the tags known so far
    // instead of leaving an empty list to act on. The rows then go into the
    // cache in the order read, which decides the cache's enumeration order.
    std::vector<TagInfo*> loaded;
    const int rows =
        adapter.Query(SQL_LOAD_TAGS, [&loaded](wxSQLite3ResultSet& row)
                      { loaded.push_back(new TagInfo(ReadInt(row, 0), ReadText(row, 1), ReadInt(row, 2))); });
    if (rows < 0)
    {
        for (TagInfo* tag : loaded)
            delete tag;
        return false;
    }
    Clear();
    for (TagInfo* tag : loaded)
    {
        TagMap::iterator existing = tagMap.find(tag->id);
        if (existing != tagMap.end())
            delete existing->second;
        tagMap[tag->id] = tag;
    }
    return true;
}

void TagManager::Changed()
{
    // The cache follows every write before anyone hears of it.
    Load();
    if (observer)
        observer->OnTagChanged();
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
    // The display order comes after every stored tag, not only the ones
    // this cache knew of.
    if (!Load())
        return 0;
    tag->display_order = GetMaxDisplayOrder() + 1;
    const int inserted = adapter.InsertTag(SQL_INSERT_TAG, tag);
    adapter.Query(SQL_TAG_ID_HEAD + EscapeSqlText(tag->name) + "';",
                  [tag](wxSQLite3ResultSet& row) { tag->id = ReadInt(row, 0); });
    Changed();
    return inserted;
}

int TagManager::Update(TagInfo* tag)
{
    UnitOfWork unit;
    if (!tag)
        return 0;
    const int updated = adapter.UpdateTag(SQL_UPDATE_TAG, tag);
    Changed();
    return updated;
}

int TagManager::Delete(TagInfo* tag)
{
    UnitOfWork unit;
    if (!tag)
        return 0;
    // The cache's reload may destroy the tag: take its id first.
    const int id = tag->id;
    const int links = adapter.Execute(wxString::Format(SQL_DELETE_TAG_LINKS, id));
    adapter.Execute(wxString::Format(SQL_DELETE_TAG, id));
    Changed();
    return links;
}

void TagManager::GetTagNames(wxArrayString& names) const
{
    for (TagMap::const_iterator it = tagMap.begin(); it != tagMap.end(); ++it)
        names.Add(it->second->name);
}

std::vector<TagInfo*> TagManager::GetTagsByDisplayOrder() const
{
    std::vector<TagInfo*> tags;
    for (TagMap::const_iterator it = tagMap.begin(); it != tagMap.end(); ++it)
        tags.push_back(it->second);
    std::sort(tags.begin(), tags.end(),
              [](const TagInfo* a, const TagInfo* b)
              { return a->display_order != b->display_order ? a->display_order < b->display_order : a->id < b->id; });
    return tags;
}

bool TagManager::MoveTag(int tagId, bool up)
{
    std::vector<TagInfo*> tags = GetTagsByDisplayOrder();
    auto at = std::find_if(tags.begin(), tags.end(), [tagId](const TagInfo* tag) { return tag->id == tagId; });
    if (at == tags.end())
        return false;
    const size_t from = at - tags.begin();
    if (up ? from + 1 >= tags.size() : from == 0)
        return false;
    const size_t to = up ? from + 1 : from - 1;

    std::vector<int> orders;
    for (const TagInfo* tag : tags)
        orders.push_back(tag->display_order);
    // Tags sharing a display order cannot swap places: number them apart
    // first, keeping the order they are shown in.
    if (orders[from] == orders[to])
    {
        for (size_t i = 0; i < orders.size(); ++i)
            orders[i] = orders.front() + static_cast<int>(i);
    }
    std::swap(orders[from], orders[to]);

    for (size_t i = 0; i < tags.size(); ++i)
    {
        if (tags[i]->display_order == orders[i])
            continue;
        tags[i]->display_order = orders[i];
        adapter.UpdateTag(SQL_UPDATE_TAG, tags[i]);
    }
    Changed();
    return true;
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

int TagManager::IdForName(const wxString& name, bool* created)
{
    if (created)
        *created = false;
    if (const TagInfo* known = FindByName(name))
        return known->id;
    TagInfo tag(-1, name);
    if (Insert(&tag) <= 0 || tag.id == -1)
        return -1;
    if (created)
        *created = true;
    return tag.id;
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
