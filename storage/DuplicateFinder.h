// Finds the contacts of the book that are probably one person: the same
// e-mail address (either slot, any case), the same phone number (any phone,
// mobile or fax slot, compared as an international number), the same UID
// kept from a card, or the same names (family and given, or their alphabet
// forms, any case) with the same company or the same birthday. Contacts
// linked through any chain of these are one group. Pairs the user said are
// not one person (DismissedPairs.h) link nothing.
#pragma once

#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

#include "storage/Adapter.h"

class DuplicateFinder
{
public:
    // Called every few thousand contacts read with how many were read and
    // how many there are; returning false stops the search.
    using Progress = std::function<bool(int done, int total)>;

    // region: the two-letter country whose national numbers are meant when
    // a number has no country code; empty for the one of the user's locale.
    explicit DuplicateFinder(const wxString& region = wxString());

    // The country part of the user's locale (LC_ALL, LC_TELEPHONE, LANG,
    // then the system language), "US" when there is none.
    static wxString LocaleRegion();
    const std::string& Region() const
    {
        return region;
    }

    // The groups, each of at least two contact ids in ascending order, the
    // groups ordered by their first id. False when the search was stopped
    // or a statement failed (reported once); groups is then empty.
    bool Find(std::vector<std::vector<int>>& groups, const Progress& progress = {});

    // What two phone numbers share when they are the same number: the
    // international form (with its extension), or the digits of a text
    // that is no possible number; empty for a text of too few digits.
    std::string PhoneKey(const wxString& phone) const;

    // Remembers that the contacts of a group are not one person: none of
    // their pairs is offered again. False (reported once) when not stored.
    bool Dismiss(const std::vector<int>& ids);

private:
    std::string region;
    Adapter adapter;
};
