#pragma once

#include "storage/Adapter.h"

class TagInfo;

class TagAdapter : public Adapter
{
public:
    virtual ~TagAdapter() = default;

    int InsertTag(const wxString& sql, const TagInfo* tag);
    // Runs inside its own transaction.
    int UpdateTag(const wxString& sql, const TagInfo* tag);
};
