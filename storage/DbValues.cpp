#include "storage/DbValues.h"

#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "storage/LegacyText.h"

const char* const DB_TIME_FORMAT = "%Y-%m-%d %H:%M:%S";

wxString FormatDbTime(const wxDateTime& time)
{
    return time.IsValid() ? time.Format(DB_TIME_FORMAT) : wxString();
}

namespace
{
// ---------------------------------------------------------------- dates
// The parser follows SQLite's own (date.c), so that a value reads as the
// moment SQLite's datetime() would make of it.

const long long MS_PER_DAY = 86400000LL;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Exactly n digits with a value in [min, max].
bool Digits(const char*& z, int n, int min, int max, int& value)
{
    value = 0;
    for (int i = 0; i < n; ++i)
    {
        if (!IsDigit(z[i]))
            return false;
        value = value * 10 + (z[i] - '0');
    }
    if (value < min || value > max)
        return false;
    z += n;
    return true;
}

struct Moment
{
    bool hasDate = false;
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0;
    double second = 0;
    int zoneMinutes = 0;
};

// Optional "Z" or "+HH:MM" / "-HH:MM", then only white space.
bool ParseZone(const char* z, Moment& m)
{
    while (IsSpace(*z))
        ++z;
    if (*z == 'Z' || *z == 'z')
        ++z;
    else if (*z == '+' || *z == '-')
    {
        const int sign = *z == '-' ? -1 : 1;
        ++z;
        int hours = 0, minutes = 0;
        if (!Digits(z, 2, 0, 14, hours) || *z++ != ':' || !Digits(z, 2, 0, 59, minutes))
            return false;
        m.zoneMinutes = sign * (hours * 60 + minutes);
    }
    while (IsSpace(*z))
        ++z;
    return *z == 0;
}

bool ParseTime(const char* z, Moment& m)
{
    int second = 0;
    double fraction = 0;
    if (!Digits(z, 2, 0, 24, m.hour) || *z++ != ':' || !Digits(z, 2, 0, 59, m.minute))
        return false;
    if (*z == ':')
    {
        ++z;
        if (!Digits(z, 2, 0, 59, second))
            return false;
        if (*z == '.' && IsDigit(z[1]))
        {
            ++z;
            double scale = 1;
            while (IsDigit(*z))
            {
                fraction = fraction * 10 + (*z++ - '0');
                scale *= 10;
            }
            fraction /= scale;
        }
    }
    m.second = second + fraction;
    return ParseZone(z, m);
}

bool ParseDate(const char* z, Moment& m)
{
    if (!Digits(z, 4, 0, 9999, m.year) || *z++ != '-' || !Digits(z, 2, 1, 12, m.month) || *z++ != '-' ||
        !Digits(z, 2, 1, 31, m.day))
        return false;
    m.hasDate = true;
    while (IsSpace(*z) || *z == 'T')
        ++z;
    return *z == 0 || ParseTime(z, m);
}

long long ToJulianMs(const Moment& m)
{
    int y = m.year, mo = m.month;
    if (mo <= 2)
    {
        --y;
        mo += 12;
    }
    const int a = y / 100;
    const int b = 2 - a + a / 4;
    const int x1 = 36525 * (y + 4716) / 100;
    const int x2 = 306001 * (mo + 1) / 10000;
    long long ms = static_cast<long long>((x1 + x2 + m.day + b - 1524.5) * MS_PER_DAY);
    ms += m.hour * 3600000LL + m.minute * 60000LL + static_cast<long long>(m.second * 1000 + 0.5);
    return ms - m.zoneMinutes * 60000LL;
}

wxDateTime FromJulianMs(long long jd)
{
    // SQLite's valid range: year 0 to 9999.
    if (jd < 0 || jd > 464269060799999LL)
        return wxInvalidDateTime;
    const int z = static_cast<int>((jd + 43200000) / MS_PER_DAY);
    int a = static_cast<int>((z - 1867216.25) / 36524.25);
    a = z + 1 + a - (a / 4);
    const int b = a + 1524;
    const int c = static_cast<int>((b - 122.1) / 365.25);
    const int d = (36525 * (c & 32767)) / 100;
    const int e = static_cast<int>((b - d) / 30.6001);
    const int x1 = static_cast<int>(30.6001 * e);
    const int day = b - d - x1;
    const int month = e < 14 ? e - 1 : e - 13;
    const int year = month > 2 ? c - 4716 : c - 4715;
    if (year < 1)
        return wxInvalidDateTime;
    const long long inDay = (jd + 43200000) % MS_PER_DAY;
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(day), static_cast<wxDateTime::Month>(month - 1), year,
                      static_cast<wxDateTime::wxDateTime_t>(inDay / 3600000),
                      static_cast<wxDateTime::wxDateTime_t>(inDay / 60000 % 60),
                      static_cast<wxDateTime::wxDateTime_t>(inDay / 1000 % 60),
                      static_cast<wxDateTime::wxDateTime_t>(inDay % 1000));
}

