#include "storage/DuplicateFinder.h"

#include <phonenumbers/phonenumberutil.h>
#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <set>
#include <unordered_map>

#include "storage/DbValues.h"
#include "storage/DismissedPairs.h"
#include "storage/KeptProperties.h"
#include "storage/UnitOfWork.h"

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace
{
// Every column the keys are made of, in one read of the table.
const char* const SQL_KEY_COLUMNS =
    "select id, last_name, first_name, last_name_alpha, first_name_alpha, company, birthday, email, email_2, "
    "business_fax, business_fax_2, business_phone, business_phone_2, business_mobile, business_mobile_2, "
    "home_fax, home_fax_2, home_phone, home_phone_2, home_mobile, home_mobile_2 from contacts;";
const int FIRST_EMAIL_COLUMN = 7;
const int FIRST_PHONE_COLUMN = 9;
const int PHONE_COLUMNS = 12;
// Kept lines that may be a UID; the name is checked exactly afterwards.
const char* const SQL_UID_LINES = "select contact_id, line from contact_properties where line like '%uid%';";
const int PROGRESS_ROWS = 2048;
// A text with fewer digits is no number to compare.
const size_t MIN_PHONE_DIGITS = 5;

// The country of a locale name such as "de_AT.UTF-8@euro"; empty when it has none.
wxString CountryOf(const wxString& locale)
{
    wxString name = locale.BeforeFirst('.').BeforeFirst('@');
    const wxString country = name.AfterFirst('_');
    if (country.length() != 2 || !country.IsAscii() || !wxIsalpha(country[0]) || !wxIsalpha(country[1]))
        return wxString();
    return country.Upper();
}

wxString Folded(const wxString& text)
{
    return text.Strip(wxString::both).Lower();
}

// The value of a kept "UID:..." line (any case, with or without a group or
// parameters); empty for any other line.
wxString UidOf(const wxString& line)
{
    const int colon = line.Find(':');
    if (colon == wxNOT_FOUND)
        return wxString();
    wxString name = line.Left(colon).BeforeFirst(';');
    if (name.Find('.') != wxNOT_FOUND)
        name = name.AfterLast('.');
    if (name.CmpNoCase("UID") != 0)
        return wxString();
    return line.Mid(colon + 1).Strip(wxString::both);
}

class Components
{
public:
    explicit Components(size_t n) : parent(n)
    {
        std::iota(parent.begin(), parent.end(), 0);
    }
    size_t Root(size_t i)
    {
        while (parent[i] != i)
        {
            parent[i] = parent[parent[i]];
            i = parent[i];
        }
        return i;
    }
    void Join(size_t a, size_t b)
    {
        a = Root(a);
        b = Root(b);
        if (a != b)
            parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<size_t> parent;
};
} // namespace

DuplicateFinder::DuplicateFinder(const wxString& region)
{
    wxString chosen = region.empty() ? LocaleRegion() : region.Upper();
    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    if (util->GetCountryCodeForRegion(chosen.utf8_string()) == 0)
        chosen = "US";
    this->region = chosen.utf8_string();
}

wxString DuplicateFinder::LocaleRegion()
{
    for (const char* variable : {"LC_ALL", "LC_TELEPHONE", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value && *value)
        {
            const wxString country = CountryOf(wxString::FromUTF8(value));
            if (!country.empty())
                return country;
        }
    }
    const wxString country = CountryOf(wxLocale::GetLanguageCanonicalName(wxLocale::GetSystemLanguage()));
    return country.empty() ? wxString("US") : country;
}

std::string DuplicateFinder::PhoneKey(const wxString& phone) const
{
    const std::string text = phone.utf8_string();
    size_t digits = 0;
    std::string plain;
    for (char c : text)
    {
        if (c >= '0' && c <= '9')
        {
            ++digits;
            plain += c;
        }
    }
    if (digits < MIN_PHONE_DIGITS)
        return std::string();
    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    PhoneNumber number;
    if (util->Parse(text, region, &number) == PhoneNumberUtil::NO_PARSING_ERROR && util->IsPossibleNumber(number))
    {
        std::string e164;
        util->Format(number, PhoneNumberUtil::E164, &e164);
        if (number.has_extension())
            e164 += ";ext=" + number.extension();
        return e164;
    }
    return "#" + plain;
}

bool DuplicateFinder::Find(std::vector<std::vector<int>>& groups, const Progress& progress)
{
    groups.clear();
    UnitOfWork unit;
    int total = 0;
    if (adapter.Query("select count(*) from contacts;",
                      [&total](wxSQLite3ResultSet& row) { total = ReadInt(row, 0); }) < 0)
        return false;
    if (progress && !progress(0, total))
        return false;

    // Keys of every kind in one map, told apart by their first letter.
    std::unordered_map<std::string, std::vector<int>> keys;
    std::vector<int> ids;
    ids.reserve(total);
    bool stopped = false;
    auto add = [&keys, &ids](std::string key) { keys[std::move(key)].push_back(static_cast<int>(ids.size()) - 1); };
    const int rows = adapter.Query(
        SQL_KEY_COLUMNS,
        [&](wxSQLite3ResultSet& row)
        {
            // A stopped search reads the rest of the rows without looking at them.
            if (stopped)
                return;
            ids.push_back(ReadInt(row, 0));
            for (int column = FIRST_EMAIL_COLUMN; column < FIRST_EMAIL_COLUMN + 2; ++column)
            {
                const wxString email = Folded(ReadText(row, column));
                if (!email.empty())
                    add("e" + email.utf8_string());
            }
            for (int column = FIRST_PHONE_COLUMN; column < FIRST_PHONE_COLUMN + PHONE_COLUMNS; ++column)
            {
                const wxString phone = ReadText(row, column);
                if (phone.empty())
                    continue;
                const std::string key = PhoneKey(phone);
                if (!key.empty())
                    add("p" + key);
            }
            const wxString company = Folded(ReadText(row, 5));
            const wxString birthday = ReadText(row, 6).Strip(wxString::both).Left(10);
            for (int first : {1, 3})
            {
                const wxString family = Folded(ReadText(row, first)), given = Folded(ReadText(row, first + 1));
                if (family.empty() || given.empty())
                    continue;
                const std::string names = (family + "\t" + given).utf8_string();
                if (!company.empty())
                    add("c" + names + "\t" + company.utf8_string());
                if (birthday.length() == 10)
                    add("b" + names + "\t" + birthday.utf8_string());
            }
            if (progress && ids.size() % PROGRESS_ROWS == 0 && !progress(static_cast<int>(ids.size()), total))
                stopped = true;
        });
    if (rows < 0 || stopped)
        return false;

    std::unordered_map<int, size_t> indexOf;
    indexOf.reserve(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        indexOf[ids[i]] = i;
    if (KeptProperties::Exists(adapter) &&
        adapter.Query(SQL_UID_LINES,
                      [&](wxSQLite3ResultSet& row)
                      {
                          const auto found = indexOf.find(ReadInt(row, 0));
                          const wxString uid = UidOf(ReadText(row, 1));
                          if (found != indexOf.end() && !uid.empty())
                              keys["u" + Folded(uid).utf8_string()].push_back(static_cast<int>(found->second));
                      }) < 0)
        return false;

    std::set<DismissedPairs::Pair> dismissed;
    if (!DismissedPairs::ReadAll(adapter, dismissed))
        return false;
    std::set<int> dismissedIds;
    for (const DismissedPairs::Pair& pair : dismissed)
    {
        dismissedIds.insert(pair.first);
        dismissedIds.insert(pair.second);
    }

    Components components(ids.size());
    for (auto& entry : keys)
    {
        std::vector<int>& members = entry.second;
        if (members.size() < 2)
            continue;
        std::sort(members.begin(), members.end());
        members.erase(std::unique(members.begin(), members.end()), members.end());
        const bool anyDismissed =
            std::any_of(members.begin(), members.end(), [&](int i) { return dismissedIds.count(ids[i]) > 0; });
        if (!anyDismissed)
        {
            for (size_t i = 1; i < members.size(); ++i)
                components.Join(members[0], members[i]);
            continue;
        }
        // Only here, where the user said no to some pair, is each pair looked at.
        for (size_t i = 0; i < members.size(); ++i)
        {
            for (size_t j = i + 1; j < members.size(); ++j)
            {
                if (!dismissed.count(DismissedPairs::Ordered(ids[members[i]], ids[members[j]])))
                    components.Join(members[i], members[j]);
            }
        }
    }

    std::vector<int> sizes(ids.size(), 0);
    for (size_t i = 0; i < ids.size(); ++i)
        ++sizes[components.Root(i)];
    std::unordered_map<size_t, std::vector<int>> byRoot;
    for (size_t i = 0; i < ids.size(); ++i)
    {
        const size_t root = components.Root(i);
        if (sizes[root] > 1)
            byRoot[root].push_back(ids[i]);
    }
    for (auto& entry : byRoot)
    {
        std::sort(entry.second.begin(), entry.second.end());
        groups.push_back(std::move(entry.second));
    }
    std::sort(groups.begin(), groups.end());
    if (progress)
        progress(total, total);
    return true;
}

bool DuplicateFinder::Dismiss(const std::vector<int>& ids)
{
    return DismissedPairs::Add(adapter, ids);
}
