#pragma once

#include "storage/Adapter.h"

class ContactInfoEx;
class wxSQLite3ResultSet;

class ContactAdapter : public Adapter
{
public:
    // The columns of a contact select row, in the order ReadContact reads them.
    static const char* const COLUMNS[43];

    virtual ~ContactAdapter() = default;

    // Rows inserted (1), 0 on a database error. The record is not changed.
    int InsertContact(const wxString& sql, const ContactInfoEx* contact);
    // Rows changed (1), 0 on a database error.
    int UpdateContact(const wxString& sql, const ContactInfoEx* contact);
    // Runs a statement of two numbers to bind (a contact's tag link), prepared
    // once per unit of work; rows changed, 0 on a database error.
    int ExecuteIds(const wxString& sql, int first, int second);

    // Builds a record from the first 43 columns of a contact select row.
    static ContactInfoEx* ReadContact(wxSQLite3ResultSet& row);
};
