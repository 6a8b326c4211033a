// The three-way merge of a synced contact: the contact here, the card on
// the server, and the state both agreed on at the last sync (the base,
// seen from each side). A field changed on one side only takes that side's
// value; a field changed on both sides to different values keeps this
// computer's and names the server's as a conflict. The fields are the
// ones a card and a contact share (VCardMapping.h): the four names, sex,
// birthday, the 32 text fields, the tags (the card's categories) and the
// card's kept lines, the last two each as a whole.
#pragma once

#include <string>
#include <vector>

#include <wx/arrstr.h>
#include <wx/string.h>

#include "exchange/VCardMapping.h"
#include "storage/ContactInfoEx.h"

namespace CardMerge
{
constexpr int FIELD_COUNT = 40;
constexpr int FIELD_TAGS = 38;
constexpr int FIELD_KEPT = 39;

// A contact with its tags by name (sorted: the order says nothing).
struct Side
{
    ContactInfoEx contact;
    wxArrayString tags;
};

// Reads a card; false when it names no one or cannot be read.
bool FromCard(const std::string& card, Side& side);
// The card a contact makes, which is what is sent and how a local edit is
// told (the same contact always makes the same card).
std::string ToCard(const Side& side, VCardVersion version);
// The version the server's card is written in (3.0 unless it says 4.0).
VCardVersion VersionOf(const std::string& card);

// The UID line the contact's card came with, or empty.
wxString UidOf(const ContactInfoEx& contact);

bool SameField(const Side& a, const Side& b, int field);
void CopyField(Side& to, const Side& from, int field);
// The field's value as a person reads it, and its translated label.
wxString FieldText(const Side& side, int field);
wxString FieldLabel(int field);
// Whether two sides differ in any field.
bool Differ(const Side& a, const Side& b);

struct Conflict
{
    int field;
    wxString mine;
    wxString theirs;
};

struct Result
{
    // What the contact becomes here.
    Side merged;
    // What the contact would be without the edits made here that the server
    // lacks: the new base of this side. merged differs from it exactly when
    // there is something to send.
    Side unsent;
    std::vector<Conflict> conflicts;

    bool NeedsUpload() const
    {
        return Differ(merged, unsent);
    }
};

// base sides may be empty records (a contact linked to a card at the first
// sync, which have no common past: every difference is then a conflict,
// and a value only one side has is taken).
// localSeen is the local contact as its card reads back (FromCard of its
// ToCard): it tells what changed here in the terms the base was kept in.
Result Merge(const Side& baseLocal, const Side& baseServer, const Side& local, const Side& localSeen,
             const Side& server);
// A contact as its card reads back; the contact itself when that fails.
Side Seen(const Side& local, VCardVersion version);
} // namespace CardMerge
