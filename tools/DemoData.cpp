// Demo address book: a few hundred people with Latin and CJK names (with
// their phonetic spellings), birthdays across the years (some this month,
// some on 29 February), companies, phones, e-mails, a dozen tags and a
// history that reaches into the last week.
#include <wx/datetime.h>
#include <wx/wxsqlite3.h>

#include <random>

#include "storage/DbValues.h"
#include "tools/DatabaseBuilder.h"

namespace
{
struct Name
{
    const char* text;
    const char* alpha;
};

const Name LATIN_LAST[] = {
    {"Anderson", "Anderson"},     {"Baker", "Baker"},     {"Clarke", "Clarke"},     {"Dubois", "Dubois"},
    {"Eriksen", "Eriksen"},       {"Fischer", "Fischer"}, {"García", "Garcia"},     {"Hughes", "Hughes"},
    {"Ivanova", "Ivanova"},       {"Jensen", "Jensen"},   {"Kowalski", "Kowalski"}, {"Lefèvre", "Lefevre"},
    {"Moreau", "Moreau"},         {"Nowak", "Nowak"},     {"O'Neill", "O'Neill"},   {"Petrov", "Petrov"},
    {"Quinn", "Quinn"},           {"Rossi", "Rossi"},     {"Schmidt", "Schmidt"},   {"Turner", "Turner"},
    {"Urbano", "Urbano"},         {"Varga", "Varga"},     {"Weber", "Weber"},       {"Young", "Young"},
    {"Zimmermann", "Zimmermann"}, {"Müller", "Mueller"},  {"Novák", "Novak"},       {"Silva", "Silva"},
};
const Name LATIN_FIRST_MALE[] = {
    {"James", "James"}, {"Lukas", "Lukas"}, {"Mateo", "Mateo"}, {"Oliver", "Oliver"}, {"Pierre", "Pierre"},
    {"Jan", "Jan"},     {"Erik", "Erik"},   {"Marco", "Marco"}, {"Daniel", "Daniel"}, {"Thomas", "Thomas"},
};
const Name LATIN_FIRST_FEMALE[] = {
    {"Anna", "Anna"},     {"Sophie", "Sophie"}, {"Elena", "Elena"}, {"Chloé", "Chloe"}, {"Maria", "Maria"},
    {"Ingrid", "Ingrid"}, {"Laura", "Laura"},   {"Zofia", "Zofia"}, {"Emma", "Emma"},   {"Hannah", "Hannah"},
};
const Name CJK_LAST[] = {
    {"王", "Wang"},        {"李", "Li"},          {"张", "Zhang"},      {"刘", "Liu"},    {"陈", "Chen"},
    {"杨", "Yang"},        {"黄", "Huang"},       {"赵", "Zhao"},       {"佐藤", "Sato"}, {"鈴木", "Suzuki"},
    {"高橋", "Takahashi"}, {"田中", "Tanaka"},    {"渡辺", "Watanabe"}, {"伊藤", "Ito"},  {"山本", "Yamamoto"},
    {"中村", "Nakamura"},  {"小林", "Kobayashi"}, {"加藤", "Kato"},
};
const Name CJK_FIRST_MALE[] = {
    {"伟", "Wei"},     {"强", "Qiang"},     {"磊", "Lei"},       {"军", "Jun"},
    {"翔太", "Shota"}, {"大輔", "Daisuke"}, {"健一", "Kenichi"}, {"拓也", "Takuya"},
};
const Name CJK_FIRST_FEMALE[] = {
    {"芳", "Fang"},     {"娜", "Na"},     {"静", "Jing"}, {"丽", "Li"},
    {"美咲", "Misaki"}, {"陽子", "Yoko"}, {"愛", "Ai"},   {"さくら", "Sakura"},
};
const char* const COMPANIES[] = {
    "Northwind Traders",
    "Bluefin Logistics",
    "Harbor & Finch",
    "Juniper Labs",
    "Kestrel Design",
    "Meridian Health",
    "Oakridge Builders",
    "Pinecone Software",
    "Quartz Analytics",
    "Riverbend Foods",
    "東方精工",
    "上海星辰科技",
    "",
    "",
};
const char* const DEPARTMENTS[] = {"Sales", "Engineering", "Finance", "Marketing", "Support", "Research", ""};
const char* const TITLES[] = {"Manager", "Engineer", "Consultant", "Director", "Accountant", "Designer", ""};
const char* const STREETS[] = {"12 Harbour Road", "4-2-8 Shiba",    "88 Elm Street", "Rue de la Paix 7",
                               "Hauptstraße 21",  "1200 Market St", "人民路 56号"};
const char* const TAGS[] = {"Family",     "Friends",     "Work",    "Clients", "Suppliers", "School",
                            "Neighbours", "Sports club", "Doctors", "Travel",  "VIP",       "Partners"};
const char* const NOTES[] = {
    "Phone call about the offer", "Lunch meeting",    "Sent the catalogue", "Birthday card",
    "Visited the office",         "E-mail follow-up", "Met at the fair",    "Discussed the contract"};

template <typename T, size_t N> constexpr size_t Count(const T (&)[N])
{
    return N;
}

wxString Utf8(const char* text)
{
    return wxString::FromUTF8(text);
}
} // namespace

