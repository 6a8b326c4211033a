#pragma once

class HistoryObserver
{
public:
    virtual ~HistoryObserver() = default;
    virtual void OnHistoryChanged() = 0;
};
