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

// The indexed texts of a contact: its fields but the phone numbers, the
// values of its kept lines and the given history comments, folded, one per
// line; and the digits of its phone numbers, space separated.
wxString BodyOf(const ContactInfoEx& contact, const wxArrayString& historyComments);
wxString DigitsOf(const ContactInfoEx& contact);

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

// A select of the ids of the contacts whose texts, tag names or phone
// digits contain the text: each word of it must be found in the
// contact's texts or in one of its tag names; a text of digits and phone
// signs alone also finds the numbers with those digits. Without the index
// the contacts' own columns are read. Empty when the text has no word.
// indexWhere, when given, receives the where clause on the index alone
// when the rows are one read of it that the index narrows down and that
// reads the rows' texts (they can then be sorted by their alpha column,
// the family name's alphabet form, at little cost), and is empty otherwise.
wxString BuildRows(Adapter& adapter, const wxString& text, wxString* indexWhere = nullptr);
} // namespace FindIndex
