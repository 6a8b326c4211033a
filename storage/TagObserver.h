#pragma once

class TagObserver
{
public:
    virtual ~TagObserver() = default;
    virtual void OnTagChanged() = 0;
};
