// Owns the drawable shapes: one card per contact of the current page, one
// tag shape per cached tag. Rebuilds the cards on every contact notification.
#pragma once

#include <wx/dynarray.h>
#include <wx/gdicmn.h>

#include "storage/ContactObserver.h"
#include "views/CardShape.h"
#include "views/TagShape.h"

WX_DEFINE_ARRAY_PTR(CardShape*, CardShapeArray);
WX_DEFINE_ARRAY_PTR(TagShape*, TagShapeArray);

class ContactManager;
class TagManager;

class ShapeManager : public ContactObserver
{
public:
    // Both managers outlive the shapes: the cards point into the contact
    // page and the tag shapes were built from the tag cache.
    ShapeManager(TagManager& tags, ContactManager& contacts) : tags(tags), contacts(contacts) {}
    ShapeManager(const ShapeManager&) = delete;
    ShapeManager& operator=(const ShapeManager&) = delete;
    ~ShapeManager() override;

    void RebuildShapes();
    void RebuildTagShapes();
    void RebuildCardShapes();
    void ClearTagShapes();
    void ClearCardShapes();
    void OnContactChanged() override;
    CardShape* HitTest(const wxRect& area) const;

    // Grows by one on every card rebuild: a view that keeps card pointers
    // compares it to know they are gone.
    unsigned GetCardGeneration() const
    {
        return cardGeneration;
    }

    TagShapeArray tagShapes;
    CardShapeArray cardShapes;

private:
    TagManager& tags;
    ContactManager& contacts;
    unsigned cardGeneration = 0;
};
