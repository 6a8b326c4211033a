#include "storage/FindIndex.h"

#include <glib.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "storage/ContactAdapter.h"
#include "storage/ContactInfoEx.h"
#include "storage/DbValues.h"
#include "storage/KeptProperties.h"

const char* const FindIndex::TABLE = "contact_find";
const char* const FindIndex::TEXTS =
    "(select id as rowid, c0 as body, c1 as alpha from contact_find_content) as contact_find";
// The texts are folded before they are stored and the query is folded the
// same way, so the tokenizer compares exactly; without positions the index
// only narrows the rows down and SQLite checks each pattern on the text.
const char* const FindIndex::CREATE_TABLE = "CREATE VIRTUAL TABLE IF NOT EXISTS contact_find USING fts5(body, alpha "
                                            "UNINDEXED, tokenize = 'trigram case_sensitive 1', detail = none)";

namespace
{
const char* const SQL_STORE = "insert or replace into contact_find (rowid, body, alpha) values (?, ?, ?);";
const char* const SQL_REMOVE = "delete from contact_find where rowid = ?;";

bool IsPhoneField(wxString ContactInfoEx::*field)
{
    static wxString ContactInfoEx::*const phones[] = {
        &ContactInfoEx::business_fax,     &ContactInfoEx::business_fax_2,  &ContactInfoEx::business_phone,
        &ContactInfoEx::business_phone_2, &ContactInfoEx::business_mobile, &ContactInfoEx::business_mobile_2,
        &ContactInfoEx::home_fax,         &ContactInfoEx::home_fax_2,      &ContactInfoEx::home_phone,
        &ContactInfoEx::home_phone_2,     &ContactInfoEx::home_mobile,     &ContactInfoEx::home_mobile_2};
    for (wxString ContactInfoEx::*phone : phones)
    {
        if (phone == field)
            return true;
    }
    return false;
}

// The value of a content line ("item1.EMAIL;TYPE=HOME:a@b.org" gives
// "a@b.org"), with the escapes and the separators of structured values
// read as the text they stand for.
wxString LineValue(const wxString& line)
{
    const int colon = line.Find(':');
    wxString value = colon == wxNOT_FOUND ? line : line.Mid(colon + 1);
    wxString text;
    for (size_t i = 0; i < value.length(); ++i)
    {
        const wxUniChar c = value[i];
        if (c == '\\' && i + 1 < value.length())
        {
            const wxUniChar next = value[++i];
            text += (next == 'n' || next == 'N') ? wxUniChar(' ') : next;
        }
        else
            text += c == ';' ? wxUniChar(' ') : c;
    }
    return text;
}

bool IsAscii(const wxString& text)
{
    for (wxUniChar c : text)
    {
        if (c.GetValue() >= 0x80)
            return false;
    }
    return true;
}

// The row's one text as it is stored, in UTF-8: the contact's texts
// folded, one per line, then the digits of its phones. A text the row
// already holds (the phonetic name that is the name, the same history
// comment twice) is not added again.
class RowText
{
public:
    void Add(const wxString& text)
    {
        if (text.empty())
            return;
        std::string line;
        if (IsAscii(text))
        {
            // The folded form of plain ASCII is its lower case.
            line.reserve(text.length());
            for (wxUniChar c : text)
            {
                const char ascii = static_cast<char>(c.GetValue());
                line += ascii >= 'A' && ascii <= 'Z' ? static_cast<char>(ascii - 'A' + 'a') : ascii;
            }
        }
        else
            line = FindIndex::Fold(text).utf8_string();
        for (const auto& held : lines)
        {
            if (held.second == line.size() && row.compare(held.first, held.second, line) == 0)
                return;
        }
        if (!row.empty())
            row += '\n';
        lines.emplace_back(row.size(), line.size());
        row += line;
    }

    void AddDigits(const std::string& digits)
    {
        if (!digits.empty())
            row += (row.empty() ? "" : "\n") + digits;
    }

