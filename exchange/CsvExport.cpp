#include "exchange/CsvExport.h"

#include <wx/intl.h>

#include <string>

#include "exchange/ReplacingFile.h"
#include "storage/ContactManager.h"
#include "storage/DbValues.h"
#include "storage/SearchCondition.h"
#include "storage/TagManager.h"

namespace
{
// The columns of the contacts table that are written, by their index in the
// row read: the names, sex and birthday, then the text fields. The id, the
// times and the user ids mean nothing outside this program.
const int FIRST_COLUMN = 1;
const int BIRTHDAY_COLUMN = 6;
const int FIRST_TEXT_COLUMN = 7;
const int COLUMN_END = FIRST_TEXT_COLUMN + static_cast<int>(WXSIZEOF(CONTACT_TEXT_FIELDS));

const char* const BYTE_ORDER_MARK = "\xEF\xBB\xBF";
const char* const LINE_END = "\r\n";

// UTF-8 of every character; one that has no UTF-8 form (half a surrogate
// pair) becomes U+FFFD instead of taking the whole field with it.
void AppendUtf8(std::string& out, const wxString& text)
{
    for (wxUniChar c : text)
    {
        wxUint32 v = c.GetValue();
        if ((v >= 0xD800 && v <= 0xDFFF) || v > 0x10FFFF)
            v = 0xFFFD;
        if (v < 0x80)
            out += static_cast<char>(v);
        else if (v < 0x800)
        {
            out += static_cast<char>(0xC0 | (v >> 6));
            out += static_cast<char>(0x80 | (v & 0x3F));
        }
        else if (v < 0x10000)
        {
            out += static_cast<char>(0xE0 | (v >> 12));
            out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (v & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (v >> 18));
            out += static_cast<char>(0x80 | ((v >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (v & 0x3F));
        }
    }
}

// A field with a separator, a quote or a line break goes between quotes
// with its quotes doubled. So does one with blanks at either end, which
// some readers would trim otherwise. Values are written exactly as stored,
// a phone number "+44..." or a comment "=..." too: a mark put before them
// against formulas would change the data that another address book reads.
void AppendField(std::string& out, const wxString& value)
{
    const bool quoted =
        value.find_first_of(",\"\r\n") != wxString::npos ||
        (!value.empty() && (value[0] == ' ' || value.Last() == ' ' || value[0] == '\t' || value.Last() == '\t'));
    if (!quoted)
    {
        AppendUtf8(out, value);
        return;
    }
    wxString doubled(value);
    doubled.Replace("\"", "\"\"");
    out += '"';
    AppendUtf8(out, doubled);
    out += '"';
}

std::string Row(const wxArrayString& fields)
{
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i)
    {
        if (i > 0)
            row += ',';
        AppendField(row, fields[i]);
    }
    row += LINE_END;
    return row;
}

wxString SexText(int sex)
{
    return sex == SEX_MALE ? _("Male") : sex == SEX_FEMALE ? _("Female") : _("Not stated");
}

wxString BirthdayText(const ContactInfoEx& contact)
{
    const wxDateTime& birthday = contact.birthday;
    if (birthday.IsValid())
    {
        const bool midnight = birthday.GetHour() == 0 && birthday.GetMinute() == 0 && birthday.GetSecond() == 0;
        return birthday.Format(midnight ? "%Y-%m-%d" : "%Y-%m-%d %H:%M:%S");
    }
    // Text another program stored that reads as no date is still what the
    // book holds (and what an edit writes back): it goes out as it stands.
    if (contact.asRead)
    {
        const auto kept = contact.asRead->find(BIRTHDAY_COLUMN);
        if (kept != contact.asRead->end() && !kept->second.time.IsValid() &&
            (kept->second.stored.type == DbValue::TEXT || kept->second.stored.type == DbValue::BLOB))
            return DecodeLenient(kept->second.stored.bytes.data(), kept->second.stored.bytes.size());
    }
    return wxEmptyString;
}

wxArrayString Fields(const ContactInfoEx& contact, const TagManager& tags)
{
    wxArrayString fields;
    fields.Add(contact.last_name);
    fields.Add(contact.last_name_alpha);
    fields.Add(contact.first_name);
    fields.Add(contact.first_name_alpha);
    fields.Add(SexText(contact.sex));
    fields.Add(BirthdayText(contact));
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
        fields.Add(contact.*field);
    wxArrayString names;
    tags.GetTagNamesByIds(contact.tagIds, names);
    wxString joined;
    for (const wxString& name : names)
        joined += (joined.empty() ? "" : "; ") + name;
    fields.Add(joined);
    return fields;
}

// The file with its header row; rows are counted as they go in.
class CsvFile
{
public:
    CsvFile(CsvExport::Result& result, const CsvExport::Progress& progress) : result(result), progress(progress) {}

    bool Open(const wxString& path)
    {
        if (!file.Open(path, &result.error))
            return false;
        // A header that does not go in fails the commit.
        file.Write(BYTE_ORDER_MARK + Row(CsvExport::ColumnLabels()));
        return true;
    }

    void Add(const ContactInfoEx& contact, const TagManager& tags)
    {
        if (!file.Write(Row(Fields(contact, tags))))
            return;
        ++result.written;
        if (progress)
            progress(result.written);
    }

    // Failed (and nothing counted) when any row did not go in.
    void Commit()
    {
        result.ok = file.Commit(&result.error);
        if (!result.ok)
            result.written = 0;
    }

private:
    ReplacingFile file;
    CsvExport::Result& result;
    const CsvExport::Progress& progress;
};
} // namespace

wxArrayString CsvExport::ColumnLabels()
{
    wxArrayString labels;
    for (int column = FIRST_COLUMN; column < COLUMN_END; ++column)
        labels.Add(ContactManager::ColumnLabel(column));
    labels.Add(_("Tags"));
    return labels;
}

CsvExport::Result CsvExport::WriteContacts(const wxString& path, const ContactArray& contacts, const TagManager& tags,
                                           const Progress& progress)
{
    Result result;
    CsvFile file(result, progress);
    if (!file.Open(path))
        return result;
    for (void* item : contacts)
        file.Add(*static_cast<const ContactInfoEx*>(item), tags);
    file.Commit();
    return result;
}

CsvExport::Result CsvExport::WriteSearch(const wxString& path, const SearchCondition& condition,
                                         ContactManager& contacts, const TagManager& tags, const Progress& progress)
{
    Result result;
    CsvFile file(result, progress);
    if (!file.Open(path))
        return result;
    const int rows =
        contacts.ForEachMatching(condition, true, [&](ContactInfoEx& contact) { file.Add(contact, tags); });
    if (rows < 0)
    {
        result.written = 0;
        result.error = _("the contacts cannot be read");
        return result;
    }
    file.Commit();
    return result;
}
