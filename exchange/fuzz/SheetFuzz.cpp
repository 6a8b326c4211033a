// Feeds arbitrary bytes to the spreadsheet reader: reading must never crash,
// leak, hang or break the reader's promises about the rows it hands over.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "exchange/SpreadsheetReader.h"
#include "exchange/fuzz/FuzzInit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SpreadsheetReader reader;
    size_t tableChildren = 0;
    size_t texts = 0;
    reader.onTableChild = [&] { ++tableChildren; };
    reader.onCellText = [&](const wxString& text) { texts += text.empty() ? 0 : 1; };

    const SpreadsheetReader::LoadResult opened = reader.Open(data, size);
    size_t rows = 0;
    while (const ContactInfoEx* contact = reader.Next())
    {
        if (opened != SpreadsheetReader::LOAD_OK)
            std::abort(); // a refused file must yield nothing
        if (!SpreadsheetReader::IsImportable(*contact) || contact->id != -1 || contact->birthday.IsValid())
            std::abort();
        ++rows;
    }
    if (opened != SpreadsheetReader::LOAD_OK && reader.Result() != opened)
        std::abort();
    if (rows != reader.ImportableRows())
        std::abort();
    if (rows > tableChildren || 2 * rows > texts)
        std::abort(); // every contact comes from one Row with two names
    return 0;
}
