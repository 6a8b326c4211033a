#include "views/ShapeManager.h"

#include "storage/ContactManager.h"
#include "storage/TagManager.h"

ShapeManager::~ShapeManager()
{
    ClearCardShapes();
    ClearTagShapes();
}

void ShapeManager::RebuildShapes()
{
    RebuildTagShapes();
    RebuildCardShapes();
}

void ShapeManager::RebuildTagShapes()
{
    ClearTagShapes();
    tags.Load();
    TagMap& map = tags.GetTagMap();
    for (TagMap::iterator it = map.begin(); it != map.end(); ++it)
        tagShapes.Add(new TagShape(it->second));
}

void ShapeManager::RebuildCardShapes()
{
    ClearCardShapes();
    ContactInfoArray& page = contacts.contactList;
    for (size_t i = 0; i < page.GetCount(); ++i)
        cardShapes.Add(new CardShape(page[i]));
}

void ShapeManager::ClearTagShapes()
{
    while (!tagShapes.IsEmpty())
    {
        TagShape* shape = tagShapes.Last();
        tagShapes.RemoveAt(tagShapes.GetCount() - 1);
        delete shape;
    }
}

void ShapeManager::ClearCardShapes()
{
    // Every removal invalidates the card pointers views may hold.
    ++cardGeneration;
    while (!cardShapes.IsEmpty())
    {
        CardShape* shape = cardShapes.Last();
        cardShapes.RemoveAt(cardShapes.GetCount() - 1);
        delete shape;
    }
}

void ShapeManager::OnContactChanged()
{
    RebuildCardShapes();
}

CardShape* ShapeManager::HitTest(const wxRect& area) const
{
    for (size_t i = 0; i < cardShapes.GetCount(); ++i)
    {
        CardShape* shape = cardShapes[i];
        if (shape->GetRect().Intersects(area))
            return shape;
    }
    return nullptr;
}