bool SameMoment(const wxDateTime& a, const wxDateTime& b)
{
    if (!a.IsValid() || !b.IsValid())
        return a.IsValid() == b.IsValid();
    return a.GetValue() == b.GetValue();
}

// ----------------------------------------------------------------- text

// Text that is plain UTF-8 without NUL, which the program writes back the same.
bool IsPlainUtf8(const std::string& bytes)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();)
    {
        wxUint32 code;
        size_t n = LegacyText::Utf8Sequence(p + i, bytes.size() - i, code);
        if (n == 0 || code == 0)
            return false;
        i += n;
    }
    return true;
}

// The system's code page when it is a legacy one that a byte-by-byte
// reading cannot stand in for (CJK, Cyrillic, ...).
bool LegacySystemDecode(const char* bytes, size_t length, wxString& text)
{
    const wxFontEncoding encoding = wxLocale::GetSystemEncoding();
    switch (encoding)
    {
    case wxFONTENCODING_SYSTEM:
    case wxFONTENCODING_DEFAULT:
    case wxFONTENCODING_MAX:
    case wxFONTENCODING_UTF8:
    case wxFONTENCODING_UTF7:
    case wxFONTENCODING_ISO8859_1:
    case wxFONTENCODING_ISO8859_15:
    case wxFONTENCODING_CP1252:
        return false;
    default:
        break;
    }
    return LegacyText::Decode(bytes, length, encoding, text) && !text.empty();
}
} // namespace

wxDateTime ParseDbTime(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    const char* z = utf8.data();
    Moment m;
    if (ParseDate(z, m) || (m = Moment(), ParseTime(z, m)))
        return FromJulianMs(ToJulianMs(m));
    // A number alone is a Julian day number.
    char* end = nullptr;
    const double number = std::strtod(z, &end);
    if (end != z)
    {
        while (IsSpace(*end))
            ++end;
        if (*end == 0 && std::isfinite(number))
            return JulianDayToDateTime(number);
    }
    return wxInvalidDateTime;
}

wxDateTime JulianDayToDateTime(double julianDay)
{
    if (!(julianDay >= 0 && julianDay < 5373484.5))
        return wxInvalidDateTime;
    return FromJulianMs(static_cast<long long>(julianDay * MS_PER_DAY + 0.5));
}

wxDateTime NowToSecond()
{
    wxDateTime now = wxDateTime::Now();
    now.SetMillisecond(0);
    return now;
}

wxString EscapeSqlText(const wxString& text)
{
    wxString escaped(text);
    escaped.Replace("'", "''");
    return escaped;
}

