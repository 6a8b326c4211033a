// The model root: the one object that owns the four managers.
#pragma once

#include "storage/ContactManager.h"
#include "storage/HistoryManager.h"
#include "storage/TagManager.h"
#include "views/ShapeManager.h"

class Corva
{
public:
    // The single model root, created on first use.
    static Corva* GetInstance();
    // Forgets the instance when it is destroyed, so the next GetInstance
    // builds a fresh one instead of returning a dangling pointer.
    virtual ~Corva();

    // Loads the tags, registers the shape manager as first contact observer
    // and builds the shapes.
    void Init();

    TagManager tagManager;
    ContactManager contactManager;
    HistoryManager historyManager;
    ShapeManager shapeManager;

private:
    Corva() : shapeManager(tagManager, contactManager) {}
    static Corva* instance;
};
