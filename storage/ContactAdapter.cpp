#include "storage/ContactAdapter.h"

#include <wx/wxsqlite3.h>

#include <memory>

#include "storage/ContactInfoEx.h"
#include "storage/DbValues.h"

const char* const ContactAdapter::COLUMNS[43] = {
    "id",
    "last_name",
    "last_name_alpha",
    "first_name",
    "first_name_alpha",
    "sex",
    "birthday",
    "company",
    "department",
    "job_title",
    "business_fax",
    "business_fax_2",
    "business_phone",
    "business_phone_2",
    "business_mobile",
    "business_mobile_2",
    "business_street",
    "business_street_2",
    "business_street_3",
    "business_im",
    "business_im_2",
    "business_im_3",
    "home_fax",
    "home_fax_2",
    "home_phone",
    "home_phone_2",
    "home_mobile",
    "home_mobile_2",
    "home_street",
    "home_street_2",
    "home_street_3",
    "home_im",
    "home_im_2",
    "home_im_3",
    "email",
    "email_2",
    "webpage",
    "webpage_2",
    "comment",
    "latest_update_time",
    "latest_update_user_id",
    "entry_time",
    "entry_user_id",
};

namespace
{
// Parameters 1 to 38, the same for insert and update. Each parameter has the
// number of the select column its field is read from, so the values kept
// from reading are found under the same number.
void BindFields(wxSQLite3Statement& stmt, const ContactInfoEx* c)
{
    const KeptValues* kept = c->asRead.get();
    BindText(stmt, 1, c->last_name, kept, 1);
    BindText(stmt, 2, c->last_name_alpha, kept, 2);
    BindText(stmt, 3, c->first_name, kept, 3);
    BindText(stmt, 4, c->first_name_alpha, kept, 4);
    BindInt(stmt, 5, c->sex, kept, 5);
    BindDateTime(stmt, 6, c->birthday, kept, 6);
    int index = 7;
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
    {
        BindText(stmt, index, c->*field, kept, index);
        ++index;
    }
}
} // namespace

int ContactAdapter::InsertContact(const wxString& sql, const ContactInfoEx* contact)
{
    return ExecutePrepared(sql,
                           [contact](wxSQLite3Statement& stmt)
                           {
                               const wxDateTime now = NowToSecond();
                               const KeptValues* kept = contact->asRead.get();
                               BindFields(stmt, contact);
                               BindDateTime(stmt, 39, now);
                               BindInt(stmt, 40, contact->latest_update_user_id, kept, 40);
                               BindDateTime(stmt, 41, now);
                               BindInt(stmt, 42, contact->entry_user_id, kept, 42);
                           });
}

int ContactAdapter::ExecuteIds(const wxString& sql, int first, int second)
{
    return ExecutePrepared(sql,
                           [first, second](wxSQLite3Statement& stmt)
                           {
                               stmt.Bind(1, first);
                               stmt.Bind(2, second);
                           });
}

int ContactAdapter::UpdateContact(const wxString& sql, const ContactInfoEx* contact)
{
    return ExecutePrepared(sql,
                           [contact](wxSQLite3Statement& stmt)
                           {
                               const KeptValues* kept = contact->asRead.get();
                               BindFields(stmt, contact);
                               BindDateTime(stmt, 39, NowToSecond());
                               BindInt(stmt, 40, contact->latest_update_user_id, kept, 40);
                               BindDateTime(stmt, 41, contact->entry_time, kept, 41);
                               BindInt(stmt, 42, contact->entry_user_id, kept, 42);
                               stmt.Bind(43, contact->id);
                           });
}

ContactInfoEx* ContactAdapter::ReadContact(wxSQLite3ResultSet& row)
{
    std::unique_ptr<ContactInfoEx> c(new ContactInfoEx());
    auto kept = std::make_shared<KeptValues>();
    c->id = ReadInt(row, 0);
    c->last_name = ReadText(row, 1, *kept);
    c->last_name_alpha = ReadText(row, 2, *kept);
    c->first_name = ReadText(row, 3, *kept);
    c->first_name_alpha = ReadText(row, 4, *kept);
    c->sex = ReadInt(row, 5, *kept);
    c->birthday = ReadDateTime(row, 6, *kept);
    int column = 7;
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
    {
        c.get()->*field = ReadText(row, column, *kept);
        ++column;
    }
    c->latest_update_time = ReadDateTime(row, 39);
    c->latest_update_user_id = ReadInt(row, 40, *kept);
    c->entry_time = ReadDateTime(row, 41, *kept);
    c->entry_user_id = ReadInt(row, 42, *kept);
    if (!kept->empty())
        c->asRead = std::move(kept);
    return c.release();
}
