#include "storage/ContactInfoEx.h"

#include "storage/DbValues.h"

wxString ContactInfoEx::*const CONTACT_TEXT_FIELDS[32] = {
    &ContactInfoEx::company,           &ContactInfoEx::department,
    &ContactInfoEx::job_title,         &ContactInfoEx::business_fax,
    &ContactInfoEx::business_fax_2,    &ContactInfoEx::business_phone,
    &ContactInfoEx::business_phone_2,  &ContactInfoEx::business_mobile,
    &ContactInfoEx::business_mobile_2, &ContactInfoEx::business_street,
    &ContactInfoEx::business_street_2, &ContactInfoEx::business_street_3,
    &ContactInfoEx::business_im,       &ContactInfoEx::business_im_2,
    &ContactInfoEx::business_im_3,     &ContactInfoEx::home_fax,
    &ContactInfoEx::home_fax_2,        &ContactInfoEx::home_phone,
    &ContactInfoEx::home_phone_2,      &ContactInfoEx::home_mobile,
    &ContactInfoEx::home_mobile_2,     &ContactInfoEx::home_street,
    &ContactInfoEx::home_street_2,     &ContactInfoEx::home_street_3,
    &ContactInfoEx::home_im,           &ContactInfoEx::home_im_2,
    &ContactInfoEx::home_im_3,         &ContactInfoEx::email,
    &ContactInfoEx::email_2,           &ContactInfoEx::webpage,
    &ContactInfoEx::webpage_2,         &ContactInfoEx::comment,
};

ContactInfoEx::ContactInfoEx()
    : id(-1), sex(1), birthday(NowToSecond()), latest_update_time(NowToSecond()), latest_update_user_id(0),
      entry_time(NowToSecond()), entry_user_id(0), historyCount(0)
{
}

wxString ContactInfoEx::GetDisplayName() const
{
    return last_name + " " + first_name;
}

void ContactInfoEx::KeepAsRead()
{
    auto snapshot = std::make_shared<ContactInfoEx>(*this);
    snapshot->readAs.reset();
    readAs = std::move(snapshot);
}
