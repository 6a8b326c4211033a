#pragma once

#include "storage/Adapter.h"

class HistoryInfo;

class HistoryAdapter : public Adapter
{
public:
    virtual ~HistoryAdapter() = default;

    int InsertHistory(const wxString& sql, const HistoryInfo* history);
    int UpdateHistory(const wxString& sql, const HistoryInfo* history);
};