    std::string row;

private:
    std::vector<std::pair<size_t, size_t>> lines; // where each text stands
};

// The contact's texts but the phone numbers, the values of its kept lines
// and the given history comments; phone numbers are found by the line of
// their digits.
std::string TextOf(const ContactInfoEx& contact, const wxArrayString& history)
{
    RowText text;
    text.Add(contact.last_name);
    text.Add(contact.first_name);
    text.Add(contact.last_name_alpha);
    text.Add(contact.first_name_alpha);
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
    {
        if (!IsPhoneField(field))
            text.Add(contact.*field);
    }
    for (const wxString& line : contact.keptProperties)
        text.Add(LineValue(line));
    for (const wxString& comment : history)
        text.Add(comment);
    std::string digits;
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
    {
        if (!IsPhoneField(field))
            continue;
        const wxString form = FindIndex::PhoneDigits(contact.*field);
        if (!form.empty())
            digits += (digits.empty() ? "" : " ") + form.ToStdString();
    }
    text.AddDigits(digits);
    return text.row;
}

bool Write(Adapter& adapter, const ContactInfoEx& contact, const wxArrayString& history)
{
    const std::string text = TextOf(contact, history);
    static const wxString store(SQL_STORE);
    adapter.ExecuteBound(store,
                         [&contact, &text](wxSQLite3Statement& stmt)
                         {
                             stmt.Bind(1, contact.id);
                             stmt.Bind(2, text.c_str());
                             BindText(stmt, 3, contact.last_name_alpha);
                         });
    return !adapter.LastFailed();
}

wxString SelectHead()
{
    wxString head = "select ";
    for (int i = 0; i < 43; ++i)
        head << (i ? ", " : "") << ContactAdapter::COLUMNS[i];
    return head;
}

// The trigrams of a word of three characters or more, added as phrases
// of the index's query language that must all be found. The index keeps
// no positions: it only narrows the rows down, and the check tells whether
// the trigrams stand together.
void AddTrigrams(wxArrayString& phrases, const wxString& word)
{
    for (size_t i = 0; i + 3 <= word.length(); ++i)
    {
        wxString phrase = word.Mid(i, 3);
        phrase.Replace("\"", "\"\"");
        phrase = "\"" + phrase + "\"";
        if (phrases.Index(phrase) == wxNOT_FOUND)
            phrases.Add(phrase);
    }
}

// Phrases that must all be found, quoted for SQL.
wxString AllOf(const wxArrayString& phrases)
{
    return EscapeSqlText(wxJoin(phrases, ' ', 0));
}

// Whether the row's text holds the folded word (both are folded alike, so
// the comparison is exact).
wxString Holds(const wxString& word)
{
    return "instr(body, '" + EscapeSqlText(word) + "') > 0";
}

// The ids of the tags whose folded name contains the word.
wxString TagIdsContaining(Adapter& adapter, const wxString& word)
{
    wxString ids;
    adapter.Query("select id, name from mst_tags;",
                  [&ids, &word](wxSQLite3ResultSet& row)
                  {
                      if (FindIndex::Fold(ReadText(row, 1)).Contains(word))
                          ids << (ids.empty() ? "" : ", ") << ReadInt(row, 0);
                  });
    return ids;
}

// Without the index: the same words looked for in the stored columns
// themselves (case blind for Latin letters only, and slow on a large book).
wxString ColumnsCondition(const wxString& word)
{
    wxString columns;
    for (int i = 1; i < 39; ++i)
    {
        if (i == 5 || i == 6)
            continue; // sex and birthday
        columns << (columns.empty() ? "" : " || char(10) || ") << "ifnull(" << ContactAdapter::COLUMNS[i] << ", '')";
    }
    return "(" + columns + ") like '%" + EscapeSqlText(EscapeLikePattern(word)) + "%' escape '\\'";
}
} // namespace

