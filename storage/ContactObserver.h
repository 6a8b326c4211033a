#pragma once

class ContactObserver
{
public:
    virtual ~ContactObserver() = default;
    virtual void OnContactChanged() = 0;
};
