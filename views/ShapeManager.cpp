#include "views/ShapeManager.h"

#include "frame/Corva.h"

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
    TagManager& tags = Corva::GetInstance()->tagManager;
    tags.Load();
    TagMap& map = tags.GetTagMap();
    for (TagMap::iterator it = map.begin(); it != map.end(); ++it)
        tagShapes.Add(new TagShape(it->second));
}

void ShapeManager::RebuildCardShapes()
{
    ClearCardShapes();
    ContactInfoArray& contacts = Corva::GetInstance()->contactManager.contactList;
    for (size_t i = 0; i < contacts.GetCount(); ++i)
        cardShapes.Add(new CardShape(contacts[i]));
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