wxString FindIndex::Fold(const wxString& text)
{
    // Most texts are plain ASCII: their folded form is their lower case.
    if (IsAscii(text))
        return text.Lower();
    using GText = std::unique_ptr<gchar, decltype(&g_free)>;
    const wxScopedCharBuffer utf8 = text.utf8_str();
    GText split(g_utf8_normalize(utf8.data(), static_cast<gssize>(utf8.length()), G_NORMALIZE_ALL), g_free);
    if (!split)
        return text.Lower(); // not valid text: compare it as it is
    // Accents on Latin, Greek and Cyrillic letters go ("García" is found
    // as "garcia"); the voicing marks of kana stay.
    std::string bare;
    for (const gchar* c = split.get(); *c; c = g_utf8_next_char(c))
    {
        const gunichar u = g_utf8_get_char(c);
        if (u < 0x300 || u > 0x36F)
            bare.append(c, g_utf8_next_char(c) - c);
    }
    GText joined(g_utf8_normalize(bare.c_str(), -1, G_NORMALIZE_DEFAULT_COMPOSE), g_free);
    GText folded(g_utf8_casefold(joined.get(), -1), g_free);
    return wxString::FromUTF8(folded.get());
}

wxString FindIndex::PhoneDigits(const wxString& phone, bool* international)
{
    wxString digits;
    bool plus = false;
    // Full-width digits and signs are read as their plain forms.
    for (wxUniChar c : IsAscii(phone) ? phone : Fold(phone))
    {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c == '+' && digits.empty())
            plus = true;
    }
    const bool abroad = plus || digits.StartsWith("00");
    if (!plus && abroad)
        digits = digits.Mid(2);
    if (international)
        *international = abroad;
    return digits.length() < 3 ? wxString() : digits;
}

wxArrayString FindIndex::DigitsFound(const wxString& typed)
{
    bool international = false;
    const wxString digits = PhoneDigits(typed, &international);
    wxArrayString forms;
    if (digits.empty())
        return forms;
    forms.Add(digits);
    if (international)
    {
        // Stored in the national form: "0" in place of a country code of
        // one to three digits.
        for (size_t code = 1; code <= 3 && code + 3 <= digits.length(); ++code)
            forms.Add("0" + digits.Mid(code));
    }
    else if (digits[0] == '0' && digits.length() > 3)
        forms.Add(digits.Mid(1)); // stored with its country code
    return forms;
}

bool FindIndex::Exists(Adapter& adapter)
{
    return adapter.HasTable("contact_find");
}

bool FindIndex::Store(Adapter& adapter, const ContactInfoEx& contact, bool indexed)
{
    if (!indexed && !Exists(adapter))
        return !adapter.LastFailed();
    return Write(adapter, contact, wxArrayString());
}

bool FindIndex::Remove(Adapter& adapter, int contactId)
{
    static const wxString remove(SQL_REMOVE);
    adapter.ExecuteBound(remove, [contactId](wxSQLite3Statement& stmt) { stmt.Bind(1, contactId); });
    return !adapter.LastFailed();
}

bool FindIndex::Reindex(Adapter& adapter, int contactId)
{
    if (!Exists(adapter))
        return !adapter.LastFailed();
    std::unique_ptr<ContactInfoEx> contact;
    if (adapter.Query(SelectHead() + wxString::Format(" from contacts where id = %d;", contactId),
                      [&contact](wxSQLite3ResultSet& row) { contact.reset(ContactAdapter::ReadContact(row)); }) < 0)
        return false;
    if (!contact)
        return Remove(adapter, contactId);
    if (KeptProperties::Exists(adapter) &&
        adapter.Query(
            wxString::Format("select line from contact_properties where contact_id = %d order by position;", contactId),
            [&contact](wxSQLite3ResultSet& row) { contact->keptProperties.Add(ReadText(row, 0)); }) < 0)
        return false;
    wxArrayString history;
    if (adapter.Query(
            wxString::Format("select comment from contact_history where contact_id = %d order by id;", contactId),
            [&history](wxSQLite3ResultSet& row) { history.Add(ReadText(row, 0)); }) < 0)
        return false;
    return Write(adapter, *contact, history);
}

