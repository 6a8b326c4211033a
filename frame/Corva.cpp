#include "frame/Corva.h"

Corva* Corva::instance = nullptr;

Corva* Corva::GetInstance()
{
    if (!instance)
        instance = new Corva();
    return instance;
}

Corva::~Corva()
{
    if (instance == this)
        instance = nullptr;
}

void Corva::Init()
{
    tagManager.Load();
    contactManager.AddObserver(&shapeManager);
    shapeManager.RebuildShapes();
}
