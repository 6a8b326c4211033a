// The tag cache and every write to the tag table.
#pragma once

#include <vector>

#include <wx/arrstr.h>
#include <wx/dynarray.h>

#include "storage/TagAdapter.h"
#include "storage/TagInfo.h"
#include "storage/TagObserver.h"

class TagManager
{
public:
    TagManager();
    TagManager(const TagManager&) = delete;
    TagManager& operator=(const TagManager&) = delete;
    virtual ~TagManager();

    void SetObserver(TagObserver* observer);
    // Reads the tag cache afresh; false when the tags cannot be read, the
    // cache then keeping what it held. Every write below reloads the cache
    // itself before it notifies the observer.
    bool Load();
    void Clear();
    int GetMaxDisplayOrder() const;
    int Insert(TagInfo* tag);
    int Update(TagInfo* tag);
    int Delete(TagInfo* tag);
    void GetTagNames(wxArrayString& names) const;
    // The cached tags by ascending display order (then id). Lists that put
    // each tag on top show the highest display order first.
    std::vector<TagInfo*> GetTagsByDisplayOrder() const;
    // Swaps the tag's display order with its neighbour's, towards the
    // higher display orders when `up`; stores both and notifies once.
    // False when the tag is unknown or already at that end.
    bool MoveTag(int tagId, bool up);
    TagInfo* FindById(int id) const;
    // Ids not in the cache are skipped.
    void GetTagNamesByIds(const wxArrayInt& ids, wxArrayString& names) const;
    TagInfo* FindByName(const wxString& name) const;
    // The id of the tag of that name (a card's category), created when
    // there is none; -1 when it could not be created. *created tells.
    int IdForName(const wxString& name, bool* created = nullptr);

    TagMap& GetTagMap()
    {
        return tagMap;
    }

    // Reloads the cache and notifies the observer: after a batch that
    // created tags was rolled back, say.
    void Changed();

private:
    TagObserver* observer;
    TagAdapter adapter;
    TagMap tagMap;
};
