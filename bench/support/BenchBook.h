// Realistic address books for the benchmarks, built once and cached in a
// scratch folder outside the source tree: names drawn from common family and
// given names, 0 to 3 tags and 0 to 10 history entries per contact, history
// spread over ten years and the next month (so that "the last 7 days" holds
// the same share of it for a month after the build).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace BenchBook
{
// The scratch folder: $CORVALA_BENCH_DIR, else $XDG_CACHE_HOME/corvala-bench,
// else ~/.cache/corvala-bench. Created when missing.
std::string ScratchDir();

// The book's working folder (holding data/Corvala.s3db, img/ and locales/)
// for a number of contacts. Builds the book when it is missing, was built
// with another schema or generator, or is older than a month; removes what
// an interrupted run left in it (contacts above the generated ones). The
// schema is the database tool's, so a book follows the indexes it creates.
// sourceDir is the source tree (for img/ and locales/).
std::string Ensure(int contacts, const std::string& sourceDir, bool verbose = true);

// The database file inside a book folder.
std::string DatabasePath(const std::string& bookDir);

// Deletes contacts with an id above the generated ones (and their links and
// history): what an import left behind.
void RemoveExtraContacts(const std::string& bookDir, int contacts);

// Number of tags every book has.
const int TAG_COUNT = 20;

// An XML Spreadsheet workbook of rows contacts the way spreadsheet programs
// save them (header row, styles, skipped cells with an index, numbers).
std::string Workbook(int rows);
// Writes it to a file. Returns the size in bytes, 0 on failure.
size_t WriteWorkbook(const std::string& path, int rows);

// The current time on the system-wide monotonic clock, in nanoseconds; the
// same clock in every process, so a parent can time a child's start-up.
int64_t MonotonicNs();

// Peak and current resident memory of this process in kB (VmHWM, VmRSS).
long PeakRssKb();
long CurrentRssKb();
// Starts a new peak at the current resident memory (Linux 4.0 and later);
// false when the kernel does not allow it.
bool ResetPeakRss();

// Runs one statement on a raw connection and reads every column of every row
// as text, as a list would; returns the rows and, through first, the first
// column of each. A statement that does not prepare ends the program.
int QueryAll(sqlite3* db, const std::string& sql, std::vector<int>* first = nullptr);
} // namespace BenchBook