void FillDemoData(wxSQLite3Database& db, unsigned seed)
{
    std::mt19937 rng(seed);
    auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };

    db.Begin();
    for (size_t i = 0; i < Count(TAGS); ++i)
    {
        wxSQLite3Statement st = db.PrepareStatement("insert into mst_tags (name, display_order) values (?, ?);");
        st.Bind(1, Utf8(TAGS[i]));
        st.Bind(2, static_cast<int>(i) - 1);
        st.ExecuteUpdate();
    }

    const wxDateTime now = NowToSecond();
    const int contactCount = 320;
    for (int i = 0; i < contactCount; ++i)
    {
        const bool cjk = pick(3) == 0;
        const bool male = pick(2) == 0;
        Name last, first;
        if (cjk)
        {
            last = CJK_LAST[pick(Count(CJK_LAST))];
            first =
                male ? CJK_FIRST_MALE[pick(Count(CJK_FIRST_MALE))] : CJK_FIRST_FEMALE[pick(Count(CJK_FIRST_FEMALE))];
        }
        else
        {
            last = LATIN_LAST[pick(Count(LATIN_LAST))];
            first = male ? LATIN_FIRST_MALE[pick(Count(LATIN_FIRST_MALE))]
                         : LATIN_FIRST_FEMALE[pick(Count(LATIN_FIRST_FEMALE))];
        }

        wxDateTime birthday;
        if (i % 40 == 7)
            birthday = wxDateTime(29, wxDateTime::Feb, 1972 + 4 * static_cast<int>(pick(8)), 0, 0, 0);
        else if (i % 9 == 0) // some birthdays in the current month
            birthday = wxDateTime(static_cast<wxDateTime::wxDateTime_t>(1 + pick(28)), now.GetMonth(),
                                  1950 + static_cast<int>(pick(55)), 0, 0, 0);
        else
            birthday = wxDateTime(static_cast<wxDateTime::wxDateTime_t>(1 + pick(28)),
                                  static_cast<wxDateTime::Month>(pick(12)), 1945 + static_cast<int>(pick(62)), 0, 0, 0);

        const wxString company = Utf8(COMPANIES[pick(Count(COMPANIES))]);
        const wxString mailName = wxString(first.alpha).Lower() + "." + wxString(last.alpha).Lower();
        wxString mailUser;
        for (wxUniChar c : mailName)
            if (wxIsalnum(c) || c == '.')
                mailUser += c;

        wxSQLite3Statement st = db.PrepareStatement(
            "insert into contacts (last_name, last_name_alpha, first_name, first_name_alpha, sex, birthday,"
            " company, department, job_title, business_phone, business_mobile, business_fax, business_street,"
            " home_phone, home_mobile, home_street, email, email_2, webpage, comment,"
            " latest_update_time, latest_update_user_id, entry_time, entry_user_id, business_im, home_im)"
            " values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, 0, '', '');");
        st.Bind(1, Utf8(last.text));
        st.Bind(2, Utf8(last.alpha));
        st.Bind(3, Utf8(first.text));
        st.Bind(4, Utf8(first.alpha));
        st.Bind(5, male ? 1 : 0);
        BindDateTime(st, 6, birthday);
        st.Bind(7, company);
        st.Bind(8, company.empty() ? wxString() : Utf8(DEPARTMENTS[pick(Count(DEPARTMENTS))]));
        st.Bind(9, company.empty() ? wxString() : Utf8(TITLES[pick(Count(TITLES))]));
        st.Bind(10, company.empty() ? wxString() : wxString::Format("+1 555 %04u", unsigned(pick(10000))));
        st.Bind(11, wxString::Format("+1 555 %04u", unsigned(pick(10000))));
        st.Bind(12, pick(4) == 0 ? wxString::Format("+1 555 %04u", unsigned(pick(10000))) : wxString());
        st.Bind(13, company.empty() ? wxString() : Utf8(STREETS[pick(Count(STREETS))]));
        st.Bind(14, pick(2) ? wxString::Format("+1 555 %04u", unsigned(pick(10000))) : wxString());
        st.Bind(15, pick(3) ? wxString::Format("+1 555 %04u", unsigned(pick(10000))) : wxString());
        st.Bind(16, pick(2) ? Utf8(STREETS[pick(Count(STREETS))]) : wxString());
        st.Bind(17, mailUser + "@example.com");
        st.Bind(18, pick(4) == 0 ? mailUser + "@mail.example.org" : wxString());
        st.Bind(19, pick(5) == 0 ? "https://www.example.com/" + mailUser : wxString());
        st.Bind(20, pick(6) == 0 ? wxString("Prefers e-mail.\\nCall after 10 am.") : wxString());
        const wxDateTime entered = now - wxTimeSpan::Days(static_cast<long>(pick(2000)));
        BindDateTime(st, 21, entered);
        BindDateTime(st, 22, entered);
        st.ExecuteUpdate();
        const int id = static_cast<int>(db.GetLastRowId().GetLo());

        const size_t tagCount = pick(4);
        for (size_t t = 0; t < tagCount; ++t)
        {
            const int tagId = 1 + static_cast<int>((i + 5 * t) % Count(TAGS));
            db.ExecuteUpdate(
                wxString::Format("INSERT INTO contact_tag(contact_id, tag_id) VALUES(%d, %d);", id, tagId));
        }

        // History: most people have a few entries, some many (for the stars).
        size_t historyCount = pick(5);
        if (i % 25 == 3)
            historyCount = 8 + pick(10);
        if (i == 11)
            historyCount = 55;
        for (size_t h = 0; h < historyCount; ++h)
        {
            const long daysBack = h == 0 && i % 10 == 0 ? static_cast<long>(pick(7)) : static_cast<long>(pick(400));
            wxDateTime when = now - wxTimeSpan::Days(daysBack) - wxTimeSpan::Minutes(static_cast<long>(pick(600)));
            wxSQLite3Statement hs = db.PrepareStatement(
                "Insert into contact_history (his_time, contact_id, comment, his_type) values(?, ?, ?, 0);");
            BindDateTime(hs, 1, when);
            hs.Bind(2, id);
            hs.Bind(3, Utf8(NOTES[pick(Count(NOTES))]));
            hs.ExecuteUpdate();
        }
    }
    db.Commit();
}
