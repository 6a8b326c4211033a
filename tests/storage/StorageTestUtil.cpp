#include "tests/storage/StorageTestUtil.h"

int SeedContact(const TempWorkDir& dir, const wxString& lastAlpha, const wxString& first, int sex,
                const wxString& birthday)
{
    wxString birthdayValue = birthday.empty() ? wxString("NULL") : "'" + birthday + "'";
    wxString escapedAlpha(lastAlpha), escapedFirst(first);
    escapedAlpha.Replace("'", "''");
    escapedFirst.Replace("'", "''");
    dir.Exec(wxString::Format("insert into contacts (last_name, last_name_alpha, first_name, first_name_alpha, sex, "
                              "birthday, company, email) values ('%s', '%s', '%s', '%s', %d, %s, 'Acme', 'a@b.c');",
                              escapedAlpha, escapedAlpha, escapedFirst, escapedFirst, sex, birthdayValue));
    return dir.ScalarInt("select max(id) from contacts;");
}

void SeedContacts(const TempWorkDir& dir, int n)
{
    wxString sql = "begin;";
    for (int i = 0; i < n; ++i)
        sql += wxString::Format("insert into contacts (last_name, last_name_alpha, first_name, sex) values "
                                "('N%04d', 'N%04d', 'First%d', %d);",
                                i, i, i, i % 2);
    sql += "commit;";
    dir.Exec(sql);
}