bool FindIndex::IsComplete(wxSQLite3Database& db)
{
    if (!db.TableExists(TABLE))
        return false;
    // A table of an earlier shape is made anew.
    if (db.ExecuteScalar("select count(*) from pragma_table_info('contact_find') where name = 'alpha';") == 0)
        return false;
    // The index's own copy of the texts is an ordinary table: counting it
    // is as quick as counting the contacts.
    return db.ExecuteScalar("select count(*) from contacts;") ==
               db.ExecuteScalar("select count(*) from contact_find_content;") &&
           db.ExecuteScalar("select max(id) from contacts;") ==
               db.ExecuteScalar("select max(id) from contact_find_content;");
}

void FindIndex::Rebuild(wxSQLite3Database& db)
{
    db.ExecuteUpdate("delete from contact_find;");
    // Three reads in contact order, walked side by side, so that a book of
    // a million contacts is never held in memory at once.
    const bool withKept = db.TableExists(KeptProperties::TABLE);
    wxSQLite3ResultSet kept;
    if (withKept)
        kept = db.ExecuteQuery("select contact_id, line from contact_properties order by contact_id, position;");
    bool keptRow = withKept && kept.NextRow();
    wxSQLite3ResultSet history =
        db.ExecuteQuery("select contact_id, comment from contact_history order by contact_id;");
    bool historyRow = history.NextRow();

    wxSQLite3Statement insert = db.PrepareStatement(SQL_STORE);
    wxSQLite3ResultSet rs = db.ExecuteQuery(SelectHead() + " from contacts order by id;");
    while (rs.NextRow())
    {
        std::unique_ptr<ContactInfoEx> contact(ContactAdapter::ReadContact(rs));
        const int id = contact->id;
        // Rows of contacts that are gone are passed over.
        while (keptRow && ReadInt(kept, 0) <= id)
        {
            if (ReadInt(kept, 0) == id)
                contact->keptProperties.Add(ReadText(kept, 1));
            keptRow = kept.NextRow();
        }
        wxArrayString comments;
        while (historyRow && ReadInt(history, 0) <= id)
        {
            if (ReadInt(history, 0) == id)
                comments.Add(ReadText(history, 1));
            historyRow = history.NextRow();
        }
        insert.Bind(1, id);
        const std::string text = TextOf(*contact, comments);
        insert.Bind(2, text.c_str());
        insert.Bind(3, contact->last_name_alpha);
        insert.ExecuteUpdate();
        insert.Reset();
    }
}

wxString FindIndex::Find::Where() const
{
    return (match.empty() ? wxString()
                          : "contact_find.rowid in (select rowid from contact_find where contact_find match '" + match +
                                "') and ") +
           "(" + check + ")";
}

wxString FindIndex::Find::Counted() const
{
    // The index reads ranges of its rows within a match itself, quicker
    // than a read of every text unless most rows match.
    if (!match.empty())
        return "contact_find where contact_find match '" + match + "' and (" + check + ")";
    return wxString(TEXTS) + " where (" + check + ")";
}

