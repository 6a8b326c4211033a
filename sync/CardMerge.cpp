#include "sync/CardMerge.h"

#include <wx/intl.h>

#include "exchange/VCardReader.h"
#include "storage/ContactManager.h"

namespace
{
wxString ContactInfoEx::*const NAME_FIELDS[4] = {&ContactInfoEx::last_name, &ContactInfoEx::last_name_alpha,
                                                 &ContactInfoEx::first_name, &ContactInfoEx::first_name_alpha};

int SexValue(int sex)
{
    return sex == SEX_FEMALE || sex == SEX_MALE ? sex : SEX_NOT_STATED;
}

bool SameDate(const wxDateTime& a, const wxDateTime& b)
{
    return a.IsValid() == b.IsValid() && (!a.IsValid() || a == b);
}

wxString* TextField(CardMerge::Side& side, int field)
{
    if (field < 4)
        return &(side.contact.*NAME_FIELDS[field]);
    if (field >= 6 && field < CardMerge::FIELD_TAGS)
        return &(side.contact.*CONTACT_TEXT_FIELDS[field - 6]);
    return nullptr;
}

const wxString* TextField(const CardMerge::Side& side, int field)
{
    return TextField(const_cast<CardMerge::Side&>(side), field);
}

// Lines (tags, kept card lines) changed on both sides, line by line: a line
// stays unless the server removed it, and a line the server added comes.
wxArrayString MergeLines(const wxArrayString& local, const wxArrayString& base, const wxArrayString& server)
{
    wxArrayString lines;
    for (const wxString& line : local)
    {
        if (base.Index(line) == wxNOT_FOUND || server.Index(line) != wxNOT_FOUND)
            lines.Add(line);
    }
    for (const wxString& line : server)
    {
        if (local.Index(line) == wxNOT_FOUND && base.Index(line) == wxNOT_FOUND)
            lines.Add(line);
    }
    return lines;
}
} // namespace

bool CardMerge::FromCard(const std::string& card, Side& side)
{
    VCardReader::Card read;
    VCardReader::ParseCard(card, read);
    if (read.result != VCardReader::CARD_OK || !read.contact)
        return false;
    side.contact = *read.contact;
    side.tags = read.categories;
    side.tags.Sort();
    return true;
}

std::string CardMerge::ToCard(const Side& side, VCardVersion version)
{
    return VCardMapping::FromContact(side.contact, side.tags, version);
}

VCardVersion CardMerge::VersionOf(const std::string& card)
{
    const size_t at = card.find("VERSION:");
    return at != std::string::npos && card.compare(at + 8, 3, "4.0") == 0 ? VCardVersion::V40 : VCardVersion::V30;
}

wxString CardMerge::UidOf(const ContactInfoEx& contact)
{
    for (const wxString& line : contact.keptProperties)
    {
        const wxString upper = line.Upper();
        if (upper.StartsWith("UID:") || upper.StartsWith("UID;"))
            return line.AfterFirst(':').Trim().Trim(false);
    }
    return wxString();
}

bool CardMerge::SameField(const Side& a, const Side& b, int field)
{
    if (const wxString* text = TextField(a, field))
        return *text == *TextField(b, field);
    switch (field)
    {
    case 4:
        return SexValue(a.contact.sex) == SexValue(b.contact.sex);
    case 5:
        return SameDate(a.contact.birthday, b.contact.birthday);
    case FIELD_TAGS:
        return a.tags == b.tags;
    case FIELD_KEPT:
        return a.contact.keptProperties == b.contact.keptProperties;
    }
    return true;
}

void CardMerge::CopyField(Side& to, const Side& from, int field)
{
    if (wxString* text = TextField(to, field))
    {
        *text = *TextField(from, field);
        return;
    }
    switch (field)
    {
    case 4:
        to.contact.sex = from.contact.sex;
        break;
    case 5:
        to.contact.birthday = from.contact.birthday;
        break;
    case FIELD_TAGS:
        to.tags = from.tags;
        break;
    case FIELD_KEPT:
        to.contact.keptProperties = from.contact.keptProperties;
        break;
    }
}

wxString CardMerge::FieldText(const Side& side, int field)
{
    if (const wxString* text = TextField(side, field))
        return *text;
    switch (field)
    {
    case 4:
        return side.contact.sex == SEX_FEMALE ? _("Female") : side.contact.sex == SEX_MALE ? _("Male") : wxString();
    case 5:
        return side.contact.birthday.IsValid() ? side.contact.birthday.FormatISODate() : wxString();
    case FIELD_TAGS:
        return wxJoin(side.tags, ',', '\0');
    case FIELD_KEPT:
        return wxJoin(side.contact.keptProperties, '\n', '\0');
    }
    return wxString();
}

wxString CardMerge::FieldLabel(int field)
{
    if (field < FIELD_TAGS)
        return ContactManager::ColumnLabel(field + 1);
    return field == FIELD_TAGS ? _("Tags") : _("Other card properties");
}

bool CardMerge::Differ(const Side& a, const Side& b)
{
    for (int field = 0; field < FIELD_COUNT; ++field)
    {
        if (!SameField(a, b, field))
            return true;
    }
    return false;
}

CardMerge::Side CardMerge::Seen(const Side& local, VCardVersion version)
{
    Side seen;
    if (!FromCard(ToCard(local, version), seen))
        return local;
    return seen;
}

CardMerge::Result CardMerge::Merge(const Side& baseLocal, const Side& baseServer, const Side& local,
                                   const Side& localSeen, const Side& server)
{
    Result result;
    result.merged = local;
    result.unsent = local;
    for (int field = 0; field < FIELD_COUNT; ++field)
    {
        const bool here = !SameField(localSeen, baseLocal, field);
        const bool there = !SameField(server, baseServer, field);
        // What the server has is this side's new base in every case.
        CopyField(result.unsent, server, field);
        if (!here)
            CopyField(result.merged, server, field);
        else if (there && field == FIELD_TAGS && !SameField(local, server, field))
        {
            result.merged.tags = MergeLines(local.tags, baseServer.tags, server.tags);
            result.merged.tags.Sort();
        }
        else if (there && field == FIELD_KEPT && !SameField(local, server, field))
            result.merged.contact.keptProperties = MergeLines(
                local.contact.keptProperties, baseServer.contact.keptProperties, server.contact.keptProperties);
        else if (there && !SameField(local, server, field))
        {
            // Changed on both sides: this computer's value stays, the
            // server's is named. A value only one side has (no common
            // past) is no conflict: it is taken.
            if (FieldText(local, field).empty())
                CopyField(result.merged, server, field);
            else if (!FieldText(server, field).empty())
                result.conflicts.push_back({field, FieldText(local, field), FieldText(server, field)});
        }
    }
    return result;
}
