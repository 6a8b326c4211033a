// Feeds arbitrary bytes to the vCard reader: reading must never crash, leak
// or hang, every card read must name someone, and every contact read must
// come back unchanged when written as 3.0 and as 4.0 and read again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "exchange/VCardMapping.h"
#include "exchange/VCardReader.h"
#include "exchange/fuzz/FuzzInit.h"
#include "storage/DbValues.h"

namespace
{
wxString Fields(const ContactInfoEx& c)
{
    wxString line = c.last_name + "|" + c.last_name_alpha + "|" + c.first_name + "|" + c.first_name_alpha + "|" +
                    wxString::Format("%d", c.sex) + "|" + FormatDbTime(c.birthday);
    for (wxString ContactInfoEx::*field : CONTACT_TEXT_FIELDS)
        line += "|" + c.*field;
    return line;
}

void CheckRoundTrip(const ContactInfoEx& contact, VCardVersion version)
{
    const std::string text = VCardMapping::FromContact(contact, wxArrayString(), version);
    VCardReader reader;
    reader.OpenMemory(text.data(), text.size());
    VCardReader::Card card;
    if (!reader.Next(card) || card.result != VCardReader::CARD_OK || Fields(*card.contact) != Fields(contact))
    {
        std::fprintf(stderr, "round trip changed the contact:\n%s\n%s\n---\n%s\n",
                     static_cast<const char*>(Fields(contact).utf8_str()),
                     card.contact ? static_cast<const char*>(Fields(*card.contact).utf8_str()) : "(no contact)",
                     text.c_str());
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VCardReader reader;
    reader.OpenMemory(data, size);
    VCardReader::Card card;
    size_t cards = 0;
    while (reader.Next(card))
    {
        // A card takes at least its BEGIN line.
        if (++cards > size / 6 + 1)
            std::abort();
        if (card.result != VCardReader::CARD_OK)
        {
            if (card.contact)
                std::abort();
            continue;
        }
        const ContactInfoEx& c = *card.contact;
        if (c.id != -1 || (c.last_name.empty() && c.first_name.empty()))
            std::abort();
        CheckRoundTrip(c, VCardVersion::V30);
        CheckRoundTrip(c, VCardVersion::V40);
    }
    return 0;
}