FindIndex::Find FindIndex::Plan(Adapter& adapter, const wxString& text)
{
    Find find;
    const wxString folded = Fold(text);
    find.indexed = Exists(adapter);
    // Each word, with the tags whose name holds it.
    std::vector<std::pair<wxString, wxString>> words;
    for (const wxString& word : wxSplit(folded, ' ', 0))
    {
        const wxString trimmed = wxString(word).Trim().Trim(false);
        if (!trimmed.empty())
            words.emplace_back(trimmed, TagIdsContaining(adapter, trimmed));
    }
    if (words.empty())
        return find;
    auto tagged = [](const wxString& tags)
    { return "select contact_id from contact_tag where tag_id in (" + tags + ")"; };
    if (!find.indexed)
    {
        find.rows = "select id from contacts where ";
        for (size_t i = 0; i < words.size(); ++i)
        {
            find.rows << (i ? " and " : "") << "(" << ColumnsCondition(words[i].first);
            if (!words[i].second.empty())
                find.rows << " or id in (" << tagged(words[i].second) << ")";
            find.rows << ")";
        }
        return find;
    }
    // Every word in the text or in the tags; the words no tag name holds
    // narrow the rows down when they are long enough for the index.
    wxArrayString phrases;
    for (const auto& word : words)
    {
        find.check << (find.check.empty() ? "" : " and ")
                   << (word.second.empty() ? Holds(word.first)
                                           : "(" + Holds(word.first) +
                                                 " or exists (select 1 from contact_tag where contact_id = "
                                                 "contact_find.rowid and tag_id in (" +
                                                 word.second + ")))");
        if (word.second.empty() && word.first.length() >= 3)
            AddTrigrams(phrases, word.first);
    }
    wxString match = phrases.empty() ? wxString() : AllOf(phrases);
    // Digits and phone signs alone: the numbers with those digits too,
    // whatever their separators and country code.
    if (folded.find_first_not_of("0123456789+-.()/ ") == wxString::npos)
    {
        const wxArrayString forms = DigitsFound(folded);
        if (!forms.empty())
            find.check = "(" + find.check + ")";
        bool alone = true; // the match of the words alone so far
        for (const wxString& form : forms)
        {
            find.check << " or " << Holds(form);
            wxArrayString digits;
            AddTrigrams(digits, form);
            // The words' digits together need every trigram of the words:
            // the index finds those rows already.
            const bool within = std::all_of(phrases.begin(), phrases.end(),
                                            [&digits](const wxString& p) { return digits.Index(p) != wxNOT_FOUND; });
            if (match.empty() || within)
                continue;
            match = (alone ? "(" + match + ")" : match) + " OR (" + AllOf(digits) + ")";
            alone = false;
        }
    }
    find.match = match;
    find.rows = "select contact_find.rowid from " + wxString(TEXTS) + " where " + find.Where();
    return find;
}

wxString FindIndex::BuildRows(Adapter& adapter, const wxString& text)
{
    return Plan(adapter, text).rows;
}

wxString FindIndex::SortedPage(const wxString& where, int offset, int size)
{
    return "select contact_find.rowid, count(*) over () from " + wxString(TEXTS) + " where " + where +
           wxString::Format(" order by alpha DESC limit %d, %d;", offset, size);
}

int FindIndex::CountRows(const std::function<long long(const wxString& sql)>& scalar, const wxString& counted,
                         const std::function<bool()>& cancelled, int rangeRows)
{
    const long long first = scalar("select ifnull(min(id), 1) - 1 from contact_find_content;");
    const long long last = scalar("select ifnull(max(id), 0) from contact_find_content;");
    if (first < -1 || last < 0)
        return -1;
    // Ids far apart (another program's) are counted in wider ranges: never
    // more than a few hundred reads.
    const long long range = std::max<long long>(rangeRows, (last - first) / 256 + 1);
    long long total = 0;
    for (long long low = first; low < last;)
    {
        if (cancelled && cancelled())
            return -1;
        const long long high = range >= last - low ? last : low + range;
        const long long n =
            scalar("select count(*) from " + counted +
                   wxString::Format(" and contact_find.rowid > %lld and contact_find.rowid <= %lld;", low, high));
        if (n < 0)
            return -1;
        total += n;
        low = high;
    }
    return static_cast<int>(total);
}

int FindIndex::CountFound(wxSQLite3Database& db, const wxString& counted, const wxString& sorted, std::vector<int>& ids,
                          const std::function<bool()>& cancelled)
{
    int total = -1;
    if (!sorted.empty())
    {
        // The page sorted, the total beside each row.
        wxSQLite3ResultSet rows = db.ExecuteQuery(sorted);
        while (rows.NextRow())
        {
            ids.push_back(rows.GetInt(0));
            total = rows.GetInt(1);
        }
    }
    if (!ids.empty())
        return total;
    auto scalar = [&db](const wxString& sql) -> long long
    {
        wxSQLite3ResultSet row = db.ExecuteQuery(sql);
        return row.NextRow() ? row.GetInt64(0).GetValue() : -1;
    };
    return CountRows(scalar, counted, cancelled);
}
