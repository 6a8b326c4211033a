// One row of the contacts table plus what the search adds to it.
#pragma once

#include <wx/arrstr.h>
#include <wx/datetime.h>
#include <wx/dynarray.h>
#include <wx/string.h>

#include <memory>

struct KeptValues;

// The values of the sex column. Any value but female and male, as a card
// or a spreadsheet row without one stores, says nothing about the person.
enum : int
{
    SEX_FEMALE = 0,
    SEX_MALE = 1,
    SEX_NOT_STATED = 2
};

// The number N of the person pictures (user_s48_0N.png and the 24 pixel
// ones) for a sex value: 0 female, 1 male, 3 not stated.
inline int SexPictureNumber(int sex)
{
    return sex == SEX_FEMALE ? 0 : sex == SEX_MALE ? 1 : 3;
}

class ContactInfoEx
{
public:
    ContactInfoEx();
    ContactInfoEx(const ContactInfoEx& other) = default;
    ContactInfoEx& operator=(const ContactInfoEx& other) = default;
    virtual ~ContactInfoEx() = default;

    // "last_name first_name", the one-line name used across the program.
    wxString GetDisplayName() const;

    int id; // -1: not stored yet
    wxString last_name;
    wxString last_name_alpha;
    wxString first_name;
    wxString first_name_alpha;
    int sex; // SEX_MALE, SEX_FEMALE or another value: not stated
    wxDateTime birthday;
    wxString company;
    wxString department;
    wxString job_title;
    wxString business_fax;
    wxString business_fax_2;
    wxString business_phone;
    wxString business_phone_2;
    wxString business_mobile;
    wxString business_mobile_2;
    wxString business_street;
    wxString business_street_2;
    wxString business_street_3;
    wxString business_im;
    wxString business_im_2;
    wxString business_im_3;
    wxString home_fax;
    wxString home_fax_2;
    wxString home_phone;
    wxString home_phone_2;
    wxString home_mobile;
    wxString home_mobile_2;
    wxString home_street;
    wxString home_street_2;
    wxString home_street_3;
    wxString home_im;
    wxString home_im_2;
    wxString home_im_3;
    wxString email;
    wxString email_2;
    wxString webpage;
    wxString webpage_2;
    wxString comment;
    wxDateTime latest_update_time;
    int latest_update_user_id;
    wxDateTime entry_time;
    int entry_user_id;
    int historyCount;
    wxArrayInt tagIds;
    // Content lines of an imported card that have no field of their own,
    // written back on export (KeptProperties.h).
    wxArrayString keptProperties;

    // Values of the row this record was read from that the program would
    // not write back the same way (text that is not UTF-8, a date in another
    // form, NULL, a number in a text column), by column. A field that still
    // holds what it read is written back exactly as stored. Null for records
    // that were not read from the database; copies share it.
    std::shared_ptr<const KeptValues> asRead;

    // The record as it was read (fields and tags), to tell what an edit
    // changed from what another program changed meanwhile. Null for records
    // that were not read from the database; copies share it.
    std::shared_ptr<const ContactInfoEx> readAs;
    // Takes the record's present values as the ones it was read with.
    void KeepAsRead();
};

// The 32 text fields from company to comment, in column order: the order in
// which they are bound, read and merged.
extern wxString ContactInfoEx::*const CONTACT_TEXT_FIELDS[32];

// Non-owning list of records for the batch operations.
typedef wxArrayPtrVoid ContactArray;

// Owning list of records kept by the contact manager.
WX_DEFINE_ARRAY_PTR(ContactInfoEx*, ContactInfoArray);
