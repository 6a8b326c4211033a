// The find box's index: one full-text row per contact (SQLite FTS5 with the
// trigram tokenizer) holding every text of the contact folded for finding,
// then the digits of its phone numbers, and beside it (not indexed) the
// family name's alphabet form that the list is sorted by. It is written beside the contact in
// the same unit of work (the same transaction in a batch) and read only by
// the find's filter. Tag names are matched when the find runs, so renaming
// a tag needs no rewrite here.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <functional>
#include <vector>

class Adapter;
class wxSQLite3Database;
class ContactInfoEx;

namespace FindIndex
{
extern const char* const TABLE;
extern const char* const CREATE_TABLE;

// Text as the find compares it: compatibility forms (full- and half-width
// letters, digits and kana, ligatures) replaced by their plain forms,
// accents of letters dropped, then case folded.
wxString Fold(const wxString& text);

// The digits of a phone number as they are stored: without a leading "+"
// or "00" (international says whether there was one). Empty when the text
// holds fewer than three digits.
wxString PhoneDigits(const wxString& phone, bool* international = nullptr);
// The digit strings that find the numbers a typed number may stand for:
// its digits, and the same number in the other form, national ("0" in
// place of a country code of one to three digits) or international
// (without the leading "0").
wxArrayString DigitsFound(const wxString& typed);

// Whether the book has the index (an older book that could not be changed
// at start-up has not; the find then reads the contacts themselves).
bool Exists(Adapter& adapter);

// Writes the row of a new contact from its record (it has no history yet).
// indexed: the caller knows the book has the index (a batch asks once).
// False when a statement failed.
bool Store(Adapter& adapter, const ContactInfoEx& contact, bool indexed = false);
// Writes the row of a stored contact from what the file holds now: its
// row, kept lines and history. A contact that is gone loses its row.
bool Reindex(Adapter& adapter, int contactId);
bool Remove(Adapter& adapter, int contactId);

// Whether the index holds a row for every contact and no other: false for
// a book made before the find and for rows another program added or
// removed. Throws wxSQLite3Exception when the file cannot be read.
bool IsComplete(wxSQLite3Database& db);

// Fills the index anew from every contact of the book (a book made before
// the find, at start-up, or filled by the database tool), on the caller's
// connection and transaction. Throws wxSQLite3Exception on failure.
void Rebuild(wxSQLite3Database& db);

// The index's texts as a table named contact_find of rowid, body and
// alpha: the index's own copy of them (an ordinary table), read directly,
// which is quicker than through the index.
extern const char* const TEXTS;

// What a find looks for, worked out once from the typed text.
struct Find
{
    // Whether the book has the index; without it rows reads the contacts'
    // own columns and the rest is empty.
    bool indexed = false;
    // On a row of the index (its body and rowid): whether its contact is
    // found. Each word of the text must be in the row's text or in one of
    // the contact's tag names; a text of digits and phone signs alone also
    // finds the numbers with those digits.
    wxString check;
    // A query of the index that every found row matches, when the index
    // can narrow the rows down (every way of being found needs a word of
    // three characters or more that no tag name holds); empty otherwise.
    wxString match;
    // The select of the ids of the contacts found; empty when the text has
    // no word.
    wxString rows;

    // The where clause on the rows of TEXTS: the match, then the check.
    wxString Where() const;
    // What the total is counted from: the index narrowed by the match, or
    // TEXTS, then "where" and a clause on it (CountRows).
    wxString Counted() const;
};
Find Plan(Adapter& adapter, const wxString& text);

// The select of the ids of the contacts the text finds (Plan's rows).
wxString BuildRows(Adapter& adapter, const wxString& text);

// The select of a page of the rows of TEXTS that meet the where clause,
// sorted by alpha as the list is: each row's id, then the total found.
wxString SortedPage(const wxString& where, int offset, int size);

// How many rows of a find's Counted() there are, counted one range of
// rows at a time so that no read holds the file for long (a write of the
// window waits one range at most). scalar runs one select of one number
// and gives -1 when it failed; cancelled is asked between ranges. -1 when
// a read failed or the count was cancelled.
const int COUNT_RANGE = 50000;
int CountRows(const std::function<long long(const wxString& sql)>& scalar, const wxString& counted,
              const std::function<bool()>& cancelled = {}, int rangeRows = COUNT_RANGE);
// What a counter off the window thread makes of a find, on a connection
// of its own: the page's ids that sorted selects (SortedPage), when it is
// not empty, and the total; or the total alone of counted (CountRows).
// -1 when a read failed or the count was cancelled. Throws
// wxSQLite3Exception when the file cannot be read.
int CountFound(wxSQLite3Database& db, const wxString& counted, const wxString& sorted, std::vector<int>& ids,
               const std::function<bool()>& cancelled = {});
} // namespace FindIndex
