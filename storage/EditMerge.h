// One edit of a contact laid onto the row as it is stored now: the fields
// the edit changed since its record was read take the edit's values, every
// other field keeps what is stored, so a change another program made
// meanwhile survives. A field both changed to different values is a
// conflict, and the edit is not to be written.
#pragma once

#include <vector>

#include "storage/ContactInfoEx.h"

class EditMerge
{
public:
    // Tags are compared as one more field, numbered TAGS.
    static const int TAGS = 0;

    // stored: the row as read now, with its tags. An edited record that has
    // no readAs is taken as changing every field.
    EditMerge(const ContactInfoEx& edited, const ContactInfoEx& stored);

    // The stored row with the edit's changes; its tags are the ones to link.
    const ContactInfoEx& Result() const
    {
        return result;
    }
    bool TagsChanged() const
    {
        return tagsChanged;
    }
    // Fields (select column numbers, or TAGS) both sides changed differently.
    const std::vector<int>& Conflicts() const
    {
        return conflicts;
    }

    // The fields (select column numbers 1 to 38, or TAGS) in which two
    // records differ.
    static std::vector<int> Differences(const ContactInfoEx& a, const ContactInfoEx& b);
    // Whether the stored row differs from what the record was read with; a
    // record that was not read from the database has nothing to compare.
    static bool ChangedSinceRead(const ContactInfoEx& record, const ContactInfoEx& stored);

private:
    ContactInfoEx result;
    bool tagsChanged = false;
    std::vector<int> conflicts;
};
