#include "bench/support/BenchBook.h"

#include <sys/stat.h>
#include <unistd.h>

#include <wx/wxsqlite3.h>
// After the wrapper, whose names its macros would replace.
#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "storage/FindIndex.h"
#include "tools/DatabaseBuilder.h"

namespace BenchBook
{
namespace
{
// Bump when the generated data changes, so cached books are rebuilt.
const char* const GENERATOR_VERSION = "corvala-bench-book-5";
// History runs into the next month: the last week keeps its share of the
// entries for that long, and a book older than that is rebuilt.
const int FUTURE_DAYS = 30;
const int PAST_DAYS = 3650;

const char* const FAMILY_NAMES[] = {
    "Abbott",   "Adams",      "Alvarez",  "Andersen", "Bailey",   "Baker",     "Barnes",    "Becker",   "Bell",
    "Bennett",  "Berg",       "Bianchi",  "Brooks",   "Brown",    "Bruno",     "Campbell",  "Carter",   "Castro",
    "Chen",     "Clark",      "Collins",  "Cooper",   "Costa",    "Cruz",      "Dahl",      "Davies",   "Diaz",
    "Dubois",   "Duncan",     "Eriksson", "Evans",    "Fabre",    "Fischer",   "Fleming",   "Ford",     "Foster",
    "Garcia",   "Gomez",      "Graham",   "Gray",     "Green",    "Gruber",    "Hall",      "Hansen",   "Harris",
    "Hayes",    "Hoffmann",   "Hughes",   "Ito",      "Ivanov",   "Jackson",   "Jansen",    "Jensen",   "Johnson",
    "Jones",    "Kaiser",     "Kato",     "Keller",   "Kelly",    "Kim",       "King",      "Klein",    "Koch",
    "Kowalski", "Kruger",     "Lambert",  "Larsen",   "Laurent",  "Lee",       "Lewis",     "Li",       "Lindberg",
    "Lopez",    "Lund",       "Marino",   "Martin",   "Martinez", "Meyer",     "Miller",    "Mitchell", "Moreau",
    "Morgan",   "Moretti",    "Murphy",   "Nakamura", "Navarro",  "Nguyen",    "Nielsen",   "Novak",    "Nowak",
    "Olsen",    "Ortiz",      "Owens",    "Park",     "Parker",   "Perez",     "Peters",    "Petrov",   "Phillips",
    "Price",    "Quinn",      "Ramirez",  "Reed",     "Reyes",    "Ricci",     "Richter",   "Roberts",  "Romano",
    "Rossi",    "Russo",      "Sanchez",  "Sato",     "Schmidt",  "Schneider", "Schulz",    "Scott",    "Silva",
    "Simon",    "Smith",      "Sorensen", "Stewart",  "Suzuki",   "Svensson",  "Takahashi", "Tanaka",   "Taylor",
    "Thomas",   "Thompson",   "Torres",   "Turner",   "Ueda",     "Unger",     "Vargas",    "Vasquez",  "Vogel",
    "Wagner",   "Walker",     "Wang",     "Ward",     "Watanabe", "Weber",     "White",     "Williams", "Wilson",
    "Wolf",     "Wood",       "Wright",   "Wu",       "Xu",       "Yamada",    "Yamamoto",  "Young",    "Zhang",
    "Zhao",     "Zimmermann", "Zhou",     "O'Neill",  "D'Angelo", "Eklund",    "Ferreira",  "Haas",     "Ibarra",
};
struct GivenName
{
    const char* name;
    int sex;
};
const GivenName GIVEN_NAMES[] = {
    {"Aaron", 1},   {"Adam", 1},   {"Adrian", 1},    {"Alan", 1},   {"Albert", 1}, {"Alex", 1},    {"Andreas", 1},
    {"Anton", 1},   {"Ben", 1},    {"Bruno", 1},     {"Carl", 1},   {"Chris", 1},  {"Daniel", 1},  {"David", 1},
    {"Elias", 1},   {"Eric", 1},   {"Felix", 1},     {"Frank", 1},  {"George", 1}, {"Hans", 1},    {"Henry", 1},
    {"Hiroshi", 1}, {"Ivan", 1},   {"Jack", 1},      {"James", 1},  {"Jan", 1},    {"Jonas", 1},   {"Jose", 1},
    {"Karl", 1},    {"Kenji", 1},  {"Lars", 1},      {"Leo", 1},    {"Lucas", 1},  {"Marco", 1},   {"Mark", 1},
    {"Martin", 1},  {"Max", 1},    {"Michael", 1},   {"Nils", 1},   {"Noah", 1},   {"Oliver", 1},  {"Oscar", 1},
    {"Pablo", 1},   {"Paul", 1},   {"Peter", 1},     {"Rafael", 1}, {"Robert", 1}, {"Samuel", 1},  {"Simon", 1},
    {"Stefan", 1},  {"Thomas", 1}, {"Tom", 1},       {"Victor", 1}, {"Wei", 1},    {"William", 1}, {"Yusuf", 1},
    {"Agnes", 0},   {"Alice", 0},  {"Amelia", 0},    {"Anna", 0},   {"Anne", 0},   {"Astrid", 0},  {"Beatrice", 0},
    {"Camille", 0}, {"Carla", 0},  {"Charlotte", 0}, {"Chloe", 0},  {"Clara", 0},  {"Daniela", 0}, {"Diana", 0},
    {"Elena", 0},   {"Elin", 0},   {"Elisa", 0},     {"Emma", 0},   {"Eva", 0},    {"Fatima", 0},  {"Freya", 0},
    {"Grace", 0},   {"Hanna", 0},  {"Helen", 0},     {"Ines", 0},   {"Isabel", 0}, {"Julia", 0},   {"Karin", 0},
    {"Laura", 0},   {"Lea", 0},    {"Lena", 0},      {"Lina", 0},   {"Lucia", 0},  {"Maria", 0},   {"Marie", 0},
    {"Marta", 0},   {"Mia", 0},    {"Mei", 0},       {"Nadia", 0},  {"Nina", 0},   {"Olivia", 0},  {"Paula", 0},
    {"Rosa", 0},    {"Ruth", 0},   {"Sara", 0},      {"Sofia", 0},  {"Sophie", 0}, {"Tanja", 0},   {"Ursula", 0},
    {"Vera", 0},    {"Yuki", 0},   {"Zoe", 0},
};
const char* const COMPANIES[] = {
    "Northwind Traders",
    "Contoso Freight",
    "Blue Harbor Bank",
    "Alder & Finch",
    "Keller Maschinenbau",
    "Sato Electronics",
    "Lumen Optics",
    "Riverside Clinic",
    "Oakridge School",
    "Granite Insurance",
    "Helios Energy",
    "Vega Logistics",
    "Marlow Publishing",
    "Cedar Consulting",
    "Polaris Software",
    "Tidewater Foods",
    "Atlas Builders",
    "Nordic Timber",
    "Crescent Hotels",
    "Summit Legal",
    "",
    "",
    "",
    "",
};
const char* const DEPARTMENTS[] = {"Sales", "Purchasing", "Finance", "Research", "Support", "Marketing",
                                   "Legal", "Logistics",  "IT",      "",         "",        ""};
const char* const JOB_TITLES[] = {"Manager",  "Director",   "Engineer",  "Accountant", "Consultant", "Assistant",
                                  "Designer", "Consultant", "Developer", "Teacher",    "Doctor",     "",
                                  ""};
const char* const TAG_NAMES[TAG_COUNT] = {
    "Family",     "Friends",     "Colleagues", "Customers", "Suppliers",         "School",   "University",
    "Neighbours", "Sports club", "Doctors",    "Press",     "Investors",         "Partners", "Recruiters",
    "Volunteers", "Music",       "Travel",     "Book club", "Former colleagues", "VIP",
};
const char* const COMMENTS[] = {
    "Phone call",
    "Lunch",
    "Meeting about the offer",
    "Sent the contract",
    "Birthday greetings",
    "Visit",
    "Asked about the invoice",
    "Conference",
    "Introduced to a colleague",
    "E-mail",
    "Follow-up call",
    "Dinner",
};

template <typename T, size_t N> const T& Pick(std::mt19937_64& rng, const T (&items)[N])
{
    return items[rng() % N];
}

std::string LocalTime(time_t t)
{
    struct tm local;
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string out;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void MakeDirs(const std::string& path)
{
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i)
    {
        if (i == path.size() || path[i] == '/')
        {
            if (!partial.empty())
                mkdir(partial.c_str(), 0755);
        }
        if (i < path.size())
            partial += path[i];
    }
}

void Check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

void Exec(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
    {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error(sql.substr(0, 80) + ": " + message);
    }
}

// The database tool's schema: tables first, then indexes, as statements.
struct Schema
{
    std::vector<std::string> tables;
    std::vector<std::string> indexes;
};

Schema ToolSchema()
{
    wxSQLite3Database::InitializeSQLite();
    wxSQLite3Database memory;
    memory.Open(":memory:");
    DatabaseBuilder::CreateSchema(memory);
    Schema schema;
    wxSQLite3ResultSet rs = memory.ExecuteQuery(
        "select type, sql from sqlite_master where sql is not null and name not like 'sqlite_%' and name not like "
        "'contact_find_%' order by rowid;"); // the find index makes its own tables
    while (rs.NextRow())
    {
        std::string sql = rs.GetAsString(1).utf8_string();
        if (rs.GetAsString(0) == "table")
            schema.tables.push_back(sql);
        else
            schema.indexes.push_back(sql);
    }
    rs.Finalize();
    memory.Close();
    return schema;
}

std::string KeyOf(const Schema& schema)
{
    // FNV-1a over everything that shapes the file.
    uint64_t hash = 1469598103934665603ULL;
    auto mix = [&hash](const std::string& text)
    {
        for (unsigned char c : text)
        {
            hash ^= c;
            hash *= 1099511628211ULL;
        }
        hash ^= 0xff;
        hash *= 1099511628211ULL;
    };
    mix(GENERATOR_VERSION);
    for (const std::string& sql : schema.tables)
        mix(sql);
    for (const std::string& sql : schema.indexes)
        mix(sql);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

class Statement
{
public:
    Statement(sqlite3* db, const char* sql) : db(db)
    {
        Check(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), db, sql);
    }
    ~Statement()
    {
        sqlite3_finalize(stmt);
    }
    Statement& Text(int i, const std::string& value)
    {
        sqlite3_bind_text(stmt, i, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Int(int i, int value)
    {
        sqlite3_bind_int(stmt, i, value);
        return *this;
    }
    void Run()
    {
        Check(sqlite3_step(stmt), db, "insert");
        sqlite3_reset(stmt);
    }

private:
    sqlite3* db;
    sqlite3_stmt* stmt = nullptr;
};

void Generate(const std::string& path, int contacts, const Schema& schema, time_t reference, bool verbose)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot create " + path);
    try
    {
        // Not kept in the file: only the build goes faster.
        Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-200000;");
        for (const std::string& sql : schema.tables)
            Exec(db, sql);
        Exec(db, "BEGIN");
        {
            Statement tag(db, "insert into mst_tags (name, display_order) values (?, ?);");
            for (int t = 0; t < TAG_COUNT; ++t)
                tag.Text(1, TAG_NAMES[t]).Int(2, t + 1).Run();
        }
        Statement contact(db, "insert into contacts (id, last_name, last_name_alpha, first_name, first_name_alpha, "
                              "sex, birthday, company, department, job_title, business_phone, business_mobile, "
                              "home_phone, email, webpage, comment, latest_update_time, latest_update_user_id, "
                              "entry_time, entry_user_id) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                              "?, 0, ?, 0);");
        Statement link(db, "insert into contact_tag (contact_id, tag_id) values (?, ?);");
        Statement history(db, "insert into contact_history (his_time, contact_id, his_type, comment) values "
                              "(?, ?, 0, ?);");
        std::mt19937_64 rng(20240612);
        const time_t birthdayFrom = reference - static_cast<time_t>(85) * 365 * 86400;
        for (int id = 1; id <= contacts; ++id)
        {
            const std::string family = Pick(rng, FAMILY_NAMES);
            const GivenName& given = Pick(rng, GIVEN_NAMES);
            const std::string company = Pick(rng, COMPANIES);
            const time_t entry = reference - static_cast<time_t>(rng() % (PAST_DAYS * 86400ULL));
            const time_t update = entry + static_cast<time_t>(rng() % static_cast<uint64_t>(reference - entry + 1));
            char phone[32], mobile[32], home[32];
            std::snprintf(phone, sizeof phone, "+1 555 %07u", static_cast<unsigned>(rng() % 10000000));
            std::snprintf(mobile, sizeof mobile, "+1 555 %07u", static_cast<unsigned>(rng() % 10000000));
            std::snprintf(home, sizeof home, "+1 555 %07u", static_cast<unsigned>(rng() % 10000000));
            const std::string domain = company.empty() ? "mail.example" : Lower(company) + ".example";
            contact.Int(1, id)
                .Text(2, family)
                .Text(3, family)
                .Text(4, given.name)
                .Text(5, given.name)
                .Int(6, given.sex)
                .Text(7, LocalTime(birthdayFrom + static_cast<time_t>(rng() % (70ULL * 365 * 86400))))
                .Text(8, company)
                .Text(9, Pick(rng, DEPARTMENTS))
                .Text(10, Pick(rng, JOB_TITLES))
                .Text(11, rng() % 3 ? phone : "")
                .Text(12, rng() % 2 ? mobile : "")
                .Text(13, rng() % 4 ? "" : home)
                .Text(14, Lower(given.name) + "." + Lower(family) + "@" + domain)
                .Text(15, rng() % 5 ? "" : "https://www." + domain + "/")
                .Text(16, rng() % 10 ? "" : "Met at " + std::string(Pick(rng, COMPANIES)))
                .Text(17, LocalTime(update))
                .Text(18, LocalTime(entry))
                .Run();
            int chosen[3];
            const int tags = static_cast<int>(rng() % 4);
            for (int t = 0; t < tags; ++t)
            {
                int tagId;
                bool again;
                do
                {
                    tagId = 1 + static_cast<int>(rng() % TAG_COUNT);
                    again = false;
                    for (int k = 0; k < t; ++k)
                        again = again || chosen[k] == tagId;
                } while (again);
                chosen[t] = tagId;
                link.Int(1, id).Int(2, tagId).Run();
            }
            const int entries = static_cast<int>(rng() % 11);
            for (int h = 0; h < entries; ++h)
            {
                const uint64_t span = static_cast<uint64_t>(PAST_DAYS + FUTURE_DAYS) * 86400;
                const time_t when =
                    reference - static_cast<time_t>(PAST_DAYS) * 86400 + static_cast<time_t>(rng() % span);
                history.Text(1, LocalTime(when)).Int(2, id).Text(3, Pick(rng, COMMENTS)).Run();
            }
            if (verbose && id % 100000 == 0)
            {
                std::fprintf(stderr, "  %d contacts\r", id);
                std::fflush(stderr);
            }
        }
        Exec(db, "COMMIT");
        if (verbose)
            std::fprintf(stderr, "  indexes...        \r");
        for (const std::string& sql : schema.indexes)
            Exec(db, sql);
    }
    catch (...)
    {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
    // The find index, as the program would have kept it.
    if (verbose)
        std::fprintf(stderr, "  find index...        \r");
    wxSQLite3Database book;
    book.Open(wxString::FromUTF8(path));
    book.Begin();
    FindIndex::Rebuild(book);
    book.Commit();
    book.Close();
}

int CountContacts(const std::string& path)
{
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "select count(*) from contacts;", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            count = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return count;
}

void Link(const std::string& target, const std::string& link)
{
    unlink(link.c_str());
    if (symlink(target.c_str(), link.c_str()) != 0)
        std::fprintf(stderr, "cannot link %s: %s\n", link.c_str(), std::strerror(errno));
}
} // namespace

std::string ScratchDir()
{
    std::string dir;
    if (const char* env = std::getenv("CORVALA_BENCH_DIR"))
        dir = env;
    else if (const char* cache = std::getenv("XDG_CACHE_HOME"))
        dir = std::string(cache) + "/corvala-bench";
    else
        dir = std::string(std::getenv("HOME") ? std::getenv("HOME") : "/tmp") + "/.cache/corvala-bench";
    MakeDirs(dir);
    return dir;
}

std::string DatabasePath(const std::string& bookDir)
{
    return bookDir + "/data/Corvala.s3db";
}

void RemoveExtraContacts(const std::string& bookDir, int contacts)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(DatabasePath(bookDir).c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open " + DatabasePath(bookDir));
    const std::string n = std::to_string(contacts);
    try
    {
        Exec(db, "BEGIN; delete from contact_history where contact_id > " + n +
                     "; delete from contact_tag where contact_id > " + n + "; delete from contacts where id > " + n +
                     "; delete from mst_tags where id > " + std::to_string(TAG_COUNT) +
                     "; update sqlite_sequence set seq = " + n + " where name = 'contacts'; COMMIT;");
    }
    catch (...)
    {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

std::string Ensure(int contacts, const std::string& sourceDir, bool verbose)
{
    const Schema schema = ToolSchema();
    const std::string dir = ScratchDir() + "/book-" + std::to_string(contacts) + "-" + KeyOf(schema);
    const std::string database = DatabasePath(dir);
    const std::string stamp = dir + "/built-at";
    const time_t now = std::time(nullptr);

    time_t builtAt = 0;
    if (std::FILE* f = std::fopen(stamp.c_str(), "r"))
    {
        long long value = 0;
        if (std::fscanf(f, "%lld", &value) == 1)
            builtAt = static_cast<time_t>(value);
        std::fclose(f);
    }
    bool fresh = Exists(database) && builtAt > 0 && now - builtAt < static_cast<time_t>(FUTURE_DAYS - 2) * 86400;
    if (fresh)
    {
        RemoveExtraContacts(dir, contacts);
        fresh = CountContacts(database) == contacts;
    }
    if (!fresh)
    {
        MakeDirs(dir + "/data");
        const std::string building = database + ".building";
        unlink(building.c_str());
        if (verbose)
            std::fprintf(stderr, "Building the %d-contact book in %s (once; it is cached)...\n", contacts, dir.c_str());
        const int64_t start = MonotonicNs();
        Generate(building, contacts, schema, now, verbose);
        if (rename(building.c_str(), database.c_str()) != 0)
            throw std::runtime_error("cannot move the book into place: " + database);
        std::ofstream(stamp) << static_cast<long long>(now) << "\n";
        if (verbose)
            std::fprintf(stderr, "  built in %.0f s             \n", (MonotonicNs() - start) / 1e9);
    }
    Link(sourceDir + "/resources/img", dir + "/img");
    Link(sourceDir + "/resources/locales", dir + "/locales");
    return dir;
}

std::string Workbook(int rows)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<?mso-application progid=\"Excel.Sheet\"?>\n"
                      "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
                      " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
                      " <Worksheet ss:Name=\"Contacts\">\n  <Table>\n"
                      "   <Row><Cell><Data ss:Type=\"String\">last_name</Data></Cell><Cell><Data "
                      "ss:Type=\"String\">first_name</Data></Cell><Cell><Data "
                      "ss:Type=\"String\">business_phone</Data></Cell><Cell><Data "
                      "ss:Type=\"String\">business_mobile</Data></Cell><Cell><Data "
                      "ss:Type=\"String\">home_phone</Data></Cell><Cell><Data "
                      "ss:Type=\"String\">home_mobile</Data></Cell><Cell><Data "
                      "ss:Type=\"String\">email</Data></Cell></Row>\n";
    for (int i = 0; i < rows; ++i)
    {
        const std::string n = std::to_string(i);
        xml += "   <Row><Cell ss:StyleID=\"s21\"><Data ss:Type=\"String\">Family" + n +
               "</Data></Cell><Cell><Data ss:Type=\"String\">Given" + n +
               "</Data></Cell><Cell><Data ss:Type=\"Number\">5550" + n +
               "</Data></Cell><Cell><Data ss:Type=\"String\">+1 555 01" + n +
               "</Data></Cell><Cell ss:StyleID=\"s21\"/><Cell ss:Index=\"6\"><Data ss:Type=\"String\">555 02" + n +
               "</Data></Cell><Cell><Data ss:Type=\"String\">person" + n + "@example.com</Data></Cell></Row>\n";
    }
    return xml + "  </Table>\n </Worksheet>\n</Workbook>\n";
}

size_t WriteWorkbook(const std::string& path, int rows)
{
    const std::string xml = Workbook(rows);
    std::ofstream out(path, std::ios::binary);
    out << xml;
    return out ? xml.size() : 0;
}

int64_t MonotonicNs()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

namespace
{
long StatusKb(const char* field)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
    {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
        {
            value = std::atol(line + length + 1);
            break;
        }
    }
    std::fclose(f);
    return value;
}
} // namespace

long PeakRssKb()
{
    return StatusKb("VmHWM");
}

long CurrentRssKb()
{
    return StatusKb("VmRSS");
}

bool ResetPeakRss()
{
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f)
        return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

int QueryAll(sqlite3* db, const std::string& sql, std::vector<int>* first)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    {
        std::fprintf(stderr, "raw statement failed: %s\n%s\n", sqlite3_errmsg(db), sql.c_str());
        std::exit(1);
    }
    int rows = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW)
    {
        for (int c = 0; c < columns; ++c)
            sqlite3_column_text(stmt, c);
        if (first)
            first->push_back(sqlite3_column_int(stmt, 0));
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}
} // namespace BenchBook
