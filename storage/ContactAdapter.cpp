#include "storage/ContactAdapter.h"

#include <wx/wxsqlite3.h>

#include <memory>

#include "storage/ContactInfoEx.h"
#include "storage/DbValues.h"

namespace
{
// Parameters 1 to 38, the same for insert and update.
void BindFields(wxSQLite3Statement& stmt, const ContactInfoEx* c)
{
    stmt.Bind(1, c->last_name);
    stmt.Bind(2, c->last_name_alpha);
    stmt.Bind(3, c->first_name);
    stmt.Bind(4, c->first_name_alpha);
    stmt.Bind(5, c->sex);
    BindDateTime(stmt, 6, c->birthday);
    int index = 7;
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
        stmt.Bind(index++, c->*field);
}
} // namespace

int ContactAdapter::InsertContact(const wxString& sql, const ContactInfoEx* contact)
{
    return ExecutePrepared(sql,
                           [contact](wxSQLite3Statement& stmt)
                           {
                               const wxDateTime now = NowToSecond();
                               BindFields(stmt, contact);
                               BindDateTime(stmt, 39, now);
                               stmt.Bind(40, contact->latest_update_user_id);
                               BindDateTime(stmt, 41, now);
                               stmt.Bind(42, contact->entry_user_id);
                           });
}

int ContactAdapter::UpdateContact(const wxString& sql, const ContactInfoEx* contact)
{
    return ExecutePrepared(sql,
                           [contact](wxSQLite3Statement& stmt)
                           {
                               BindFields(stmt, contact);
                               BindDateTime(stmt, 39, NowToSecond());
                               stmt.Bind(40, contact->latest_update_user_id);
                               BindDateTime(stmt, 41, contact->entry_time);
                               stmt.Bind(42, contact->entry_user_id);
                               stmt.Bind(43, contact->id);
                           });
}

ContactInfoEx* ContactAdapter::ReadContact(wxSQLite3ResultSet& row)
{
    std::unique_ptr<ContactInfoEx> c(new ContactInfoEx());
    c->id = ReadInt(row, 0);
    c->last_name = ReadText(row, 1);
    c->last_name_alpha = ReadText(row, 2);
    c->first_name = ReadText(row, 3);
    c->first_name_alpha = ReadText(row, 4);
    c->sex = ReadInt(row, 5);
    c->birthday = ReadDateTime(row, 6);
    int column = 7;
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
        c.get()->*field = ReadText(row, column++);
    c->latest_update_time = ReadDateTime(row, 39);
    c->latest_update_user_id = ReadInt(row, 40);
    c->entry_time = ReadDateTime(row, 41);
    c->entry_user_id = ReadInt(row, 42);
    return c.release();
}