wxString EscapeLikePattern(const wxString& text)
{
    wxString escaped;
    escaped.reserve(text.length());
    for (wxUniChar c : text)
    {
        if (c == '\\' || c == '%' || c == '_')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

wxString DecodeLenient(const char* bytes, size_t length)
{
    const std::string all(bytes, length);
    if (IsPlainUtf8(all))
        return wxString::FromUTF8(bytes, length);
    wxString text;
    if (LegacySystemDecode(bytes, length, text))
        return text;
    return LegacyText::DecodeUtf8OrWindows1252(bytes, length);
}

DbValue ReadDbValue(wxSQLite3ResultSet& rs, int column)
{
    DbValue value;
    switch (rs.GetColumnType(column))
    {
    case WXSQLITE_INTEGER:
        value.type = DbValue::INTEGER;
        value.integer = rs.GetInt64(column);
        break;
    case WXSQLITE_FLOAT:
        value.type = DbValue::REAL;
        value.real = rs.GetDouble(column);
        break;
    case WXSQLITE_TEXT:
    case WXSQLITE_BLOB:
    {
        value.type = rs.GetColumnType(column) == WXSQLITE_TEXT ? DbValue::TEXT : DbValue::BLOB;
        int length = 0;
        const unsigned char* data = rs.GetBlob(column, length);
        if (data && length > 0)
            value.bytes.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
        break;
    }
    default:
        break;
    }
    return value;
}

void BindDbValue(wxSQLite3Statement& stmt, int index, const DbValue& value)
{
    switch (value.type)
    {
    case DbValue::NUL:
        stmt.BindNull(index);
        break;
    case DbValue::INTEGER:
        stmt.Bind(index, value.integer);
        break;
    case DbValue::REAL:
        stmt.Bind(index, value.real);
        break;
    case DbValue::TEXT:
        // The wrapper binds text up to its first NUL; a text holding one
        // keeps every byte as a blob instead.
        if (value.bytes.find('\0') == std::string::npos)
        {
            stmt.Bind(index, value.bytes.c_str());
            break;
        }
        // fall through
    case DbValue::BLOB:
        stmt.Bind(index, reinterpret_cast<const unsigned char*>(value.bytes.data()),
                  static_cast<int>(value.bytes.size()));
        break;
    }
}

void BindDateTime(wxSQLite3Statement& stmt, int index, const wxDateTime& time)
{
    if (time.IsValid())
        stmt.Bind(index, FormatDbTime(time));
    else
        stmt.BindNull(index);
}

wxDateTime ReadDateTime(wxSQLite3ResultSet& rs, int column)
{
    KeptValues ignored;
    return ReadDateTime(rs, column, ignored);
}

wxString ReadText(wxSQLite3ResultSet& rs, int column)
{
    KeptValues ignored;
    return ReadText(rs, column, ignored);
}

int ReadInt(wxSQLite3ResultSet& rs, int column)
{
    return rs.GetInt(column, 0);
}

wxString ReadText(wxSQLite3ResultSet& rs, int column, KeptValues& kept)
{
    DbValue value = ReadDbValue(rs, column);
    wxString text;
    switch (value.type)
    {
    case DbValue::TEXT:
        if (IsPlainUtf8(value.bytes))
            return wxString::FromUTF8(value.bytes.data(), value.bytes.size());
        text = DecodeLenient(value.bytes.data(), value.bytes.size());
        break;
    case DbValue::BLOB:
        text = DecodeLenient(value.bytes.data(), value.bytes.size());
        break;
    case DbValue::INTEGER:
    case DbValue::REAL:
        text = rs.GetString(column);
        break;
    case DbValue::NUL:
        break;
    }
    KeptValue& keep = kept[column];
    keep.stored = std::move(value);
    keep.text = text;
    return text;
}

wxDateTime ReadDateTime(wxSQLite3ResultSet& rs, int column, KeptValues& kept)
{
    DbValue value = ReadDbValue(rs, column);
    wxDateTime time;
    switch (value.type)
    {
    case DbValue::NUL:
        return wxInvalidDateTime; // written back as NULL anyway
    case DbValue::TEXT:
    {
        const wxString text = wxString::FromUTF8(value.bytes.data(), value.bytes.size());
        time = ParseDbTime(text);
        if (time.IsValid() && FormatDbTime(time) == text)
            return time; // the program's own form
        break;
    }
    case DbValue::BLOB:
        time = ParseDbTime(DecodeLenient(value.bytes.data(), value.bytes.size()));
        break;
    case DbValue::INTEGER:
        time = JulianDayToDateTime(value.integer.ToDouble());
        break;
    case DbValue::REAL:
        time = JulianDayToDateTime(value.real);
        break;
    }
    KeptValue& keep = kept[column];
    keep.stored = std::move(value);
    keep.time = time;
    return time;
}

int ReadInt(wxSQLite3ResultSet& rs, int column, KeptValues& kept)
{
    const int number = rs.GetInt(column, 0);
    if (rs.GetColumnType(column) == WXSQLITE_INTEGER && rs.GetInt64(column) == wxLongLong(number))
        return number;
    KeptValue& keep = kept[column];
    keep.stored = ReadDbValue(rs, column);
    keep.number = number;
    return number;
}

namespace
{
const KeptValue* Find(const KeptValues* kept, int column)
{
    if (!kept)
        return nullptr;
    KeptValues::const_iterator it = kept->find(column);
    return it == kept->end() ? nullptr : &it->second;
}
} // namespace

void BindText(wxSQLite3Statement& stmt, int index, const wxString& text)
{
    // Most texts are short and plain ASCII: their UTF-8 is their characters
    // as they stand, with no conversion to make.
    char plain[256];
    size_t n = 0;
    if (text.length() < sizeof plain)
    {
        for (wxUniChar c : text)
        {
            const wxUniChar::value_type v = c.GetValue();
            if (v == 0 || v >= 0x80)
            {
                n = sizeof plain;
                break;
            }
            plain[n++] = static_cast<char>(v);
        }
        if (n < sizeof plain)
        {
            plain[n] = '\0';
            stmt.Bind(index, static_cast<const char*>(plain));
            return;
        }
    }
    stmt.Bind(index, text);
}

void BindText(wxSQLite3Statement& stmt, int index, const wxString& text, const KeptValues* kept, int column)
{
    const KeptValue* keep = Find(kept, column);
    if (keep && keep->text == text)
        BindDbValue(stmt, index, keep->stored);
    else
        BindText(stmt, index, text);
}

void BindDateTime(wxSQLite3Statement& stmt, int index, const wxDateTime& time, const KeptValues* kept, int column)
{
    const KeptValue* keep = Find(kept, column);
    if (keep && SameMoment(keep->time, time))
        BindDbValue(stmt, index, keep->stored);
    else
        BindDateTime(stmt, index, time);
}

void BindInt(wxSQLite3Statement& stmt, int index, int number, const KeptValues* kept, int column)
{
    const KeptValue* keep = Find(kept, column);
    if (keep && keep->number == number)
        BindDbValue(stmt, index, keep->stored);
    else
        stmt.Bind(index, number);
}
