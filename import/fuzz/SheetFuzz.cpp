// Feeds arbitrary bytes to the spreadsheet reader: loading and walking must
// never crash, leak, hang or break the reader's promises about its result.
#include <wx/init.h>
#include <wx/xml/xml.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "import/SpreadsheetReader.h"
#include "import/wxXmlDocumentEx.h"

namespace
{
// A toolkit assertion is a bug of the reader's (a wrong call), so it counts
// as a crash instead of a message on the console.
void AbortOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    std::fprintf(stderr, "wx assert %s:%d in %s: %s %s\n", static_cast<const char*>(file.utf8_str()), line,
                 static_cast<const char*>(func.utf8_str()), static_cast<const char*>(cond.utf8_str()),
                 static_cast<const char*>(msg.utf8_str()));
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The base library stays initialised for the whole run.
    if (!wxInitialize())
        std::abort();
    wxSetAssertHandler(AbortOnAssert);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    wxXmlDocumentEx document;
    SpreadsheetReader reader(document);
    size_t tableChildren = 0;
    size_t texts = 0;
    reader.onTableChild = [&] { ++tableChildren; };
    reader.onCellText = [&](const wxString& text) { texts += text.empty() ? 0 : 1; };

    SpreadsheetReader::LoadResult result = reader.Load(data, size);
    SpreadsheetReader::Contacts contacts = reader.ReadContacts();
    if (result != SpreadsheetReader::LOAD_OK && !contacts.empty())
        std::abort(); // a refused file must yield nothing
    if (contacts.size() > tableChildren || 2 * contacts.size() > texts)
        std::abort(); // every contact comes from one Row with two names
    for (const auto& contact : contacts)
    {
        if (!SpreadsheetReader::IsImportable(*contact) || contact->id != -1)
            std::abort();
    }
    return 0;
}
