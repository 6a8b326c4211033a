#include "storage/EditMerge.h"

#include <algorithm>

namespace
{
// Column numbers as the contact select has them: 1 to 4 the names, 5 sex,
// 6 birthday, 7 to 38 the text fields.
const int FIRST_TEXT_COLUMN = 7;
const int LAST_COLUMN = 38;

wxString ContactInfoEx::*NameField(int column)
{
    switch (column)
    {
    case 1:
        return &ContactInfoEx::last_name;
    case 2:
        return &ContactInfoEx::last_name_alpha;
    case 3:
        return &ContactInfoEx::first_name;
    case 4:
        return &ContactInfoEx::first_name_alpha;
    default:
        return CONTACT_TEXT_FIELDS[column - FIRST_TEXT_COLUMN];
    }
}

bool SameTime(const wxDateTime& a, const wxDateTime& b)
{
    return a.IsValid() == b.IsValid() && (!a.IsValid() || a.GetValue() == b.GetValue());
}

bool SameTags(const wxArrayInt& a, const wxArrayInt& b)
{
    // The links are a set: their order in the record means nothing.
    std::vector<int> x(a.begin(), a.end());
    std::vector<int> y(b.begin(), b.end());
    std::sort(x.begin(), x.end());
    std::sort(y.begin(), y.end());
    return x == y;
}

bool SameField(const ContactInfoEx& a, const ContactInfoEx& b, int column)
{
    if (column == EditMerge::TAGS)
        return SameTags(a.tagIds, b.tagIds);
    if (column == 5)
        return a.sex == b.sex;
    if (column == 6)
        return SameTime(a.birthday, b.birthday);
    wxString ContactInfoEx::*field = NameField(column);
    return a.*field == b.*field;
}

void CopyField(ContactInfoEx& target, const ContactInfoEx& source, int column)
{
    if (column == EditMerge::TAGS)
        target.tagIds = source.tagIds;
    else if (column == 5)
        target.sex = source.sex;
    else if (column == 6)
        target.birthday = source.birthday;
    else
        target.*NameField(column) = source.*NameField(column);
}
} // namespace

EditMerge::EditMerge(const ContactInfoEx& edited, const ContactInfoEx& stored) : result(stored)
{
    result.historyCount = edited.historyCount;
    const ContactInfoEx* base = edited.readAs.get();
    for (int column = 0; column <= LAST_COLUMN; ++column)
    {
        if (base && SameField(edited, *base, column))
            continue;
        if (base && !SameField(stored, *base, column) && !SameField(edited, stored, column))
            conflicts.push_back(column);
        CopyField(result, edited, column);
        if (column == TAGS)
            tagsChanged = true;
    }
}

std::vector<int> EditMerge::Differences(const ContactInfoEx& a, const ContactInfoEx& b)
{
    std::vector<int> columns;
    for (int column = 0; column <= LAST_COLUMN; ++column)
    {
        if (!SameField(a, b, column))
            columns.push_back(column);
    }
    return columns;
}

bool EditMerge::ChangedSinceRead(const ContactInfoEx& record, const ContactInfoEx& stored)
{
    return record.readAs && !Differences(*record.readAs, stored).empty();
}
